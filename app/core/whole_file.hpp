#pragma once
// Writing a whole file so that a failed write never destroys the previous
// copy: a temporary file beside it, renamed over it only once every byte
// is on the disk.

#include <QByteArray>
#include <QString>

// Writes `bytes` as the whole content of `path`. Returns the reason of a
// failure (the previous file, if any, is then left as it was), empty on
// success.
QString writeWholeFile(const QString& path, const QByteArray& bytes);

#pragma once
// Writing files so that nobody ever sees half of one: a whole file replaces
// its previous copy only once every byte is on the disk, and a new file
// under a numbered name appears with its whole content under a name that
// nothing else had.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <vector>

// A file's content in pieces written one after the other: a long text and
// its closing line break need not be joined (copied) first.
using FileContent = std::vector<QByteArrayView>;

// Writes `bytes` as the whole content of `path`. Returns the reason of a
// failure (the previous file, if any, is then left as it was), empty on
// success.
QString writeWholeFile(const QString& path, const QByteArray& bytes);
QString writeWholeFile(const QString& path, const FileContent& pieces);

struct NewFile {
    QString path;                        // the name the file got
    QString error;                       // why nothing was written; empty on success
    bool ok() const { return error.isEmpty(); }
};

// Writes `bytes` as a new file under the first of the names nameFor(k),
// k = first .. last, that nothing has (no file, folder or link, not even
// one that points nowhere); all names lie in one folder. The name is
// claimed together with the complete content in one step of the file
// system, so a run that writes into the same folder at the same time never
// replaces this file, nor this run its file: whoever comes second takes
// the next number. Nothing is left behind on failure.
NewFile writeNewFile(const std::function<QString(int)>& nameFor, int first, int last, const QByteArray& bytes);
NewFile writeNewFile(const std::function<QString(int)>& nameFor, int first, int last, const FileContent& pieces);

namespace WholeFileTesting {
// True: a new file is written under a temporary name first, as on file
// systems that cannot hold a file without a name.
extern bool namedTemporaryOnly;
} // namespace WholeFileTesting

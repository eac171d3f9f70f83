#pragma once
// Automatically named text files ("Notes0000.TXT", "Results0001.TXT", ...)
// and the one way the results and notes texts are written.

#include <QString>

namespace NumberedFile {

// folder + "/" + stem + the first free four-digit number from 0000 + ".TXT":
// the first name that nothing has (no file, folder or link, not even a
// dangling one). A "\" in the folder counts as "/"; a folder ending in a
// separator gets no second one, and an empty folder gives a bare name (the
// current folder). Empty when all 10,000 names are taken.
QString nextFree(const QString& folder, const QString& stem);

// Writes `text` followed by CR LF (temp file + rename, so a failed write
// leaves an earlier file as it was). False with the reason on failure.
bool writeText(const QString& path, const QString& text, QString& errorText);

// A window caption after a save: tag + " (" + path + ")" for a path shorter
// than 21 characters, else tag + " (..." + its last 20 characters + ")".
QString savedCaption(const QString& tag, const QString& path);

} // namespace NumberedFile

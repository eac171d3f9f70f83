#pragma once
// Automatically named text files ("Notes0000.TXT", "Results0001.TXT", ...)
// and the one way the results and notes texts are written.

#include <QByteArray>
#include <QString>

#include "core/whole_file.hpp"

namespace NumberedFile {

// folder + "/" + stem + the number in four digits + ".TXT". A "\" in the
// folder counts as "/"; a folder ending in a separator gets no second one,
// and an empty folder gives a bare name (the current folder).
QString name(const QString& folder, const QString& stem, int number);

// Writes `text` followed by CR LF as a new file under the first free
// number from 0000 to 9999: the first name that nothing has (no file,
// folder or link, not even a dangling one), claimed together with the whole
// text, so that runs saving into one folder at the same time never replace
// each other's files. The path written, or why nothing was.
NewFile writeNext(const QString& folder, const QString& stem, const QString& text);
// The same for a text already in UTF-8 (a long report, written as it is).
NewFile writeNext(const QString& folder, const QString& stem, const QByteArray& utf8);

// Writes `text` followed by CR LF (temp file + rename, so a failed write
// leaves an earlier file as it was). False with the reason on failure.
bool writeText(const QString& path, const QString& text, QString& errorText);
bool writeText(const QString& path, const QByteArray& utf8, QString& errorText);

// A window caption after a save: tag + " (" + path + ")" for a path shorter
// than 21 characters, else tag + " (..." + its last 20 characters + ")".
QString savedCaption(const QString& tag, const QString& path);

} // namespace NumberedFile

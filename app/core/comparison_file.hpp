#pragma once
// The comparison file (*.QCX): the comparison window's list of dataset
// files, one line per item in list order, nothing before or after:
//
//   #TRUE#,"/data/model A.KVE"      ticked (takes part in the comparison)
//   #FALSE#,"/data/model B.KVE"     not ticked
//
// Lines end in CR LF; an empty list is an empty file. Reading accepts CR LF
// or LF, blank lines and blanks around the two fields, UTF-8 with the
// Windows-1252 fallback of the dataset files; anything else refuses the
// whole file, so that a damaged file never replaces a list half-read.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace ComparisonFile {

struct Entry {
    bool ticked = false;
    QString path;
    bool operator==(const Entry&) const = default;
};

// Why a path cannot be stored in the file: it holds a double quote (the
// format has no escape for it) or a line break or another control
// character (it would not stay on its line). Empty when it can.
QString whyNotStorable(const QString& path);

// The file's bytes for a list. A list with a path that cannot be stored is
// not written: nothing, with the path in `offendingPath` when given.
std::optional<QByteArray> format(const QList<Entry>& entries, QString* offendingPath = nullptr);

struct ParseResult {
    std::optional<QList<Entry>> entries;
    QString error;                       // why the file was refused
    bool ok() const { return entries.has_value(); }
};
ParseResult parse(const QByteArray& bytes);

// Writes the list through QSaveFile, so a failed save leaves the previous
// file as it was. Returns the reason of a failure, empty on success.
QString save(const QString& path, const QList<Entry>& entries);
// Reads and parses a whole file; a file that cannot be read is refused too.
ParseResult load(const QString& path);

} // namespace ComparisonFile

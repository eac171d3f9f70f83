#pragma once
// Shared routines of the main program: the fixed-width formatters (one
// implementation with the library), paths and text splitters.

#include <QString>
#include <QStringList>

#include <cstdint>

#include "SumtrixLib/Params.hpp"

namespace KVECode {

using SumtrixLib::InOut;

// Number field of a report: see SumtrixLib::FormatFixedWidth.
QString FormatFixedWidth(InOut<double> value, std::int32_t size, std::int32_t Dec,
                         InOut<std::int16_t> Alignment = {}, bool Prob = false);
// Heading texts of the comparison report: a text that is a number formats
// as that number; any other text is aligned as it stands, or "n/a" when it
// does not fit.
QString FormatFixedWidth(const QString& text, std::int32_t size, std::int32_t Dec,
                         InOut<std::int16_t> Alignment = {}, bool Prob = false);
QString AlignText(const QString& Text, std::int32_t TextSize, InOut<std::int16_t> Alignment = {});

// True when a file (not a folder) matches the path; wildcards match too.
// Errors give false and their description in errorText.
bool FileExists(const QString& path, QString& errorText);
bool FileExists(const QString& path);
// The last separator of a path: "/"; in a path without any "/" (a stored
// Windows path) "\". In a path of this system "\" is a character of its
// names. -1 when there is none.
qsizetype LastPathSeparator(const QString& path);
// The characters after the last separator; empty when there is none.
QString GetFileName(const QString& path);
// The characters before the last separator, followed by "/".
QString GetFolderPath(const QString& path);
// Splits `text` at `delimiter` into pieces 1..n (element 0 stays empty).
std::int32_t SplitText(const QString& text, const QString& delimiter, QStringList& pieces);
// Splits a multi-select file-dialog result (NUL separated, NUL terminated)
// into the folder (element 0) and the names (1..n).
// Kept in the module's routine list; the program's own code never calls it, only tests do.
std::int32_t ParseFileSelection(const QString& selection, QStringList& names);
// How often `ch` occurs in `text`.
// Kept in the module's routine list; the program's own code never calls it, only tests do.
std::int16_t CountChar(const QString& text, QChar ch);
// True when a text holds a line break or another control character (a tab
// too, and the line and paragraph separators): such a text cannot stand on
// one line of a list file.
bool HoldsControlCharacter(const QString& text);

// Lays `text` out in console rows of `width` columns: every line of the
// text, long lines broken every `width` characters.
QStringList ConsoleRows(const QString& text, int width = 80);
// A program's console text as the program shows it: by lines, every
// non-blank 80-column row trimmed and followed by CR LF; otherwise the
// first 400 characters of the screen, padded with blanks.
QString ConsoleText(const QString& text, bool byLines);

} // namespace KVECode

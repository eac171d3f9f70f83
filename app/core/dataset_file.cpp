#include "core/dataset_file.hpp"

#include "core/data_sheet.hpp"
#include "core/kve_code.hpp"
#include "core/program_info.hpp"
#include "core/whole_file.hpp"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace DatasetFile {

namespace {

using F = OptionForm;

// Blanks trimmed from both ends; tabs are kept.
QString trimBlanks(const QString& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b] == QLatin1Char(' '))
        ++b;
    while (e > b && s[e - 1] == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

// GetCodeValue, also returning the value before its "#" and quote stripping.
void splitLine(const QString& line, QString& key, QString& value, QString* raw)
{
    QString buffer;
    for (const QChar ch : line) {
        if (ch == QLatin1Char(':') || ch == QLatin1Char('=')) {
            key = trimBlanks(buffer);
            buffer.clear();
        } else {
            buffer.append(ch);
        }
    }
    value = trimBlanks(buffer);
    if (raw)
        *raw = value;
    auto strippable = [](QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('#'); };
    if (!value.isEmpty() && strippable(value.front()))
        value.remove(0, 1);
    if (!value.isEmpty() && strippable(value.back()))
        value.chop(1);
}

// The nearest integer, halves to the even one (how stored integer options are read).
double roundHalfEven(double v)
{
    return std::nearbyint(v);
}

QString formatSize(float size)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, size);
    QString text = QString::fromLatin1(buf, res.ptr - buf);
    // Str() puts a blank where the sign of a positive number would be.
    if (!std::signbit(size))
        text.prepend(QLatin1Char(' '));
    return text;
}

// The characters 0x80..0x9F of Windows-1252; the rest is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Windows-1252 bytes as text.
QString fromCp1252(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

// Cursor over the bytes of a file, by lines and by data records. Every
// separator of the format is ASCII, and in UTF-8 no byte of a longer
// character is, so the bytes split where the decoded text would; each line
// or field is decoded on its own.
class Reader {
public:
    Reader(QByteArrayView bytes, bool utf8) : m_p(bytes.begin()), m_end(bytes.end()), m_utf8(utf8)
    {
        // The decoder drops a leading byte-order mark.
        if (utf8 && bytes.startsWith("\xEF\xBB\xBF"))
            m_p += 3;
    }

    bool atEnd() const { return m_p >= m_end; }
    int lineNumber() const { return m_line; }
    qsizetype remainingBytes() const { return m_end - m_p; }

    // The next line without its CR LF or LF.
    QString readLine()
    {
        // An empty file has no bytes at all, not even an address to search.
        const char* nl =
            m_p < m_end ? static_cast<const char*>(std::memchr(m_p, '\n', static_cast<std::size_t>(m_end - m_p))) : nullptr;
        const char* end = nl ? nl : m_end;
        const char* lineEnd = end;
        if (lineEnd > m_p && lineEnd[-1] == '\r')
            --lineEnd;
        QString line = decode(std::string_view(m_p, static_cast<std::size_t>(lineEnd - m_p)));
        m_p = nl ? nl + 1 : m_end;
        ++m_line;
        return line;
    }

    // The fields of one data row into `row` (the first seven) and their
    // count: a comma or the line end ends a field; a field that begins with
    // a double quote runs to the closing quote, a doubled quote inside
    // standing for one; blanks around a field that is not quoted are
    // dropped. False when a quote is never closed.
    bool readRecord(DataMatrix::Row& row, int& count)
    {
        count = 0;
        ++m_line;
        while (true) {
            while (m_p < m_end && *m_p == ' ')
                ++m_p;
            DataCell cell;
            if (m_p < m_end && *m_p == '"') {
                const char* const start = ++m_p;
                bool closed = false;
                bool doubled = false;
                while (m_p < m_end) {
                    const char c = *m_p++;
                    if (c == '"') {
                        if (m_p < m_end && *m_p == '"') {
                            doubled = true;
                            ++m_p;
                            continue;
                        }
                        closed = true;
                        break;
                    }
                    if (c == '\n')
                        ++m_line;
                }
                if (!closed)
                    return false;
                const std::string_view quoted(start, static_cast<std::size_t>(m_p - 1 - start));
                // Text after the closing quote, up to the comma, is kept.
                const std::string_view after = trimmedBlanks(takeUnquoted());
                if (!doubled && after.empty()) {
                    cell = makeCell(quoted);
                } else {
                    std::string field;
                    field.reserve(quoted.size() + after.size());
                    for (std::size_t i = 0; i < quoted.size(); ++i) {
                        field += quoted[i];
                        if (quoted[i] == '"')
                            ++i;
                    }
                    field += after;
                    cell = makeCell(field);
                }
            } else {
                const std::string_view field = trimmedBlanks(takeUnquoted());
                if (!field.empty())
                    cell = makeCell(field);
            }
            if (count < 7)
                row[static_cast<std::size_t>(count)] = std::move(cell);
            ++count;
            if (m_p < m_end && *m_p == ',') {
                ++m_p;
                continue;
            }
            // Line end or end of text ends the row.
            if (m_p < m_end && *m_p == '\r')
                ++m_p;
            if (m_p < m_end && *m_p == '\n')
                ++m_p;
            return true;
        }
    }

private:
    QString decode(std::string_view bytes) const
    {
        const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
        return m_utf8 ? QString::fromUtf8(view) : fromCp1252(view);
    }

    // A field's cell: plain ASCII is read as it stands, anything else is
    // decoded first.
    DataCell makeCell(std::string_view field) const
    {
        for (const char c : field)
            if (static_cast<unsigned char>(c) >= 0x80)
                return DataCell::fromText(decode(field));
        return DataCell::fromLatin1Text(field);
    }

    static std::string_view trimmedBlanks(std::string_view s)
    {
        while (!s.empty() && s.front() == ' ')
            s.remove_prefix(1);
        while (!s.empty() && s.back() == ' ')
            s.remove_suffix(1);
        return s;
    }

    // Up to a comma, a LF or a CR LF.
    std::string_view takeUnquoted()
    {
        const char* const start = m_p;
        while (m_p < m_end) {
            const char c = *m_p;
            if (c == ',' || c == '\n')
                break;
            if (c == '\r' && m_p + 1 < m_end && m_p[1] == '\n')
                break;
            ++m_p;
        }
        return std::string_view(start, static_cast<std::size_t>(m_p - start));
    }

    const char* m_p;
    const char* const m_end;
    const bool m_utf8;
    int m_line = 0;
};

// The rows that the data section holds for a row-count text: as many as
// the sheet gets from it, or, when the sheet keeps its size, the rounded
// count itself (never more than the sheet has).
int rowsToRead(const QString& rowCountText, int sheetRows)
{
    if (const auto rows = sheetRowsFor(rowCountText))
        return *rows;
    const double v = roundHalfEven(DataSheet::leadingNumber(rowCountText));
    if (v <= 0)
        return 0;
    return static_cast<int>(std::min<double>(v, std::max(sheetRows, 0)));
}

// Whether a line, split into fields as a data row is, holds a value: a
// field with anything but blanks, in quotes or not. A row of empty fields
// (nothing, blanks or "") holds none. A doubled quote inside quotes stands
// for a quote, which is a value; so is a quote never closed on the line.
bool holdsAValue(QStringView line)
{
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (true) {
        while (i < n && blank(line[i]))
            ++i;
        if (i < n && line[i] == QLatin1Char('"')) {
            bool closed = false;
            for (++i; i < n && !closed; ++i) {
                if (line[i] == QLatin1Char('"')) {
                    if (i + 1 < n && line[i + 1] == QLatin1Char('"'))
                        return true;
                    closed = true;
                } else if (!blank(line[i])) {
                    return true;
                }
            }
            if (!closed)
                return true;
        }
        for (; i < n && line[i] != QLatin1Char(','); ++i)
            if (!blank(line[i]))
                return true;
        if (i >= n)
            return false;
        ++i;
    }
}

LoadError refusal(const QString& path, const QString& why)
{
    return {QStringLiteral("Load"),
            QStringLiteral("The file '%1' could not be loaded: %2").arg(path, why), false};
}

// Files beyond this size are no dataset: a million rows take well under it.
constexpr qint64 MaxFileBytes = qint64(1) << 30;

} // namespace

QString formatCell(const DataCell& cell)
{
    if (cell.isNumber())
        return formatRoundTrip(cell.number());
    if (cell.isText())
        return quoteText(cell.text());
    return QString();
}

QString quoteText(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// ---------------------------------------------------------------------------

QString formatOptionValue(OptionForm form, const OptionValue& value)
{
    switch (form) {
    case F::CheckState: {
        const int v = std::get<int>(value);
        return v < 0 ? QString::number(v) : QLatin1Char(' ') + QString::number(v);
    }
    case F::Flag:
        return std::get<bool>(value) ? QStringLiteral("True") : QStringLiteral("False");
    case F::Text:
    case F::Format:
        return std::get<QString>(value);
    case F::Size:
        return formatSize(std::get<float>(value));
    }
    return QString();
}

std::optional<OptionValue> parseOptionValue(OptionForm form, const QString& text)
{
    switch (form) {
    case F::CheckState: {
        const auto v = parseStrictNumber(text);
        if (!v)
            return std::nullopt;
        const double r = roundHalfEven(*v);
        if (r < 0 || r > 2)
            return std::nullopt;
        return OptionValue(static_cast<int>(r));
    }
    case F::Flag: {
        const QString t = trimBlanks(text);
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return OptionValue(true);
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return OptionValue(false);
        if (const auto v = parseStrictNumber(t))
            return OptionValue(*v != 0.0);
        return std::nullopt;
    }
    case F::Text:
    case F::Format:
        return OptionValue(text);
    case F::Size: {
        const auto v = parseStrictNumber(text);
        if (!v || !std::isfinite(static_cast<float>(*v)))
            return std::nullopt;
        return OptionValue(static_cast<float>(*v));
    }
    }
    return std::nullopt;
}

void GetCodeValue(const QString& line, QString& key, QString& value)
{
    splitLine(line, key, value, nullptr);
}

FileVersion programVersion()
{
    return {3, 1, 0};
}

QString mainCaption(const QString& dataFileName)
{
    QString caption = MainWindowCaption();
    if (!dataFileName.isEmpty())
        caption += QStringLiteral(" - ") + KVECode::GetFileName(dataFileName);
    return caption;
}

std::optional<int> sheetRowsFor(const QString& rowCountText)
{
    const double v = DataSheet::leadingNumber(rowCountText);
    if (!(v >= 3))
        return std::nullopt;
    const double rows = roundHalfEven(v + 1) - 1;
    return static_cast<int>(std::min<double>(rows, double(MaxRows) + 1));
}

int firstIncompleteRow(const DataMatrix& matrix)
{
    for (int r = 1; r < matrix.upperRow(); ++r)
        if (matrix.isMissing(DataMatrix::ColX, r) || matrix.isMissing(DataMatrix::ColY, r))
            return r;
    return 0;
}

QString decodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return fromCp1252(bytes);
}

QByteArray formatDataset(const DatasetState& state, FileVersion version)
{
    const QLatin1String eol("\r\n");
    QString out;
    out += QStringLiteral("%1,%2,%3").arg(version.major).arg(version.minor).arg(version.revision) + eol;
    for (int i = 0; i < OptionCount; ++i)
        out += QLatin1String(optionKeys()[static_cast<std::size_t>(i)].key) + QLatin1Char('=')
               + formatOptionValue(optionKeys()[static_cast<std::size_t>(i)].form, state.options[i]) + eol;

    // "N=" must name the rows that follow, or the reader would take the
    // notes for data: a count typed into the box but never applied is
    // replaced by the sheet's own, and so is a text that would not read
    // back as written, blanks aside (a ":" or "=" in it, a quote or "#" at
    // an end).
    const int sheetRows = std::max(state.matrix.upperRow() - 1, 0);
    const auto readsBack = [](const QString& text) {
        QString key;
        QString value;
        splitLine(QLatin1String("N=") + text, key, value, nullptr);
        return key == QLatin1String("N") && value == trimBlanks(text);
    };
    const QString rowCount = sheetRowsFor(state.rowCountText) == std::optional<int>(sheetRows)
                                     && readsBack(state.rowCountText)
                                 ? state.rowCountText
                                 : QString::number(sheetRows);
    out += QLatin1String("N=") + rowCount + eol;
    out += QLatin1String("DATA:") + eol;
    for (int r = 1; r <= sheetRows; ++r) {
        for (int c = 1; c < DataMatrix::Columns; ++c) {
            if (c > 1)
                out += QLatin1Char(',');
            out += formatCell(state.matrix.cell(c, r));
        }
        out += eol;
    }
    if (!state.notes.isEmpty()) {
        QString notes = state.notes;
        notes.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        notes.replace(QLatin1Char('\n'), eol);
        out += QLatin1String("NOTES:") + eol + notes + eol;
    }
    return out.toUtf8();
}

LoadResult parseDataset(QByteArrayView bytes, const QString& path, const QString& currentRowCountText,
                        int currentSheetRows)
{
    LoadResult result;
    if (bytes.contains('\0')) {
        result.error = refusal(path, QStringLiteral("it is not a text file."));
        return result;
    }
    // UTF-8 when the bytes are valid UTF-8, as decodeText() reads them.
    Reader reader(bytes, bytes.isValidUtf8());
    DatasetContent content;

    // Version line: major, minor and revision; only the major is checked.
    const QStringList parts = reader.readLine().split(QLatin1Char(','));
    std::array<double, 3> numbers{};
    bool versionOk = parts.size() == 3;
    for (int i = 0; versionOk && i < 3; ++i) {
        const auto v = parseStrictNumber(parts[i]);
        versionOk = v.has_value() && std::abs(*v) < 1e9;
        if (versionOk)
            numbers[i] = roundHalfEven(*v);
    }
    if (!versionOk) {
        result.error = refusal(path, QStringLiteral("it is not a KVE dataset file "
                                                    "(its first line holds no version numbers)."));
        return result;
    }
    content.version = {int(numbers[0]), int(numbers[1]), int(numbers[2])};
    if (content.version.major < 2) {
        result.error = {QStringLiteral("Load"),
                        QStringLiteral("The version of this file is not compatible with this "
                                       "version of KVE. The loading will be aborted."),
                        true};
        return result;
    }

    // Option section, up to the "DATA" line.
    while (!reader.atEnd()) {
        const QString line = reader.readLine();
        QString key;
        QString value;
        QString raw;
        splitLine(line, key, value, &raw);
        if (key.isEmpty()) {
            content.settings.push_back({-1, OptionValue()});
            continue;
        }
        const QString upper = key.toUpper();
        if (upper == QLatin1String("DATA")) {
            content.hasData = true;
            break;
        }
        if (upper == QLatin1String("N")) {
            if (DataSheet::leadingNumber(value) > MaxRows) {
                result.error = refusal(path, QStringLiteral("its row count N=%1 is not valid "
                                                            "(at most %2 rows).")
                                                 .arg(value).arg(MaxRows));
                return result;
            }
            content.rowCountText = value;
            continue;
        }
        const int index = findOptionKey(key);
        if (index < 0)
            continue;
        const OptionKey& k = optionKeys()[static_cast<std::size_t>(index)];
        // A format keeps its "#" signs: stripping them would change the
        // format text at every load and save.
        const auto parsed = parseOptionValue(k.form, k.form == F::Format ? raw : value);
        if (!parsed) {
            result.error = refusal(path, QStringLiteral("line %1 gives %2 the value '%3', "
                                                        "which is not valid.")
                                             .arg(reader.lineNumber())
                                             .arg(QLatin1String(k.key), value));
            return result;
        }
        content.settings.push_back({index, *parsed});
    }

    // Data section: the rows that the row count asks for.
    if (content.hasData) {
        const QString countText = content.rowCountText.value_or(currentRowCountText);
        const int sheetRows = content.rowCountText ? sheetRowsFor(countText).value_or(currentSheetRows)
                                                   : currentSheetRows;
        const int rows = rowsToRead(countText, sheetRows);
        // A row takes at least its six commas: a count far beyond what the
        // file can hold reserves nothing for rows that are not there.
        content.rows.reserve(std::size_t(std::min<qsizetype>(rows, reader.remainingBytes() / 6 + 1)));
        DataMatrix::Row row;
        int fields = 0;
        for (int r = 1; r <= rows; ++r) {
            if (reader.atEnd()) {
                result.error = refusal(path, QStringLiteral("it ends after %1 of its %2 data rows.")
                                                 .arg(r - 1).arg(rows));
                return result;
            }
            const int line = reader.lineNumber() + 1;
            if (!reader.readRecord(row, fields)) {
                result.error = refusal(path, QStringLiteral("a quoted value that begins on line %1 "
                                                            "is never closed.").arg(line));
                return result;
            }
            if (fields != 7) {
                result.error = refusal(path, QStringLiteral("line %1 holds %2 values where a data "
                                                            "row holds 7.")
                                                 .arg(line).arg(fields));
                return result;
            }
            content.rows.push_back(std::move(row));
        }

        // Notes: every line after the "NOTES" line. The writer ends the
        // notes with one line end, which is not part of them.
        bool inNotes = false;
        QStringList notes;
        while (!reader.atEnd()) {
            const QString line = reader.readLine();
            if (inNotes) {
                notes.append(line);
                continue;
            }
            QString key;
            QString value;
            GetCodeValue(line, key, value);
            inNotes = key.toUpper() == QLatin1String("NOTES");
            // A row after the N= rows (one added by hand without raising
            // N=) would be left out without a word, and lost at the next
            // save: the file is refused instead, so the user can correct N=.
            // A row that holds nothing (a spreadsheet's trailing ",,,,,,")
            // loses nothing and is passed over like any other line here.
            if (!inNotes && content.rowCountText && line.count(QLatin1Char(',')) >= 6 && holdsAValue(line)) {
                result.error = refusal(path, QStringLiteral("line %1 holds a data row after the %2 "
                                                            "rows that its line N=%3 gives. Set N= to "
                                                            "the number of data rows to load it.")
                                                 .arg(reader.lineNumber()).arg(rows)
                                                 .arg(*content.rowCountText));
                return result;
            }
        }
        content.notes = notes.join(QLatin1Char('\n'));
    }
    result.content = std::move(content);
    return result;
}

LoadResult LoadFile(const QString& Filename, const QString& currentRowCountText, int currentSheetRows)
{
    QFile file(Filename);
    const QFileInfo info(Filename);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        // A file never opened has no error text of its own.
        LoadResult r;
        r.error = refusal(Filename, (!info.exists()    ? QStringLiteral("the file does not exist")
                                     : !info.isFile() ? QStringLiteral("the file cannot be opened")
                                                      : file.errorString())
                                        + QLatin1Char('.'));
        return r;
    }
    if (file.size() > MaxFileBytes) {
        LoadResult r;
        r.error = refusal(Filename, QStringLiteral("it is too large to be a dataset file."));
        return r;
    }
    // The file's pages as they lie in the system's cache, without a copy;
    // read whole where it cannot be mapped.
    if (file.size() > 0) {
        if (uchar* mapped = file.map(0, file.size())) {
            LoadResult r = parseDataset(QByteArrayView(mapped, file.size()), Filename, currentRowCountText,
                                        currentSheetRows);
            file.unmap(mapped);
            return r;
        }
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        LoadResult r;
        r.error = refusal(Filename, file.errorString() + QLatin1Char('.'));
        return r;
    }
    return parseDataset(bytes, Filename, currentRowCountText, currentSheetRows);
}

QString SaveFile(const QString& Filename, const DatasetState& state, FileVersion version)
{
    return writeWholeFile(Filename, formatDataset(state, version));
}

void applyContent(const DatasetContent& content, DatasetState& state)
{
    for (const OptionSetting& s : content.settings)
        if (s.index >= 0)
            applyOption(state.options, s.index, s.value);
    if (content.rowCountText) {
        state.rowCountText = *content.rowCountText;
        if (const auto rows = sheetRowsFor(state.rowCountText))
            state.matrix.resize(*rows + 1);
    }
    state.matrix.clear();
    if (!content.hasData) {
        state.notes.clear();
        return;
    }
    if (int(content.rows.size()) > state.matrix.upperRow() - 1)
        state.matrix.resize(int(content.rows.size()) + 1);
    for (std::size_t r = 0; r < content.rows.size(); ++r)
        for (int c = 0; c < 7; ++c)
            state.matrix.cell(c + 1, int(r) + 1) = content.rows[r][c];
    state.notes = content.notes;
}

} // namespace DatasetFile

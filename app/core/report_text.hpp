#pragma once
// Building report text: headings with their rules, comment lines that only
// appear when comments are asked for, labelled number fields, CR LF line
// ends. Sections compose their lines from these pieces and never pad a
// label by hand:
//
//   report.line(field("Estimate a ± SD", 16, plusMinus(F(a, 10, 5), F(siga, 10, 5))));
//       -> "Estimate a ± SD : " F(a,10,5) " ± " F(siga,10,5)
//   report.columns(field("MSE", 16, F(mse, 10, 5)), field("Root MSE", 20, F(root, 10, 5)));
//       -> "MSE             : " F " " x 10 "Root MSE            : " F

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <span>

// The text is kept in UTF-8: a report of a million rows is a quarter of a
// gigabyte so and twice that as a QString. Long tables write their rows
// straight into it (utf8(), appendF()).
class ReportText {
public:
    explicit ReportText(bool comments = true) : m_comments(comments) {}

    void setComments(bool on) { m_comments = on; }
    bool comments() const { return m_comments; }

    // Two line breaks, the heading, a rule of "=" as long as the heading.
    void heading(const QString& title);
    // The heading of the report's first section: no line breaks before it.
    void firstHeading(const QString& title);
    // A title line and under it a rule of `ruleChar` as long as the title.
    void underlined(const QString& title, QChar ruleChar = QLatin1Char('-'));
    // A line of `length` times `ch`.
    void rule(int length, QChar ch = QLatin1Char('-'));
    // "!! text !!", only when comments are on.
    void comment(const QString& text);
    // A line and its CR LF.
    void line(const QString& text = QString());
    // Two fields on one line, `gap` blanks between them.
    void columns(const QString& left, const QString& right, int gap = 10);
    void append(const QString& text) { m_text += text.toUtf8(); }
    void append(const ReportText& text) { m_text += text.m_text; }
    void newLine() { m_text += "\r\n"; }

    // The text so far.
    QString text() const { return QString::fromUtf8(m_text); }
    const QByteArray& utf8() const { return m_text; }
    QByteArray& utf8() { return m_text; }

private:
    bool m_comments;
    QByteArray m_text;
};

// The first block of every report: "KVE v. " and the version, `title` as
// the report places it, the date and time, then a rule of dots as long as
// that line and a blank line.
QString reportHeader(const QString& title, const QDateTime& now);

// F(w,d): a right-aligned number field of w characters with d decimals.
// A value that is no number (a statistic that could not be computed)
// prints "n/a".
QString F(double value, int width, int decimals);
// F(w,d,P): the same for a probability, which never prints as zero.
QString FP(double value, int width, int decimals);
// Appends F(value, width, decimals) to the UTF-8 `text` without a string
// of its own: the cells of the long tables.
void appendF(QByteArray& text, double value, int width, int decimals);

// The cells of a table are right-aligned in fields of a fixed width and
// stand side by side. A value that fills its field, or runs over it, would
// touch the cell before it: its column then gets one blank more before
// each cell, in every row, so that the cells stay apart and aligned.
//
// Whether a cell fills its field: it begins with no blank.
bool fillsField(QStringView cell);
// Whether F(value, width, decimals) fills its field.
bool fillsField(double value, int width, int decimals);
// The width that keeps a blank before each of `cells`, fields of `width`
// characters: one more when one of them fills its field.
int spacedWidth(int width, const QStringList& cells);
// The width of a field that shows the whole number `count` without
// decimals: `width`, or as many places as its digits take.
int countWidth(std::int64_t count, int width);
// The width of a column of whole counts in fields of at least `width`:
// wide enough for the largest, and, by the rule of spacedWidth, one more
// when one of them fills its field.
int spacedCountWidth(std::span<const std::int64_t> counts, int width);

// `text` followed by blanks up to `width` characters.
QString padded(const QString& text, int width);
// A labelled field: the label padded to `labelWidth` characters, ": ",
// then the value text.
QString field(const QString& label, int labelWidth, const QString& value);
// "value ± sd".
QString plusMinus(const QString& value, const QString& sd);
// "value (p)": a statistic followed by its probability in parentheses.
QString withP(const QString& value, const QString& p);

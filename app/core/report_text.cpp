#include "core/report_text.hpp"

#include <QLocale>

#include <algorithm>
#include <cmath>

#include "SumtrixLib/Format.hpp"
#include "core/kve_code.hpp"
#include "core/program_info.hpp"

namespace {

// Room for the fields that are printed without a string of their own.
constexpr int FieldRoom = 64;

QString numberField(double value, int width, int decimals, bool probability)
{
    if (width > FieldRoom)
        return KVECode::FormatFixedWidth(value, width, decimals, 0, probability);
    char text[FieldRoom];
    const std::size_t n = SumtrixLib::FormatFixedWidthTo(text, value, width, decimals, probability);
    return QString::fromLatin1(text, static_cast<qsizetype>(n));
}

} // namespace

void ReportText::heading(const QString& title)
{
    m_text += "\r\n\r\n";
    firstHeading(title);
}

void ReportText::firstHeading(const QString& title)
{
    underlined(title, QLatin1Char('='));
}

void ReportText::underlined(const QString& title, QChar ruleChar)
{
    line(title);
    rule(static_cast<int>(title.size()), ruleChar);
}

void ReportText::rule(int length, QChar ch)
{
    line(QString(length, ch));
}

void ReportText::comment(const QString& text)
{
    if (m_comments) {
        m_text += "!! ";
        m_text += text.toUtf8();
        m_text += " !!\r\n";
    }
}

void ReportText::line(const QString& text)
{
    m_text += text.toUtf8();
    m_text += "\r\n";
}

void ReportText::columns(const QString& left, const QString& right, int gap)
{
    line(left + QString(gap, QLatin1Char(' ')) + right);
}

QString reportHeader(const QString& title, const QDateTime& now)
{
    const QString first = QStringLiteral("KVE v. ") + ProgramVersionText() + title
                          + QLocale().toString(now, QStringLiteral("dd-MMM-yyyy hh:mm:ss"));
    return first + QStringLiteral("\r\n") + QString(first.size(), QLatin1Char('.')) + QStringLiteral("\r\n\r\n");
}

QString F(double value, int width, int decimals)
{
    return numberField(value, width, decimals, false);
}

QString FP(double value, int width, int decimals)
{
    return numberField(value, width, decimals, true);
}

void appendF(QByteArray& text, double value, int width, int decimals)
{
    if (width > FieldRoom) {
        text += F(value, width, decimals).toUtf8();
        return;
    }
    // The field is plain ASCII.
    char cell[FieldRoom];
    const std::size_t n = SumtrixLib::FormatFixedWidthTo(cell, value, width, decimals);
    text.append(cell, static_cast<qsizetype>(n));
}

bool fillsField(QStringView cell)
{
    return !cell.isEmpty() && cell.front() != QLatin1Char(' ');
}

bool fillsField(double value, int width, int decimals)
{
    // Most values are known to leave a blank from their size alone: a
    // sign, the digits before the point, the point and the decimals take
    // at most width - 1 places when there are fewer than
    // width - decimals - 2 digits (one fewer with the sign).
    if (decimals > 0 && std::isfinite(value)) {
        const int digits = width - decimals - 2 - (value < 0 ? 1 : 0);
        if (digits >= 1 && digits <= 15 && std::fabs(value) < std::pow(10.0, digits) - 1)
            return false;
    }
    if (width > FieldRoom)
        return fillsField(F(value, width, decimals));
    char cell[FieldRoom];
    const std::size_t n = SumtrixLib::FormatFixedWidthTo(cell, value, width, decimals);
    return n > 0 && cell[0] != ' ';
}

int spacedWidth(int width, const QStringList& cells)
{
    for (const QString& c : cells)
        if (fillsField(c))
            return width + 1;
    return width;
}

int countWidth(std::int64_t count, int width)
{
    return std::max(width, static_cast<int>(QString::number(count).size()));
}

int spacedCountWidth(std::span<const std::int64_t> counts, int width)
{
    for (const std::int64_t c : counts)
        width = countWidth(c, width);
    QStringList cells;
    for (const std::int64_t c : counts)
        cells << F(static_cast<double>(c), width, 0);
    return spacedWidth(width, cells);
}

QString padded(const QString& text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}

QString field(const QString& label, int labelWidth, const QString& value)
{
    return padded(label, labelWidth) + QStringLiteral(": ") + value;
}

QString plusMinus(const QString& value, const QString& sd)
{
    return value + QStringLiteral(" ± ") + sd;
}

QString withP(const QString& value, const QString& p)
{
    return value + QStringLiteral(" (") + p + QLatin1Char(')');
}

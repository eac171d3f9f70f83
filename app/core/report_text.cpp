#include "core/report_text.hpp"

#include "core/kve_code.hpp"

void ReportText::heading(const QString& title)
{
    m_text += QStringLiteral("\r\n\r\n");
    firstHeading(title);
}

void ReportText::firstHeading(const QString& title)
{
    // The rule is as long as the heading in characters.
    m_text += title + QStringLiteral("\r\n") + QString(title.size(), QLatin1Char('=')) + QStringLiteral("\r\n");
}

void ReportText::comment(const QString& text)
{
    if (m_comments)
        m_text += QStringLiteral("!! ") + text + QStringLiteral(" !!\r\n");
}

void ReportText::line(const QString& text)
{
    m_text += text + QStringLiteral("\r\n");
}

QString F(double value, int width, int decimals)
{
    return KVECode::FormatFixedWidth(value, width, decimals);
}

QString FP(double value, int width, int decimals)
{
    return KVECode::FormatFixedWidth(value, width, decimals, 0, true);
}

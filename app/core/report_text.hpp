#pragma once
// Building report text: headings with their rules, comment lines that only
// appear when comments are asked for, number fields, CR LF line ends.

#include <QString>

#include <cstdint>

class ReportText {
public:
    explicit ReportText(bool comments = true) : m_comments(comments) {}

    void setComments(bool on) { m_comments = on; }
    bool comments() const { return m_comments; }

    // Two line breaks, the heading, a rule of "=" as long as the heading.
    void heading(const QString& title);
    // The heading of the report's first section: no line breaks before it.
    void firstHeading(const QString& title);
    // "!! text !!", only when comments are on.
    void comment(const QString& text);
    // A line and its CR LF.
    void line(const QString& text = QString());
    void append(const QString& text) { m_text += text; }
    void newLine() { m_text += QStringLiteral("\r\n"); }

    const QString& text() const { return m_text; }
    QString& text() { return m_text; }

private:
    bool m_comments;
    QString m_text;
};

// F(w,d): a right-aligned number field of w characters with d decimals.
QString F(double value, int width, int decimals);
// F(w,d,P): the same for a probability, which never prints as zero.
QString FP(double value, int width, int decimals);

#pragma once
// Running the evaluation on a small sheet with some sections ticked, and
// picking lines and sections out of the report: shared by the snippet
// tests of the report sections.
#include <QDateTime>
#include <QLocale>
#include <QStringList>

#include <functional>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "core/evaluation/evaluation_run.hpp"
#include "core/random_source.hpp"

// Texts in test failures as text.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace sectiontest {

// A sheet of (X, Y, Exclude) rows as texts; "" leaves a cell empty.
struct Row {
    const char* x;
    const char* y;
    const char* exclude = "";
};

inline DataMatrix sheet(const std::vector<Row>& rows)
{
    DataMatrix m(static_cast<int>(rows.size()) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        if (*rows[i].x)
            m.setText(DataMatrix::ColX, r, QString::fromUtf8(rows[i].x));
        if (*rows[i].y)
            m.setText(DataMatrix::ColY, r, QString::fromUtf8(rows[i].y));
        if (*rows[i].exclude)
            m.setText(DataMatrix::ColExclude, r, QString::fromUtf8(rows[i].exclude));
    }
    return m;
}

using Tick = std::function<void(EvaluationSettings&)>;

// A run as a fresh window starts it (least squares, comments on), with the
// sections `tick` asks for and a fixed seed for the bootstrap.
inline EvaluationOutcome run(DataMatrix& m, const Tick& tick, std::uint64_t seed = 20261210)
{
    QLocale::setDefault(QLocale::c());
    SeededRandomSource random(seed);
    EvaluationInput o;
    o.gridRows = m.upperRow();
    o.mainCaption = QStringLiteral("KVE v. 3.1.0 - trial.KVE");
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    o.random = &random;
    tick(o.settings);
    EvaluationOutcome out = runEvaluation(m, o);
    EXPECT_TRUE(out.ran) << out.refusal.toStdString();
    return out;
}

inline QString report(const std::vector<Row>& rows, const Tick& tick)
{
    DataMatrix m = sheet(rows);
    return run(m, tick).report;
}

// The lines from the one headed `heading` up to the next heading (a line
// followed by its rule of "="), without the blank lines before that one.
inline QStringList section(const QString& text, const QString& heading)
{
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QStringList out;
    const qsizetype start = lines.indexOf(heading);
    if (start < 0)
        return out;
    for (qsizetype i = start; i < lines.size(); ++i) {
        if (i > start + 1 && i + 1 < lines.size() && !lines[i].isEmpty()
            && lines[i + 1] == QString(lines[i].size(), QLatin1Char('=')))
            break;
        out.append(lines[i]);
    }
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

// The first line that starts with `label` (empty when there is none).
inline QString lineOf(const QString& text, const QString& label)
{
    for (const QString& l : text.split(QStringLiteral("\r\n")))
        if (l.startsWith(label))
            return l;
    return QString();
}

// 160,000 points whose counts run past five places: in each group of 16
// points at one X, fifteen lie at Y = X - 1 (overpredicted) and one at
// Y = X + 15, so that the least-squares line is Y = X; 8,000 groups at
// X = 1..8,000 lie below the means, 2,000 at X = 1,008,001..1,010,000
// above them. The rank cells hold 1..160,000 in row order.
inline DataMatrix wideCountSheet()
{
    constexpr int Groups = 10000;
    DataMatrix m(16 * Groups + 1);
    int row = 0;
    for (int g = 1; g <= Groups; ++g) {
        const double x = g <= 8000 ? g : 1e6 + g;
        for (int k = 0; k < 16; ++k) {
            ++row;
            m.setNumber(DataMatrix::ColX, row, x);
            m.setNumber(DataMatrix::ColY, row, k < 15 ? x - 1 : x + 15);
            m.setNumber(DataMatrix::ColRankX, row, row);
            m.setNumber(DataMatrix::ColRankY, row, row);
        }
    }
    return m;
}

} // namespace sectiontest

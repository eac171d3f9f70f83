// Data far from zero keep the digits the report prints. Values near 1e6
// and 1e9 that spread by a tenth or a few units, written with decimals:
// the statistics that a common shift of X and Y leaves alone are R's
// statistics of the same doubles (tools/oracles/far_from_zero.R, which
// works on the data less the offset). Their formulas, copied as written,
// cancelled there: the difference of two means near 1e9 in the concordance
// and the squared bias, a plain sum in the mean of the moments, and the
// spread s1^2 + s2^2 - 2 cov of the paired test.
#include <QRegularExpression>

#include <cmath>
#include <string>
#include <vector>

#include "core/model_comparison.hpp"
#include "section_run.hpp"

using namespace sectiontest;

namespace {

struct FarCase {
    const char* name;
    std::vector<const char*> x, y, x2;
    std::vector<double> report;       // see the .inc file's heading
    std::vector<double> comparison;   // Cb and CCC of X, of X2, and of X2 against X
};
#include "reference/far_from_zero_cases.inc"

// The line starting with `label` after the line starting with `after`.
QString lineAfter(const QString& text, const QString& after, const QString& label)
{
    bool seen = after.isEmpty();
    for (const QString& l : text.split(QStringLiteral("\r\n"))) {
        if (!seen)
            seen = l.startsWith(after);
        else if (l.startsWith(label))
            return l;
    }
    return QString();
}

// The numbers printed after the label, as texts.
QStringList numbersAfter(const QString& line, const QString& label)
{
    static const QRegularExpression number(QStringLiteral("-?[0-9]+\\.[0-9]+"));
    QStringList out;
    for (auto it = number.globalMatch(line.mid(label.size())); it.hasNext();)
        out << it.next().captured();
    return out;
}

// Whether the printed text is R's value rounded to its decimals. A value
// within 1e-8 of a rounding boundary may print on either side: the
// delta-method errors of a near-perfect agreement (rc 0.9997) cancel in
// their gradient as the coefficient nears 1, here as in R, to about 1e-9;
// what cancelled far from zero moved the values by 1e-7 to 1e-4.
bool printedAs(const QString& printed, double value)
{
    const qsizetype point = printed.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : static_cast<int>(printed.size() - point - 1);
    const double halfUnit = 0.5 * std::pow(10.0, -decimals);
    return std::fabs(printed.toDouble() - value) <= halfUnit + 1e-8 * std::fabs(value);
}

SumtrixLib::BoundedArray<double> column(const std::vector<const char*>& texts)
{
    SumtrixLib::BoundedArray<double> a(0, static_cast<std::int32_t>(texts.size()));
    for (std::size_t i = 0; i < texts.size(); ++i)
        a(static_cast<std::int32_t>(i) + 1) = std::stod(texts[i]);
    return a;
}

} // namespace

TEST(FarFromZero, ReportKeepsThePrintedDigits)
{
    for (const FarCase& c : kFarCases) {
        std::vector<Row> rows;
        for (std::size_t i = 0; i < c.x.size(); ++i)
            rows.push_back({c.x[i], c.y[i]});
        const QString text = report(rows, [](EvaluationSettings& s) {
            s.sections.moments = true;
            s.sections.diverseMeasures = true;
            s.sections.concordance = true;
            s.sections.msep = true;
        });
        const auto& r = c.report;
        // {heading the line follows ("" for none), label, R's values in the
        // order the line prints them}
        const struct {
            const char* after;
            const char* label;
            std::vector<double> values;
        } lines[] = {
            {"", "X Skewness :", {r[0], r[2]}},
            {"", "X Kurtosis :", {r[1], r[3]}},
            {"", "H0: MB = 0, T-value (same var.)    :", {r[4]}},
            {"", "H0: MB = 0, T-value (diff. var.)   :", {r[5]}},
            {"", "H0: MB = 0, T-value (paired w/cov.):", {r[6]}},
            {"", "H0: MB = 0, T-value (paired diff.) :", {r[6]}},
            {"Lin (1998)", "Location shift (u)", {r[7]}},
            {"Lin (1998)", "Bias correction (Cb)", {r[8]}},
            {"Lin (1998)", "rc ± SE rc", {r[9], r[10]}},
            {"Lin (1998)", "Z-value (P-Value)", {r[11]}},
            {"Liao (2003)", "Ar (~ Cb)", {r[12]}},
            {"Liao (2003)", "Gr ± SE Gr (~ rc)", {r[13], r[14]}},
            {"Liao (2003)", "Z-value (P-Value)", {r[15]}},
            {"MSEP Decomposition I:", "Mean bias ==> Mean X <> Mean Y      :", {r[16], r[17]}},
            {"MSEP Decomposition II:", "Mean bias ==> Mean X <> Mean Y      :", {r[16], r[17]}},
        };
        for (const auto& l : lines) {
            const QString line = lineAfter(text, QString::fromUtf8(l.after), QString::fromUtf8(l.label));
            const QStringList printed = numbersAfter(line, QString::fromUtf8(l.label));
            ASSERT_GE(printed.size(), static_cast<qsizetype>(l.values.size())) << c.name << ": " << line.toStdString();
            for (std::size_t k = 0; k < l.values.size(); ++k)
                EXPECT_TRUE(printedAs(printed[static_cast<qsizetype>(k)], l.values[k]))
                    << c.name << ": " << line.toStdString() << " (R " << l.values[k] << ")";
        }
    }
}

TEST(FarFromZero, ComparisonConcordanceIsRs)
{
    // The comparison prints three decimals; its numbers are checked whole.
    // A plain difference of two means near 1e9 is off by about 1e-7 against
    // a mean difference of 0.01 to 0.05: a relative 1e-7 in Cb and CCC.
    for (const FarCase& c : kFarCases) {
        ModelComparison::ComparisonData d;
        d.n = static_cast<int>(c.y.size());
        d.Y = column(c.y);
        d.X = {column(c.x), column(c.x2)};
        d.labels = {QStringLiteral("1"), QStringLiteral("2")};
        const ModelComparison::ComparisonResults res = ModelComparison::computeComparison(d);
        const auto& r = c.comparison;
        const double got[] = {res.models[0].Cb, res.models[0].CCC, res.models[1].Cb,
                              res.models[1].CCC, res.pair(0, 1).Cb,  res.pair(0, 1).CCC};
        const char* what[] = {"Cb of X", "CCC of X", "Cb of X2", "CCC of X2", "Cb of X2 against X", "CCC of X2 against X"};
        for (std::size_t k = 0; k < r.size(); ++k)
            EXPECT_NEAR(got[k], r[k], 1e-10 * std::fabs(r[k])) << c.name << ": " << what[k];
    }
}

// DataMatrix cells and the strict number parser.
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/data_matrix.hpp"

TEST(DataMatrix, CellKindsAndResize)
{
    DataMatrix m;
    EXPECT_EQ(m.upperRow(), 20);
    EXPECT_TRUE(m.isMissing(1, 1));
    m.setText(1, 1, QStringLiteral("2.5"));
    m.setNumber(3, 1, -1.25);
    m.setText(7, 1, QString());
    EXPECT_TRUE(m.cell(1, 1).isText());
    EXPECT_EQ(*m.cell(1, 1).toNumber(), 2.5);
    EXPECT_TRUE(m.cell(3, 1).isNumber());
    EXPECT_TRUE(m.isMissing(7, 1));            // the empty text is missing
    m.resize(30);
    EXPECT_EQ(m.cell(3, 1).number(), -1.25);   // kept
    EXPECT_TRUE(m.cell(1, 30).isEmpty());
    m.resize(0);
    m.resize(5);
    EXPECT_TRUE(m.cell(1, 1).isEmpty());       // cut rows are lost
    EXPECT_THROW(m.cell(8, 1), std::out_of_range);
    EXPECT_THROW(m.cell(1, 6), std::out_of_range);
}

TEST(StrictNumberParser, AcceptsFiniteDecimalsOnly)
{
    struct Case { const char* text; bool ok; double value; };
    const Case cases[] = {
        {"1.5", true, 1.5}, {" -2 ", true, -2}, {"+3.", true, 3}, {".25", true, 0.25},
        {"1e3", true, 1000}, {"1.5E-2", true, 0.015},
        {"", false, 0}, {"  ", false, 0}, {"1,5", false, 0}, {"inf", false, 0},
        {"nan", false, 0}, {"0x10", false, 0}, {"1e999", false, 0}, {"abc", false, 0},
        {"1 2", false, 0}, {".", false, 0}, {"-", false, 0}, {"1.2.3", false, 0},
    };
    for (const Case& c : cases) {
        const auto v = parseStrictNumber(QString::fromUtf8(c.text));
        EXPECT_EQ(v.has_value(), c.ok) << c.text;
        if (c.ok && v) {
            EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
        }
    }
}

TEST(StrictNumberParser, RoundTripText)
{
    for (double v : {0.1, 1.0 / 3.0, -2.5, 1e-300, 123456789.125})
        EXPECT_EQ(*parseStrictNumber(formatRoundTrip(v)), v);
    EXPECT_EQ(formatRoundTrip(0.1), QStringLiteral("0.1"));
}

// The parser checks the form by hand; this is the same rule as a regular
// expression with Qt's own conversion, the slow way.
TEST(StrictNumberParser, AgreesWithTheRuleWrittenAsAPattern)
{
    const auto naive = [](const QString& text) -> std::optional<double> {
        static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
        if (!pattern.match(text).hasMatch())
            return std::nullopt;
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return std::nullopt;
        return v;
    };
    QStringList texts{"1e", "1e+", "+.5", "-.5e-3", "1.e5", " \t2\n", "--1", "+-1", "1e5.5", "1_0", "0x1p3",
                      "1e-400", "4.9e-324", "1.7976931348623157e308", "1.8e308", "00012.500", "-0", "1 e5",
                      QString::fromUtf8("\u0661\u0662"), QString::fromUtf8("\u00a01.5\u00a0"), "12.5abc"};
    // Random texts over the characters a number may hold.
    std::mt19937 rng(42);
    const QString alphabet = QStringLiteral("0123456789.+-eE ");
    for (int i = 0; i < 20000; ++i) {
        QString t;
        for (int k = std::uniform_int_distribution<int>(0, 8)(rng); k > 0; --k)
            t += alphabet[std::uniform_int_distribution<int>(0, int(alphabet.size()) - 1)(rng)];
        texts << t;
    }
    for (const QString& t : texts) {
        const std::optional<double> fast = parseStrictNumber(t);
        const std::optional<double> slow = naive(t);
        ASSERT_EQ(fast.has_value(), slow.has_value()) << t.toStdString();
        if (fast) {
            EXPECT_EQ(*fast, *slow) << t.toStdString();
        }
    }
}

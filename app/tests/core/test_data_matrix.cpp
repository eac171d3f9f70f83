// DataMatrix cells and the strict number parser.
#include <gtest/gtest.h>

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

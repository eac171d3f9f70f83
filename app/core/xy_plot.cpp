#include "core/xy_plot.hpp"

#include "SumtrixLib/Runtime.hpp"
#include "core/data_matrix.hpp"

QString plainNumberText(double value)
{
    if (value == 0)
        value = 0;                       // no sign for a negative zero
    return (value < 0 ? QString() : QStringLiteral(" ")) + formatRoundTrip(value);
}

QString pointCountFootnote(int n)
{
    return QStringLiteral("n = ") + plainNumberText(n);
}

QString plotCaptionFrom(const QString& mainCaption)
{
    const qsizetype dash = mainCaption.indexOf(QLatin1Char('-'));
    if (dash >= 1)
        return mainCaption.mid(dash + 2);
    return QStringLiteral("Untitled");
}

int markerSizeForPoints(int n)
{
    if (n < 50)
        return 200;
    if (n < 100)
        return 150;
    return 100;
}

double fontSizeFromText(const QString& text)
{
    const std::optional<double> size = parseStrictNumber(text);
    if (!size)
        SumtrixLib::raiseError(SumtrixLib::ErrTypeMismatch, "CreateXYPlot");
    return *size;
}

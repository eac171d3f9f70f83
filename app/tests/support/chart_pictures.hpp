#pragma once
// For the chart tests: what a picture of a chart shows (pixels near a
// colour, pixels of a hue; regions and colours, never exact pixels), and
// one of the evaluation run's XY charts as a fixture.

#include <QColor>
#include <QImage>
#include <QPointF>

#include <algorithm>
#include <cstdlib>

#include "core/xy_plot.hpp"

// How many pixels within `radius` of `centre` are near `colour`.
inline int pixelsNear(const QImage& image, QPointF centre, int radius, const QColor& colour)
{
    int count = 0;
    for (int y = static_cast<int>(centre.y()) - radius; y <= static_cast<int>(centre.y()) + radius; ++y)
        for (int x = static_cast<int>(centre.x()) - radius; x <= static_cast<int>(centre.x()) + radius; ++x) {
            if (!image.rect().contains(x, y))
                continue;
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green())
                    + std::abs(c.blue() - colour.blue())
                < 90)
                ++count;
        }
    return count;
}

inline int pixelsInImage(const QImage& image, const QColor& colour)
{
    return pixelsNear(image, QPointF(image.width() / 2.0, image.height() / 2.0),
                      std::max(image.width(), image.height()), colour);
}

// How many strongly coloured pixels have the hue of `colour`.
inline int pixelsOfHue(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int apart = std::abs(c.hsvHue() - colour.hsvHue());
            if (c.hsvSaturation() > 100 && c.value() > 60 && std::min(apart, 360 - apart) < 12)
                ++count;
        }
    return count;
}

// One of the evaluation run's charts: columns 0..3, series 3 only, the
// points (r, 20 + 4r) for rows r = 1..points, crosses in black.
inline XYPlot runPlot(int points, bool sameScale = false)
{
    XYPlot plot;
    plot.PlotData = PlotMatrix(points + 1, 4);
    for (int r = 1; r <= points; ++r) {
        plot.PlotData.set(r, 1, r);
        plot.PlotData.set(r, 2, r);
        plot.PlotData.set(r, 3, 20 + 4 * r);
    }
    plot.n = points;
    plot.Cols = 3;
    plot.SameScale = sameScale;
    plot.TitleText = QStringLiteral("Bland and Altman Analysis");
    plot.FootnoteTitle = pointCountFootnote(points);
    plot.AxisXTitle = QStringLiteral("Average");
    plot.AxisYTitle = QStringLiteral("Difference");
    plot.Marker[3] = 2;
    plot.PlotCaption = QStringLiteral("crop_yield.KVE");
    return plot;
}

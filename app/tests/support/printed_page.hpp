#pragma once
// For the printing tests: the first page of a PDF rendered by pdftoppm
// (poppler-utils) at 72 dots per inch, so that one pixel is one point, and
// where its ink lies.

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

#include <cstdlib>
#include <vector>

// The first page of `pdf` as a picture of 72 dots per inch; a null picture
// when it cannot be rendered.
inline QImage renderedPage(const QString& pdf)
{
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"), QStringLiteral("1"),
                  QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf,
                  stem});
    if (!render.waitForFinished(60000) || render.exitStatus() != QProcess::NormalExit || render.exitCode() != 0)
        return QImage();
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Whether a pixel is ink: clearly darker than the white page, or clearly
// coloured.
inline bool isInk(QRgb pixel)
{
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    return r + g + b < 3 * 200 || std::abs(r - g) > 60 || std::abs(g - b) > 60 || std::abs(r - b) > 60;
}

// The smallest rectangle that holds every pixel for which `ink` is true.
template <class Ink>
QRect inkBounds(const QImage& page, Ink ink)
{
    QRect bounds;
    for (int y = 0; y < page.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if (ink(line[x]))
                bounds |= QRect(x, y, 1, 1);
    }
    return bounds;
}

inline QRect inkBounds(const QImage& page)
{
    return inkBounds(page, isInk);
}

// The left edges of the runs of columns that hold ink, from left to right.
inline std::vector<int> inkColumnStarts(const QImage& page)
{
    std::vector<int> starts;
    bool before = false;
    for (int x = 0; x < page.width(); ++x) {
        bool any = false;
        for (int y = 0; y < page.height() && !any; ++y)
            any = isInk(page.pixel(x, y));
        if (any && !before)
            starts.push_back(x);
        before = any;
    }
    return starts;
}

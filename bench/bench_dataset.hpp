#pragma once
// The dataset files that the benchmarks open: the option lines of the
// sample dataset with the sections named in `off` switched off, then `rows`
// rows of X, SD X, Y and SD Y as quoted texts with a few decimals, the rank
// columns never set and one row in a hundred excluded with "Y".
// Seeded: every run writes the same file.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>
#include <initializer_list>
#include <random>

inline bool writeBenchDataset(const QString& path, int rows, std::initializer_list<const char*> off)
{
    QFile sample(QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE"));
    if (!sample.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = sample.readAll();
    QByteArray out = all.left(all.indexOf("\r\nN=") + 2);
    for (const char* key : off)
        out.replace("\r\n" + QByteArray(key) + "= 1\r\n", "\r\n" + QByteArray(key) + "= 0\r\n");
    out += "N=" + QByteArray::number(rows) + "\r\nDATA:\r\n";
    std::mt19937_64 rng(20260101 + static_cast<unsigned>(rows));
    std::uniform_real_distribution<double> xs(2.0, 10.0), sds(0.2, 0.6), unit(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 0.4);
    char line[160];
    for (int r = 0; r < rows; ++r) {
        const double x = xs(rng);
        const double y = 0.2 + 0.97 * x + noise(rng);
        const double sdx = sds(rng);
        const double sdy = sds(rng);
        const bool excluded = unit(rng) < 0.01;
        const int n = std::snprintf(line, sizeof line, "\"%.4f\",\"%.3f\",\"%.4f\",\"%.3f\",,,%s\r\n", x, sdx, y,
                                    sdy, excluded ? "\"Y\"" : "");
        out.append(line, n);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

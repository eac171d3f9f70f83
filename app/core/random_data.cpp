#include "core/random_data.hpp"

#include <cmath>
#include <limits>

#include "core/copula_generator.hpp"
#include "core/random_source.hpp"
#include "core/sumtrix_instance.hpp"

namespace {

// A box read as a number: an empty (or blank) box counts as 0; text that is
// not a number gives nothing.
std::optional<double> readBox(const QString& text)
{
    if (text.trimmed().isEmpty())
        return 0.0;
    return parseStrictNumber(text);
}

QString notANumber(const QString& field, const QString& text)
{
    return QStringLiteral("%1: \"%2\" is not a number").arg(field, text.trimmed());
}

RandomDataCheck refused(const QString& message)
{
    return RandomDataCheck{std::nullopt, message};
}

} // namespace

RandomDataCheck checkRandomDataInput(const RandomDataInput& input)
{
    struct Box {
        const QString& text;
        const char* field;
        double* target;
    };
    RandomDataSettings s;
    s.method = input.method;
    double count = 0.0;
    const Box boxes[] = {
        {input.meanY, "Mean of Observed (Y)", &s.meanY},
        {input.varianceY, "Variance of Observed (Y)", &s.varianceY},
        {input.meanX, "Mean of Predicted (X)", &s.meanX},
        {input.varianceX, "Variance of Predicted (X)", &s.varianceX},
        {input.correlation, "Correlation (X and Y)", &s.r},
        {input.count, "Data points", &count},
    };
    for (const Box& box : boxes) {
        const std::optional<double> v = readBox(box.text);
        if (!v)
            return refused(notANumber(QString::fromLatin1(box.field), box.text));
        *box.target = *v;
    }

    // The count rounds half to even (2.5 gives 2) in the default rounding mode.
    const double n = std::nearbyint(count);
    if (!(n > 2.0))
        return refused(QStringLiteral("Number of data points cannot be less than 3"));
    if (n > MaxRandomPoints)
        return refused(QStringLiteral("Number of data points cannot be more than 1,000,000"));
    s.n = static_cast<int>(n);

    if (!(s.r >= 0.0 && s.r <= 1.0))
        return refused(QStringLiteral("Correlation has to be between o and 1"));
    if (s.r == 1.0)
        s.r = 0.999;

    if (!(s.varianceY > 0.0 && s.varianceX > 0.0))
        return refused(QStringLiteral("Variance cannot be negative or zero"));
    // A variance below the smallest normal double is held with only a few
    // digits and its square root with fewer.
    for (const Box& box : {boxes[1], boxes[3]})
        if (*box.target < std::numeric_limits<double>::min())
            return refused(QStringLiteral("%1: \"%2\" is too small; the smallest variance is %3")
                               .arg(QString::fromLatin1(box.field), box.text.trimmed(),
                                    QString::number(std::numeric_limits<double>::min(), 'g', 17)));

    return RandomDataCheck{s, QString()};
}

StraightLineModel straightLineModel(const RandomDataSettings& settings)
{
    StraightLineModel m;
    const double n = settings.n;
    const double r2 = settings.r * settings.r;
    m.SSx = n * settings.varianceX;
    m.SSy = n * settings.varianceY;
    // sqrt(r^2 SSy / SSx) and SSE / (n - 2) without forming SSy / SSx or
    // n varY, which overflow for variances far apart or near the double
    // range while the slope and MSE themselves are finite.
    m.b1 = settings.r * (std::sqrt(settings.varianceY) / std::sqrt(settings.varianceX));
    m.b0 = settings.meanY - settings.meanX * m.b1;
    m.SSE = (1.0 - r2) * m.SSy;
    m.MSE = settings.varianceY * ((1.0 - r2) * n / (n - 2.0));
    return m;
}

double libraryNormalQuantile(double p)
{
    double IER = 0.0;
    return sumtrix().STAT_InvNorm(p, IER);
}

RandomDataset generateRandomData(const RandomDataSettings& settings, RandomSource& source,
                                 const NormalQuantile& z, CopulaGenerator& copula)
{
    const int n = settings.n;
    std::vector<double> U1(n);
    std::vector<double> U2(n);
    for (int i = 0; i < n; ++i) {
        U1[i] = source.nextUniform();
        U2[i] = source.nextUniform();
    }

    RandomDataset data;
    data.X.resize(n);
    data.Y.resize(n);
    const double sdX = std::sqrt(settings.varianceX);

    if (settings.method == RandomMethod::Varnholt) {
        // Y = b1 X + b0 + E, worked centred: b1 X + b0 = meanY + b1 (X - meanX)
        // and b1 (X - meanX) = b1 sdX z(U1), so a large b1 X and b0 never
        // cancel each other (they do when X varies little about a mean far
        // from 0). sdE = sqrt(MSE) = sdY sqrt((1 - r^2) n / (n - 2)).
        const StraightLineModel m = straightLineModel(settings);
        const double slope = m.b1 * sdX;
        const double sdE = std::sqrt(settings.varianceY)
                           * std::sqrt((1.0 - settings.r * settings.r) * n / (n - 2.0));
        for (int i = 0; i < n; ++i) {
            const double z1 = z(U1[i]);
            data.X[i] = sdX * z1 + settings.meanX;
            const double e = sdE * z(U2[i]);
            data.Y[i] = settings.meanY + slope * z1 + e;
        }
        return data;
    }

    const std::int16_t kind = settings.method == RandomMethod::FrankCopula
                                  ? CopulaGenerator::Frank : CopulaGenerator::Clayton;
    std::vector<double> V(n);
    copula.GenerateCopula(U1, U2, V, n, settings.r, kind, 0.0);
    const double sdY = std::sqrt(settings.varianceY);
    for (int i = 0; i < n; ++i) {
        data.X[i] = sdX * z(U1[i]) + settings.meanX;
        data.Y[i] = sdY * z(V[i]) + settings.meanY;
    }
    return data;
}

QString checkGeneratedValues(const RandomDataset& data)
{
    for (std::size_t i = 0; i < data.X.size(); ++i)
        if (!std::isfinite(data.X[i]) || !std::isfinite(data.Y[i]))
            return QStringLiteral("The means or variances are too large for the generated values");
    return QString();
}

DataMatrix randomDataMatrix(const RandomDataset& data)
{
    const int n = static_cast<int>(data.X.size());
    DataMatrix m(n + 1);
    for (int i = 0; i < n; ++i) {
        m.setNumber(DataMatrix::ColX, i + 1, data.X[i]);
        m.setNumber(DataMatrix::ColY, i + 1, data.Y[i]);
        m.setText(DataMatrix::ColRankX, i + 1, QString());
        m.setText(DataMatrix::ColRankY, i + 1, QString());
    }
    return m;
}

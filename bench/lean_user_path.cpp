// The lean comparison program of the side-by-side timing: standard C++
// only, no window, no library. It reads a dataset file with std::from_chars,
// keeps the rows an evaluation uses (X not empty, exclusion mark not
// beginning with "Y", "y" or "0"), computes every figure of the report's
// regression, parameter-test and OLS/SLS sections, and writes them to a
// text file:
//
//   lean_user_path FILE.KVE OUTPUT.TXT
//
// It is the yardstick of how fast the user's path can be, not a second
// implementation of the report: it prints the figures plainly.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Regularized incomplete beta I_x(a, b) by its continued fraction (Lentz).
double betacf(double a, double b, double x)
{
    const double tiny = 1e-300;
    double c = 1.0, d = 1.0 - (a + b) * x / (a + 1.0);
    if (std::fabs(d) < tiny)
        d = tiny;
    d = 1.0 / d;
    double h = d;
    for (int m = 1; m <= 10000; ++m) {
        const double m2 = 2.0 * m;
        double aa = m * (b - m) * x / ((a + m2 - 1.0) * (a + m2));
        d = 1.0 + aa * d;
        d = std::fabs(d) < tiny ? tiny : d;
        c = 1.0 + aa / c;
        c = std::fabs(c) < tiny ? tiny : c;
        d = 1.0 / d;
        h *= d * c;
        aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1.0));
        d = 1.0 + aa * d;
        d = std::fabs(d) < tiny ? tiny : d;
        c = 1.0 + aa / c;
        c = std::fabs(c) < tiny ? tiny : c;
        d = 1.0 / d;
        const double del = d * c;
        h *= del;
        if (std::fabs(del - 1.0) < 1e-15)
            break;
    }
    return h;
}

double betai(double a, double b, double x)
{
    if (x <= 0.0)
        return 0.0;
    if (x >= 1.0)
        return 1.0;
    const double bt = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x)
                               + b * std::log(1.0 - x));
    if (x < (a + 1.0) / (a + b + 2.0))
        return bt * betacf(a, b, x) / a;
    return 1.0 - bt * betacf(b, a, 1.0 - x) / b;
}

// Two-sided P of Student's t with df degrees of freedom.
double tP(double t, double df)
{
    return betai(0.5 * df, 0.5, df / (df + t * t));
}

// Upper tail of F(d1, d2).
double fP(double f, double d1, double d2)
{
    return betai(0.5 * d2, 0.5 * d1, d2 / (d2 + d1 * f));
}

double median(std::vector<double> v)
{
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid), v.end());
    const double upper = v[mid];
    if (v.size() % 2 == 1)
        return upper;
    return 0.5 * (*std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid)) + upper);
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The fields of one data line (quoted or not; a quote inside stays doubled,
// which no number holds).
void fields(std::string_view line, std::string_view (&out)[7])
{
    std::size_t k = 0;
    std::size_t i = 0;
    while (k < 7) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        std::size_t end;
        if (i < line.size() && line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            out[k] = line.substr(i + 1, close - i - 1);
            end = line.find(',', close);
        } else {
            end = line.find(',', i);
            out[k] = trimmed(line.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
        }
        ++k;
        if (end == std::string_view::npos)
            break;
        i = end + 1;
    }
    for (; k < 7; ++k)
        out[k] = {};
}

double number(std::string_view s)
{
    s = trimmed(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: lean_user_path FILE.KVE OUTPUT.TXT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string_view rest(bytes);
    const auto nextLine = [&rest] {
        const std::size_t nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    };
    long rows = 0;
    while (!rest.empty()) {
        const std::string_view line = nextLine();
        if (line.rfind("N=", 0) == 0)
            rows = std::lround(number(line.substr(2)));
        if (line == "DATA:")
            break;
    }

    std::vector<double> X, Y;
    X.reserve(static_cast<std::size_t>(rows));
    Y.reserve(static_cast<std::size_t>(rows));
    std::string_view f[7];
    for (long r = 0; r < rows && !rest.empty(); ++r) {
        fields(nextLine(), f);
        if (f[0].empty())
            continue;
        const char mark = f[6].empty() ? '\0' : f[6].front();
        if (mark == 'Y' || mark == 'y' || mark == '0')
            continue;
        X.push_back(number(f[0]));
        Y.push_back(number(f[2]));
    }
    const double n = static_cast<double>(X.size());
    if (X.size() < 3) {
        std::fprintf(stderr, "fewer than 3 rows\n");
        return 1;
    }

    // Means, centred sums.
    double sx = 0, sy = 0;
    for (std::size_t i = 0; i < X.size(); ++i) {
        sx += X[i];
        sy += Y[i];
    }
    const double mx = sx / n, my = sy / n;
    double Sxx = 0, Syy = 0, Sxy = 0;
    for (std::size_t i = 0; i < X.size(); ++i) {
        const double dx = X[i] - mx, dy = Y[i] - my;
        Sxx += dx * dx;
        Syy += dy * dy;
        Sxy += dx * dy;
    }
    // Least-squares line, residuals, resistant r².
    const double b = Sxy / Sxx, a = my - b * mx;
    double sse = 0;
    std::vector<double> absRes(X.size()), absDev(X.size());
    for (std::size_t i = 0; i < X.size(); ++i) {
        const double e = Y[i] - (a + b * X[i]);
        sse += e * e;
        absRes[i] = std::fabs(e);
        absDev[i] = std::fabs(Y[i] - my);
    }
    const double df = n - 2.0;
    const double mse = sse / df;
    const double sigb = std::sqrt(mse / Sxx), siga = std::sqrt(mse * (1.0 / n + mx * mx / Sxx));
    const double r = Sxy / std::sqrt(Sxx * Syy);
    const double t = r * std::sqrt(df / ((1.0 - r) * (1.0 + r)));
    const double z = 0.5 * std::log((1.0 + r) / (1.0 - r));
    const double pr = n > 499 ? std::erfc(std::fabs(z * std::sqrt(n - 1.0)) / std::sqrt(2.0)) : tP(t, df);
    const double q = median(absRes) / median(absDev);
    const double rr2 = 1.0 - q * q;
    const double adjRr2 = 1.0 - (1.0 - rr2) * (n - 1.0) / (n - 3.0);

    // Simultaneous F tests of a = 0 and b = 1.
    double S = 0;
    for (double x : X)
        S += x * x * (b - 1.0) * (b - 1.0);
    const double s2 = sse / df;
    const double Q = a * a * n + 2.0 * n * mx * a * (b - 1.0) + S;
    const double fDB = Q * df / (2.0 * n * s2), fM = Q / (2.0 * s2);

    // The six lines of Isobe et al. (1990) with their standard errors.
    const double b1 = Sxy / Sxx, b2 = Syy / Sxy, sgn = Sxy < 0 ? -1.0 : 1.0;
    double slope[7], icpt[7], sslope[7], sicpt[7] = {};
    slope[1] = b1;
    slope[2] = b2;
    slope[3] = (b1 * b2 - 1.0 + std::sqrt((1.0 + b1 * b1) * (1.0 + b2 * b2))) / (b1 + b2);
    const double dd = b2 - 1.0 / b1;
    slope[4] = 0.5 * (dd + sgn * std::sqrt(4.0 + dd * dd));
    slope[5] = sgn * std::sqrt(b1 * b2);
    slope[6] = 0.5 * (b1 + b2);
    for (int j = 1; j <= 6; ++j)
        icpt[j] = my - mx * slope[j];
    const double gam1 = slope[3] / ((b1 + b2) * std::sqrt((1.0 + b1 * b1) * (1.0 + b2 * b2)));
    const double gam2 = slope[4] / std::sqrt(4.0 * b1 * b1 + (b1 * b2 - 1.0) * (b1 * b2 - 1.0));
    double sum1 = 0, sum2 = 0, sum3 = 0;
    for (std::size_t i = 0; i < X.size(); ++i) {
        const double dx = X[i] - mx, dy = Y[i] - my;
        const double r1 = dy - b1 * dx, r2 = dy - b2 * dx;
        sum1 += (dx * r1) * (dx * r1);
        sum2 += (dy * r2) * (dy * r2);
        sum3 += dx * dy * r1 * r2;
    }
    const double cov = sum3 / (b1 * Sxx * Sxx);
    sslope[1] = sum1 / (Sxx * Sxx);
    sslope[2] = sum2 / (Sxy * Sxy);
    const double p1 = 1.0 + b1 * b1, p2 = 1.0 + b2 * b2;
    sslope[3] = gam1 * gam1 * (p2 * p2 * sslope[1] + 2.0 * p1 * p2 * cov + p1 * p1 * sslope[2]);
    sslope[4] = gam2 * gam2 * (sslope[1] / (b1 * b1) + 2.0 * cov + b1 * b1 * sslope[2]);
    sslope[5] = 0.25 * (b2 * sslope[1] / b1 + 2.0 * cov + b1 * sslope[2] / b2);
    sslope[6] = 0.25 * (sslope[1] + 2.0 * cov + sslope[2]);
    for (std::size_t i = 0; i < X.size(); ++i) {
        const double dx = X[i] - mx, dy = Y[i] - my;
        const double r1 = dy - b1 * dx, r2 = dy - b2 * dx;
        const double t1 = r1 * dx / Sxx, t2 = r2 * dy / Sxy;
        const double v[7] = {0,
                             r1 * (1.0 - n * mx * dx / Sxx),
                             r2 * (1.0 - n * mx * dy / Sxy),
                             (p1 * t2 + p2 * t1) * gam1 * mx * n - dy + slope[3] * dx,
                             sgn * (b1 * b1 * t2 + t1) * gam2 * mx * n / std::fabs(b1) - dy + slope[4] * dx,
                             0.5 * (t1 * std::sqrt(b2 / b1) + t2 * std::sqrt(b1 / b2)) * n * mx - dy + slope[5] * dx,
                             0.5 * (t1 + t2) * n * mx - dy + slope[6] * dx};
        for (int j = 1; j <= 6; ++j)
            sicpt[j] += v[j] * v[j];
    }

    FILE* out = std::fopen(argv[2], "wb");
    if (!out)
        return 1;
    std::fprintf(out, "a %.5f +- %.5f\r\nb %.5f +- %.5f\r\nMSE %.5f root %.5f\r\nN %.0f r %.5f\r\n", a, siga, b, sigb,
                 mse, std::sqrt(mse), n, r);
    std::fprintf(out, "r2 %.5f adj %.5f\r\nresistant r2 %.5f adj %.5f\r\nchi2 %.5f Q %.5f\r\n", r * r,
                 1.0 - (1.0 - r * r) * (n - 1.0) / (n - 2.0), rr2, adjRr2, sse, 1.0);
    std::fprintf(out, "r = 0: t %.5f P %.5f\r\n", t, pr);
    std::fprintf(out, "a = 0: t %.5f P %.5f\r\n", a / siga, tP(a / siga, df));
    std::fprintf(out, "b = 0: t %.5f P %.5f\r\n", b / sigb, tP(b / sigb, df));
    std::fprintf(out, "b = 1: t %.5f P %.5f\r\n", (b - 1.0) / sigb, tP((b - 1.0) / sigb, df));
    std::fprintf(out, "F DB %.5f P %.5f\r\nF M %.5f P %.5f\r\n", fDB, fP(fDB, 2.0, df), fM, fP(fM, 2.0, df));
    for (int j = 1; j <= 6; ++j) {
        const double sa = std::sqrt(sicpt[j]) / n, sb = std::sqrt(sslope[j]);
        std::fprintf(out, "line %d: a %.5f +- %.5f (%.5f) b %.5f +- %.5f (%.5f)\r\n", j, icpt[j], sa,
                     tP(icpt[j] / sa, df), slope[j], sb, tP((slope[j] - 1.0) / sb, df));
    }
    std::fclose(out);
    return 0;
}

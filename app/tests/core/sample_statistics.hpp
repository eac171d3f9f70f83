#pragma once
// Naive sample statistics for checking generated data: the textbook
// definitions, written for clarity, not speed.

#include <cmath>
#include <cstddef>
#include <vector>

namespace SampleStatistics {

inline double mean(const std::vector<double>& x)
{
    double s = 0.0;
    for (double v : x)
        s += v;
    return s / double(x.size());
}

// Variance with divisor n - 1.
inline double variance(const std::vector<double>& x)
{
    const double m = mean(x);
    double s = 0.0;
    for (double v : x)
        s += (v - m) * (v - m);
    return s / double(x.size() - 1);
}

inline double correlation(const std::vector<double>& x, const std::vector<double>& y)
{
    const double mx = mean(x);
    const double my = mean(y);
    double sxy = 0.0, sxx = 0.0, syy = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    return sxy / std::sqrt(sxx * syy);
}

inline int sign(double d)
{
    return (d > 0.0) - (d < 0.0);
}

// Kendall's tau (tau-a, over all pairs) with the standard error of the
// U-statistic: with c_i the mean of sign(x_i - x_j) sign(y_i - y_j) over
// j != i, tau = mean(c_i) and Var(tau) is about 4/n Var(c_i) (Hoeffding).
struct KendallEstimate {
    double tau = 0.0;
    double standardError = 0.0;
};

inline KendallEstimate kendall(const std::vector<double>& x, const std::vector<double>& y)
{
    const std::size_t n = x.size();
    std::vector<double> c(n, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const int s = sign(x[i] - x[j]) * sign(y[i] - y[j]);
            c[i] += s;
            c[j] += s;
        }
    for (double& v : c)
        v /= double(n - 1);
    KendallEstimate k;
    k.tau = mean(c);
    k.standardError = std::sqrt(4.0 / double(n) * variance(c));
    return k;
}

} // namespace SampleStatistics

// Incomplete gamma and chi-square: ln Γ, the regularized incomplete gamma
// functions P(a, x) and Q(a, x) with their series and continued-fraction
// workers, the chi-square tails and the chi-square quantile (AS 91).
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "decimal.hpp"

namespace SumtrixLib {

namespace {

// The six coefficients of the Lanczos series for ln Γ (γ = 5), its start
// and the scale √(2π), as published with their 16 digits. They are held in
// the decimal type and the series is summed in it, so each partial sum is
// exact to the decimal places the type keeps before it is rounded to double.
struct LanczosConstants {
    Decimal cof[6] = {
        Decimal::fromText("76.18009172947146d0"),   Decimal::fromText("-86.50532032941677d0"),
        Decimal::fromText("24.01409824083091d0"),   Decimal::fromText("-1.231739572450155d0"),
        Decimal::fromText("0.1208650973866179d-2"), Decimal::fromText("-0.5395239384953d-5"),
    };
    Decimal stp = Decimal::fromText("2.5066282746310005d0");
    double start = Decimal::fromText("1.000000000190015d0").toDouble();
};

const LanczosConstants& lanczos()
{
    static const LanczosConstants constants;
    return constants;
}

} // namespace

double Sumtrix::Gamma_gammln(double xx)
{
    const LanczosConstants& k = lanczos();
    const double x = xx;
    double y = xx;
    double tmp = checkedAdd(x, 5.5);
    tmp = checkedSub(checkedMul(x + 0.5, checkedLog(tmp)), tmp);
    double ser = k.start;
    for (const Decimal& c : k.cof) {
        y += 1.0;
        // Each partial sum goes back to double; the next term brings it into
        // the decimal type again at 15 significant digits.
        ser = (Decimal::fromDouble(ser) + c / Decimal::fromDouble(y)).toDouble();
    }
    // √(2π)·ser/x in the decimal type: it keeps 28 decimal places, so the
    // quotient loses digits for very large x and becomes 0 beyond about
    // 5E28; a tiny x (below about 5E-29) enters as 0.
    const Decimal q = k.stp * Decimal::fromDouble(ser) / Decimal::fromDouble(x);
    return checkedAdd(tmp, checkedLog(q.toDouble()));
}

} // namespace SumtrixLib

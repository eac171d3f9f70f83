// The program reaches the library through its one object.
#include <gtest/gtest.h>

#include "core/sumtrix_instance.hpp"

TEST(SumtrixInstance, OneObjectKeepsItsStateBetweenCalls)
{
    // The straight-line fit with errors in both coordinates stores its data
    // in the object it ran on; a later call through sumtrix() finds them
    // only when it reaches the same object. Element 0 is not used.
    using SumtrixLib::BoundedArray;
    const BoundedArray<double> x(0, {0, 1, 2, 3, 4}), y(0, {0, 1.1, 1.9, 3.2, 3.9});
    const BoundedArray<double> sx(0, {0, 0.1, 0.1, 0.1, 0.1}), sy(0, {0, 0.2, 0.2, 0.2, 0.2});
    ASSERT_EQ(sumtrix().lineFitState().FitCount, 0);
    double a = 0, b = 0, siga = 0, sigb = 0, chi2 = 0, q = 0;
    sumtrix().Reg_FitRandomXY(x, y, sx, sy, a, b, siga, sigb, chi2, q, 1E-10);
    EXPECT_EQ(sumtrix().lineFitState().FitCount, 4);
    EXPECT_EQ(sumtrix().FormatOutput(0.5, 8, 3), "   0.500");
}

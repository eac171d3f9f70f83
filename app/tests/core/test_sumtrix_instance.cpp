// The program reaches the library through its one object.
#include <gtest/gtest.h>

#include "core/sumtrix_instance.hpp"

TEST(SumtrixInstance, OneObjectForTheProcess)
{
    EXPECT_EQ(&sumtrix(), &sumtrix());
    EXPECT_EQ(sumtrix().FormatOutput(0.5, 8, 3), "   0.500");
}

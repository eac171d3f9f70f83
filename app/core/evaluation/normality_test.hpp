#pragma once
// The goodness-of-fit block for one data array, shared by the distribution
// and deviation sections, and Shapiro-Wilk's W with its fault rule.
//
// Placeholder until the distribution sections bring the full block: the
// same interface, the block's title and closing line only.

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

#include "SumtrixLib/BoundedArray.hpp"

namespace SumtrixLib {
class Sumtrix;
}

// Shapiro-Wilk's W and its probability for data(1..n), the coefficients
// computed afresh into a (room for n). A fault code other than 2 (more than
// 5000 values, still computed) leaves both not computed.
std::pair<double, double> shapiroWilk(SumtrixLib::Sumtrix& lib, const SumtrixLib::BoundedArray<double>& data,
                                      std::int32_t n, SumtrixLib::BoundedArray<double>& a);

// The block for w(1..n) (element 0 unused), CR LF line ends, ending with its
// closing "!! ... !!" line without a line break after it.
QString NormalityTest(SumtrixLib::Sumtrix& lib, const std::vector<double>& w, std::int32_t n, std::int16_t iTest,
                      bool Adjusted);

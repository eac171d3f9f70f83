#pragma once
// The goodness-of-fit block for one data array: the EDF statistics of a
// normal distribution with mean and variance estimated from the data, and
// Shapiro-Wilk's W. The distribution section writes it for X and for Y; the
// deviation analysis writes it for the deviations.

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
// 5000 values, still computed) leaves both not computed, and so do data
// that the caller knows to be one value within rounding (`spread` false):
// they have no distribution to test.
std::pair<double, double> shapiroWilk(SumtrixLib::Sumtrix& lib, const SumtrixLib::BoundedArray<double>& data,
                                      std::int32_t n, SumtrixLib::BoundedArray<double>& a, bool spread = true);

// The block for w(1..n) (element 0 unused), CR LF line ends; it ends with
// its closing "!! These calculations were [not ]adjusted for Normal
// distribution !!" line, without a line break after it and whatever the
// comment setting. iTest and Adjusted go to STAT_EDFGOF; Adjusted also
// chooses the closing line. A statistic the library could not compute
// prints "n/a", and so does every statistic of data that are one value
// within rounding (`spread` false); the block is always complete.
QString NormalityTest(SumtrixLib::Sumtrix& lib, const SumtrixLib::BoundedArray<double>& w, std::int32_t n, std::int16_t iTest,
                      bool Adjusted, bool spread = true);

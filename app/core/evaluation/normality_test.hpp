#pragma once
// The goodness-of-fit block for one data array: the EDF statistics of a
// normal distribution with mean and variance estimated from the data, and
// Shapiro-Wilk's W. The distribution section writes it for X and for Y; the
// deviation analysis writes it for the deviations.

#include <QString>

#include <cstdint>
#include <vector>

namespace SumtrixLib {
class Sumtrix;
}

// The block for w(1..n) (element 0 unused), CR LF line ends; it ends with
// its closing "!! These calculations were [not ]adjusted for Normal
// distribution !!" line, without a line break after it and whatever the
// comment setting. iTest and Adjusted go to STAT_EDFGOF; Adjusted also
// chooses the closing line. A statistic the library could not compute
// prints "n/a"; the block is always complete.
QString NormalityTest(SumtrixLib::Sumtrix& lib, const std::vector<double>& w, std::int32_t n, std::int16_t iTest,
                      bool Adjusted);

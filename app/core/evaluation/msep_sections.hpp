#pragma once
// The mean square error of prediction: its bootstrap over random
// sub-samples of the used rows.

#include <cstdint>
#include <vector>

#include "core/evaluation/evaluation_context.hpp"

// The bootstrap's results: mean and variance over the sub-samples of their
// MSEP and of their variance of MSEP.
struct BootstrapResult {
    double BSMSEP = NotComputed, BSMSEPVar = NotComputed, BSVarMSEP = NotComputed, BSVarMSEPVar = NotComputed;
};

// `subsamples` sub-samples of the points XArray(d), YArray(d), d = 1 to the
// views' last index. Each point joins a sub-sample with probability
// Prop / 100 (one uniform draw from `random` per point and sub-sample), at
// most once and in the order of the data, so the sub-samples' sizes vary.
// A sub-sample of fewer than 3 points has no MSEP: it counts with 0. The
// means are used only to keep sums of the measures within range. With one
// sub-sample the means are its own values and the variances NotComputed.
BootstrapResult BootstrapMSEP(SumtrixLib::Sumtrix& lib, RandomSource& random, std::int32_t subsamples, double Prop,
                              ArrayView XArray, ArrayView YArray, double MeanX, double MeanY);

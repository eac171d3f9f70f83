#pragma once
// The guarded, statement-by-statement forms of the methods that have an
// unguarded fast path (fault_watch.hpp), and the bounds-checked forms of
// those that address plain arrays where they can. The methods run them
// when the fast form cannot be taken or would have met a failing
// statement; tests run them directly to check that both forms give the
// same results.

#include <cstdint>
#include <span>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

void slopesStepByStep(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray, std::int32_t n,
                      BoundedArray<double>& intercept, BoundedArray<double>& slope,
                      BoundedArray<double>& sigintercept, BoundedArray<double>& sigslope);

void modelMeasuresStepByStep(Sumtrix& lib, const BoundedArray<double>& x, const BoundedArray<double>& y,
                             std::int32_t size, double MeanX, double MeanY, double& r2, double& mb, double& MAE,
                             double& pMAE, double& MSEP, double& VarMSEP, BoundedArray<double>& MSEPComp,
                             double& MEF, double& MxE, double& CD);

void resistantR2StepByStep(Sumtrix& lib, std::int32_t n, const BoundedArray<double>& y, double MeanY,
                           const BoundedArray<double>& Pred, double& ResistantR2, double& AdjResistantR2);

// STAT_Residue on bounds-checked arrays, the normal scores by sorting the
// residues with the point numbers (Sort_Sort2, Rank_CRank); the points
// onLine (ascending) as residueThroughPoints takes them, and residues
// within `tie` of the one below them tied with it.
void residueBoundsChecked(Sumtrix& lib, double b0, double b1, const BoundedArray<double>& x,
                          const BoundedArray<double>& y, double VarX, double MeanX, double MeanY, std::int32_t n,
                          double& MSE, BoundedArray<double>& Deviation, BoundedArray<double>& Pred,
                          BoundedArray<double>& Residue, BoundedArray<double>& SEr, BoundedArray<double>& StdtRes,
                          BoundedArray<double>& RStdtRes, BoundedArray<double>& h, BoundedArray<double>& Cook,
                          BoundedArray<double>& DFFITS, BoundedArray<double>& NormalResidue,
                          BoundedArray<double>& PRESS, BoundedArray<double>& SemiStdtRes, BoundedArray<double>& WtDev,
                          std::span<const std::int32_t> onLine = {}, double tie = 0.0);

// The median of elements first..last of `a` by a stable sort of a copy.
double medianBySorting(const BoundedArray<double>& a, std::int32_t first, std::int32_t last);

} // namespace SumtrixLib

#pragma once
// The order of the library's interface: the 156 methods of class Sumtrix in
// interface order (index = position), each with its result kind and the way
// it reports trouble. This table is the one record of the order; a client
// that calls by slot uses slot = 7 + index.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace SumtrixLib {

enum class ResultKind { None, Double, Variant, Matrix, Complex, Boolean, String };

enum class ErrorStyle {
    NoTrap,             // (a) a run-time fault fails the call
    TrapWithMsg,        // (b) trapped; Msg text and a failure result
    RaisedMatrixError,  // (c) error 1000, source "MatrixLib - " + operation
    MessageBox,         // (d) a message through the MessageSink, then go on
    ErrorsIgnored,      // (e) a failed step assigns nothing; the call succeeds
    MarkerTrap,         // MinMatrix / MaxMatrix: a marker value instead of failing
};

struct MethodInfo {
    int index;
    std::string_view name;
    ResultKind result;
    ErrorStyle errorStyle;
};

inline constexpr int MethodCount = 156;
// Slots before the first method: the three of the object's identity and the
// four of late binding.
inline constexpr int FirstMethodSlot = 7;

inline constexpr std::array<MethodInfo, MethodCount> MethodTable{{
    {0, "Complex_Add", ResultKind::Complex, ErrorStyle::NoTrap},
    {1, "Complex_Subtract", ResultKind::Complex, ErrorStyle::NoTrap},
    {2, "Complex_Multiply", ResultKind::Complex, ErrorStyle::NoTrap},
    {3, "Complex_Divide", ResultKind::Complex, ErrorStyle::NoTrap},
    {4, "Complex_Power", ResultKind::Complex, ErrorStyle::NoTrap},
    {5, "Complex_Exp", ResultKind::Complex, ErrorStyle::NoTrap},
    {6, "Complex_Log", ResultKind::Complex, ErrorStyle::NoTrap},
    {7, "Complex_Root", ResultKind::Variant, ErrorStyle::NoTrap},
    {8, "Complex_Abs", ResultKind::Double, ErrorStyle::NoTrap},
    {9, "FUNC_Sq", ResultKind::Double, ErrorStyle::NoTrap},
    {10, "FUNC_Abs", ResultKind::Double, ErrorStyle::NoTrap},
    {11, "FUNC_Power", ResultKind::Double, ErrorStyle::NoTrap},
    {12, "Math_Asin", ResultKind::Double, ErrorStyle::NoTrap},
    {13, "Math_Round", ResultKind::Double, ErrorStyle::NoTrap},
    {14, "Root_laguer", ResultKind::Variant, ErrorStyle::MessageBox},
    {15, "Root_zroots", ResultKind::Variant, ErrorStyle::NoTrap},
    {16, "Root_zbrent", ResultKind::Double, ErrorStyle::MessageBox},
    {17, "Interpolate_LagrangeBase0", ResultKind::Double, ErrorStyle::TrapWithMsg},
    {18, "Interpolate_LagrangeBase1", ResultKind::Double, ErrorStyle::TrapWithMsg},
    {19, "Interpolate_BarycentricBase0", ResultKind::Double, ErrorStyle::TrapWithMsg},
    {20, "Interpolate_BarycentricBase1", ResultKind::Double, ErrorStyle::TrapWithMsg},
    {21, "Interpolate_NewtonBase0", ResultKind::Double, ErrorStyle::TrapWithMsg},
    {22, "Interpolate_NewtonBase1", ResultKind::Double, ErrorStyle::TrapWithMsg},
    {23, "Interpolate_CubicSpline_Shammas", ResultKind::Double, ErrorStyle::TrapWithMsg},
    {24, "Interpolate_CubicSpline_ChapraAndCanale", ResultKind::Double, ErrorStyle::TrapWithMsg},
    {25, "Interpolate_CubicSpline_ChapraAndCanale2", ResultKind::Double, ErrorStyle::TrapWithMsg},
    {26, "Interpolate_CubicSplineBase0", ResultKind::Variant, ErrorStyle::TrapWithMsg},
    {27, "Interpolate_CubicSplineBase0Matrix", ResultKind::None, ErrorStyle::TrapWithMsg},
    {28, "Interpolate_CubicSplineBase1", ResultKind::Variant, ErrorStyle::TrapWithMsg},
    {29, "LP_SimplexMethod", ResultKind::Boolean, ErrorStyle::TrapWithMsg},
    {30, "Matrix_Transpose", ResultKind::Boolean, ErrorStyle::TrapWithMsg},
    {31, "Matrix_Invert", ResultKind::Boolean, ErrorStyle::TrapWithMsg},
    {32, "Matrix_Multiply", ResultKind::Boolean, ErrorStyle::TrapWithMsg},
    {33, "Matrix_TriDiag", ResultKind::Boolean, ErrorStyle::NoTrap},
    {34, "Matrix_TriDiagonal", ResultKind::Boolean, ErrorStyle::NoTrap},
    {35, "Matrix_CreateMatrix", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {36, "Matrix_TransposeMatrix", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {37, "Matrix_ScaleMatrix", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {38, "Matrix_AddMatrix", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {39, "Matrix_SubMatrix", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {40, "Matrix_FillHalf", ResultKind::None, ErrorStyle::RaisedMatrixError},
    {41, "Matrix_MultiplyMatrix", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {42, "Matrix_Determinant", ResultKind::Double, ErrorStyle::RaisedMatrixError},
    {43, "Matrix_InvertMatrix", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {44, "Matrix_InsertMatrix", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {45, "Matrix_CombineMatrix", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {46, "Matrix_SwapRow", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {47, "Matrix_SwapCol", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {48, "Matrix_SubMat", ResultKind::Matrix, ErrorStyle::RaisedMatrixError},
    {49, "Matrix_PrintMatrix", ResultKind::None, ErrorStyle::RaisedMatrixError},
    {50, "Reg_FitRandomXY", ResultKind::Variant, ErrorStyle::NoTrap},
    {51, "Reg_FitXY", ResultKind::Variant, ErrorStyle::NoTrap},
    {52, "Reg_FitXY0", ResultKind::Variant, ErrorStyle::NoTrap},
    {53, "Reg_FitXYPerpendicular", ResultKind::Variant, ErrorStyle::NoTrap},
    {54, "Reg_Slopes", ResultKind::Variant, ErrorStyle::ErrorsIgnored},
    {55, "Gamma_gammp", ResultKind::Double, ErrorStyle::MessageBox},
    {56, "STAT_Chi2p", ResultKind::Double, ErrorStyle::NoTrap},
    {57, "STAT_Chi2q", ResultKind::Double, ErrorStyle::NoTrap},
    {58, "STAT_Chi2_CDF_INV", ResultKind::Double, ErrorStyle::MessageBox},
    {59, "STAT_Normal_CDF_INV", ResultKind::Double, ErrorStyle::NoTrap},
    {60, "Gamma_gammq", ResultKind::Double, ErrorStyle::MessageBox},
    {61, "Gamma_gser", ResultKind::Variant, ErrorStyle::MessageBox},
    {62, "Gamma_gcf", ResultKind::Variant, ErrorStyle::MessageBox},
    {63, "Gamma_gammln", ResultKind::Double, ErrorStyle::NoTrap},
    {64, "Search_mnbrak", ResultKind::Variant, ErrorStyle::NoTrap},
    {65, "Search_brent", ResultKind::Double, ErrorStyle::MessageBox},
    {66, "Sort_BubbleNumbers", ResultKind::None, ErrorStyle::NoTrap},
    {67, "Sort_BubbleText", ResultKind::None, ErrorStyle::NoTrap},
    {68, "Sort_SelectionNumbers", ResultKind::None, ErrorStyle::NoTrap},
    {69, "Sort_SelectionText", ResultKind::None, ErrorStyle::NoTrap},
    {70, "Sort_ShellNumbers", ResultKind::None, ErrorStyle::NoTrap},
    {71, "Sort_ShellText", ResultKind::None, ErrorStyle::NoTrap},
    {72, "Sort_QuickNumbers", ResultKind::None, ErrorStyle::NoTrap},
    {73, "Sort_QuickText", ResultKind::None, ErrorStyle::NoTrap},
    {74, "Sort_Sort1", ResultKind::None, ErrorStyle::MessageBox},
    {75, "Sort_Sort2", ResultKind::None, ErrorStyle::MessageBox},
    {76, "Sort_Sort3", ResultKind::None, ErrorStyle::MessageBox},
    {77, "Sort_HeapSort2", ResultKind::None, ErrorStyle::NoTrap},
    {78, "STAT_Distance", ResultKind::None, ErrorStyle::NoTrap},
    {79, "STAT_Mean", ResultKind::Double, ErrorStyle::NoTrap},
    {80, "STAT_Var", ResultKind::Double, ErrorStyle::NoTrap},
    {81, "STAT_MeanVarCoVar", ResultKind::None, ErrorStyle::NoTrap},
    {82, "STAT_TTESTSameVar", ResultKind::None, ErrorStyle::NoTrap},
    {83, "STAT_TTESTPaired", ResultKind::None, ErrorStyle::NoTrap},
    {84, "STAT_FTEST", ResultKind::None, ErrorStyle::ErrorsIgnored},
    {85, "STAT_TTESTDiffPaired", ResultKind::None, ErrorStyle::NoTrap},
    {86, "STAT_TTESTDiffVar", ResultKind::None, ErrorStyle::NoTrap},
    {87, "STAT_SimulFTest", ResultKind::None, ErrorStyle::NoTrap},
    {88, "STAT_PROBF", ResultKind::Double, ErrorStyle::NoTrap},
    {89, "STAT_Moments", ResultKind::None, ErrorStyle::MessageBox},
    {90, "STAT_BETACF", ResultKind::Double, ErrorStyle::MessageBox},
    {91, "STAT_BETAI", ResultKind::Double, ErrorStyle::MessageBox},
    {92, "STAT_AveVar", ResultKind::Variant, ErrorStyle::NoTrap},
    {93, "STAT_ChiXY", ResultKind::Double, ErrorStyle::NoTrap},
    {94, "STAT_Contingency1", ResultKind::None, ErrorStyle::NoTrap},
    {95, "STAT_ModelMeasures", ResultKind::Variant, ErrorStyle::ErrorsIgnored},
    {96, "STAT_ResistantR2", ResultKind::None, ErrorStyle::ErrorsIgnored},
    {97, "STAT_Median", ResultKind::Double, ErrorStyle::NoTrap},
    {98, "STAT_Residue", ResultKind::Variant, ErrorStyle::NoTrap},
    {99, "STAT_MReg_Statistics", ResultKind::Variant, ErrorStyle::ErrorsIgnored},
    {100, "STAT_PRTRNG", ResultKind::Double, ErrorStyle::NoTrap},
    {101, "STAT_QTRNG", ResultKind::Double, ErrorStyle::NoTrap},
    {102, "STAT_QTRNG0", ResultKind::Double, ErrorStyle::NoTrap},
    {103, "STAT_InvNorm", ResultKind::Double, ErrorStyle::NoTrap},
    {104, "STAT_NormProb1", ResultKind::Double, ErrorStyle::NoTrap},
    {105, "STAT_NormProb2", ResultKind::None, ErrorStyle::NoTrap},
    {106, "STAT_NormProb3", ResultKind::None, ErrorStyle::NoTrap},
    {107, "STAT_PROBST", ResultKind::Double, ErrorStyle::NoTrap},
    {108, "STAT_TINV", ResultKind::Double, ErrorStyle::NoTrap},
    {109, "STAT_DINVNR", ResultKind::Variant, ErrorStyle::NoTrap},
    {110, "STAT_CUMNOR", ResultKind::None, ErrorStyle::NoTrap},
    {111, "STAT_SPMPAR", ResultKind::Double, ErrorStyle::NoTrap},
    {112, "STAT_IPMPAR", ResultKind::Double, ErrorStyle::NoTrap},
    {113, "STAT_STVALN", ResultKind::Double, ErrorStyle::NoTrap},
    {114, "STAT_DEVLPL", ResultKind::Double, ErrorStyle::NoTrap},
    {115, "STAT_CCC", ResultKind::None, ErrorStyle::ErrorsIgnored},
    {116, "STAT_GCCC2", ResultKind::None, ErrorStyle::ErrorsIgnored},
    {117, "STAT_GCCC", ResultKind::None, ErrorStyle::ErrorsIgnored},
    {118, "STAT_MannWhitney", ResultKind::None, ErrorStyle::MessageBox},
    {119, "STAT_KolmogorovSmirnov2", ResultKind::None, ErrorStyle::NoTrap},
    {120, "STAT_KolmogorovSmirnov1", ResultKind::None, ErrorStyle::NoTrap},
    {121, "STAT_ProbKS", ResultKind::Double, ErrorStyle::NoTrap},
    {122, "STAT_ShapiroWilk", ResultKind::None, ErrorStyle::NoTrap},
    {123, "STAT_Poly", ResultKind::Double, ErrorStyle::NoTrap},
    {124, "Min", ResultKind::Double, ErrorStyle::NoTrap},
    {125, "Max", ResultKind::Double, ErrorStyle::NoTrap},
    {126, "Swap", ResultKind::None, ErrorStyle::NoTrap},
    {127, "Sign", ResultKind::Double, ErrorStyle::NoTrap},
    {128, "MinMatrix", ResultKind::Double, ErrorStyle::MarkerTrap},
    {129, "MaxMatrix", ResultKind::Double, ErrorStyle::MarkerTrap},
    {130, "RectToPolar", ResultKind::Variant, ErrorStyle::NoTrap},
    {131, "PolarToRect", ResultKind::Variant, ErrorStyle::NoTrap},
    {132, "GetDerivatives", ResultKind::Boolean, ErrorStyle::NoTrap},
    {133, "LogY", ResultKind::Double, ErrorStyle::NoTrap},
    {134, "Rank_CRank", ResultKind::None, ErrorStyle::NoTrap},
    {135, "Rank_Pearson", ResultKind::None, ErrorStyle::ErrorsIgnored},
    {136, "Rank_Invert", ResultKind::None, ErrorStyle::NoTrap},
    {137, "Rank_Spearman", ResultKind::None, ErrorStyle::ErrorsIgnored},
    {138, "Rank_Kendall", ResultKind::None, ErrorStyle::ErrorsIgnored},
    {139, "Error_Erfcc", ResultKind::Double, ErrorStyle::NoTrap},
    {140, "Reg_MedFit", ResultKind::None, ErrorStyle::NoTrap},
    {141, "STAT_rofunc", ResultKind::Double, ErrorStyle::NoTrap},
    {142, "Sort_selectf", ResultKind::Double, ErrorStyle::NoTrap},
    {143, "Poly_value", ResultKind::Double, ErrorStyle::NoTrap},
    {144, "STAT_Corr", ResultKind::None, ErrorStyle::NoTrap},
    {145, "STAT_CPI", ResultKind::None, ErrorStyle::NoTrap},
    {146, "FormatOutput", ResultKind::String, ErrorStyle::NoTrap},
    {147, "FormatText", ResultKind::String, ErrorStyle::NoTrap},
    {148, "STAT_EDFGOF", ResultKind::None, ErrorStyle::NoTrap},
    {149, "STATS", ResultKind::None, ErrorStyle::NoTrap},
    {150, "PValue", ResultKind::Double, ErrorStyle::NoTrap},
    {151, "Robust_sort", ResultKind::None, ErrorStyle::NoTrap},
    {152, "Robust_Pull", ResultKind::Double, ErrorStyle::NoTrap},
    {153, "Robust_Qn", ResultKind::Double, ErrorStyle::NoTrap},
    {154, "Robust_Sn", ResultKind::Double, ErrorStyle::NoTrap},
    {155, "Robust_Whimed", ResultKind::Double, ErrorStyle::NoTrap},
}};

constexpr int slotOfIndex(int index) { return FirstMethodSlot + index; }

constexpr std::optional<int> methodIndex(std::string_view name)
{
    for (const MethodInfo& m : MethodTable)
        if (m.name == name)
            return m.index;
    return std::nullopt;
}

constexpr const MethodInfo* methodAtSlot(int slot)
{
    const int index = slot - FirstMethodSlot;
    return index >= 0 && index < MethodCount ? &MethodTable[static_cast<std::size_t>(index)] : nullptr;
}

} // namespace SumtrixLib

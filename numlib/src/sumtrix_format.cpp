// FormatOutput and FormatText: the shared formatters, exposed by the class.
#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

std::string Sumtrix::FormatOutput(InOut<double> value, std::int32_t size, std::int32_t Dec,
                                  InOut<std::int16_t> Alignment, bool Prob)
{
    return FormatFixedWidth(value.get(), size, Dec, Alignment.get(), Prob);
}

std::string Sumtrix::FormatText(const std::string& Text, std::int32_t TextSize,
                                InOut<std::int16_t> Alignment)
{
    return AlignText(Text, TextSize, Alignment.get());
}

} // namespace SumtrixLib

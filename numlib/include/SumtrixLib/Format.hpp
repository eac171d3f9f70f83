#pragma once
// Fixed-width number and text formatting shared by every report of the
// program and exposed by the library as FormatOutput and FormatText.
//
// Texts are UTF-8; widths and alignment count characters (code points).

#include <cstdint>
#include <string>

#include "SumtrixLib/Params.hpp"

namespace SumtrixLib {

// The widest field either formatter builds; a wider one is refused with
// error 5 (a report column is a few dozen characters).
inline constexpr std::int32_t MaxFieldWidth = 1 << 20;

// Alignment codes of both formatters.
enum : std::int16_t { AlignLeft = 1, AlignCentre = 2, AlignRight = 3 };

// Formats `value` right-aligned (by default) in a field of `size`
// characters with `Dec` decimal places. Alignment 0 becomes 3 and the
// caller sees it. In probability mode a negative value becomes 0 and a value
// that would print as zero is raised by one unit of the last place; the
// changed value is written back. A number that does not fit, and a
// non-finite one, prints "n/a". A size above MaxFieldWidth raises error 5.
std::string FormatFixedWidth(InOut<double> value, std::int32_t size, std::int32_t Dec,
                             InOut<std::int16_t> Alignment = {}, bool Prob = false);

// What FormatFixedWidth(value, size, Dec, 0, Prob) prints, written to `out`
// (room for max(size, 0) characters) without building a string: the
// fields of long tables. Returns the number of characters written.
std::size_t FormatFixedWidthTo(char* out, double value, std::int32_t size, std::int32_t Dec, bool Prob = false);

// Aligns `Text` in a field of `TextSize` characters: 1 left, 2 centre,
// 3 right; any other code becomes 1 (written back). A longer text is cut.
// A size above MaxFieldWidth raises error 5.
std::string AlignText(const std::string& Text, std::int32_t TextSize,
                      InOut<std::int16_t> Alignment = {});

// Formats a value with a number pattern made of "#", "0" and ".", as the
// report patterns do: halves rounded away from zero on the value's decimal
// form at 15 significant digits, the integer part printed in full, a zero
// integer part printed only under a "0". Exposed for the report code. NaN
// and the infinities raise error 6.
std::string FormatNumberPattern(double value, const std::string& pattern);

// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(const std::string& text);

} // namespace SumtrixLib

#include "variant_number.hpp"

#include <charconv>
#include <cmath>

namespace SumtrixLib {

double textToDouble(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos)
        raiseError(ErrTypeMismatch);
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+')
        ++begin;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        raiseError(ErrTypeMismatch);
    return value;
}

double variantToDouble(const Variant& v)
{
    if (std::holds_alternative<std::monostate>(v))
        return 0.0;
    if (const bool* b = std::get_if<bool>(&v))
        return *b ? -1.0 : 0.0;
    if (const std::int32_t* i = std::get_if<std::int32_t>(&v))
        return static_cast<double>(*i);
    if (const double* d = std::get_if<double>(&v))
        return *d;
    return textToDouble(std::get<std::string>(v));
}

} // namespace SumtrixLib

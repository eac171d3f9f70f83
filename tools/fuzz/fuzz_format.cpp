// Fuzz target: the fixed-width formatter, the text aligner and the number
// patterns on any value, size, decimals, alignment, pattern and text. Only
// the library's own error may come out, and a field is as wide as asked.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SumtrixLib/Format.hpp"
#include "SumtrixLib/Runtime.hpp"

namespace {

template <class T>
T take(const std::uint8_t*& data, std::size_t& size)
{
    T v{};
    const std::size_t n = size < sizeof v ? size : sizeof v;
    std::memcpy(&v, data, n);
    data += n;
    size -= n;
    return v;
}

// Lead bytes each followed by their continuation bytes (the structure the
// formatters count characters by).
bool wellFormedUtf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

void checkWidth(const std::string& field, std::int32_t width, const char* what)
{
    const std::size_t expected = width > 0 ? static_cast<std::size_t>(width) : 0;
    if (SumtrixLib::Utf8Length(field) != expected) {
        std::fprintf(stderr, "%s: [%s] is not %zu characters wide\n", what, field.c_str(), expected);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace SumtrixLib;
    double value = take<double>(data, size);
    // Mostly fields of report size, now and then any 32-bit size.
    const std::uint8_t sizeKind = take<std::uint8_t>(data, size);
    std::int32_t width = take<std::int32_t>(data, size);
    if (sizeKind % 8 != 0)
        width = static_cast<std::int8_t>(width);
    std::int32_t dec = take<std::int32_t>(data, size);
    if (sizeKind % 4 != 0)
        dec = static_cast<std::int8_t>(dec);
    std::int16_t alignment = take<std::int16_t>(data, size);
    const bool prob = take<std::uint8_t>(data, size) & 1;
    const std::string rest(reinterpret_cast<const char*>(data), size);

    try {
        std::int16_t a = alignment;
        double v = value;
        const std::string field = FormatFixedWidth(v, width, dec, a, prob);
        checkWidth(field, width, "FormatFixedWidth");
    } catch (const RuntimeError&) {
    }
    try {
        std::int16_t a = alignment;
        const std::string field = AlignText(rest, width, a);
        // Leading blanks are dropped after the padding is counted, so
        // only a text without them fills the field exactly.
        if (!rest.empty() && rest.front() != ' ' && wellFormedUtf8(rest))
            checkWidth(field, width, "AlignText");
    } catch (const RuntimeError&) {
    }
    try {
        // Patterns are short in practice; the rest of the input serves as one.
        (void)FormatNumberPattern(value, rest.substr(0, 64));
    } catch (const RuntimeError&) {
    }
    return 0;
}

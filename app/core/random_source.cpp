#include "core/random_source.hpp"

#include <chrono>

double SeededRandomSource::nextUniform()
{
    return toOpenUnit(m_engine());
}

void SeededRandomSource::nextUniforms(double* out, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        out[i] = toOpenUnit(m_engine());
}

double SeededRandomSource::toOpenUnit(std::uint64_t bits)
{
    const std::uint64_t k = bits >> 12;                   // 52 bits
    return (static_cast<double>(k) + 0.5) * 0x1p-52;
}

std::uint64_t SeededRandomSource::clockSeed()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

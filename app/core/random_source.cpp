#include "core/random_source.hpp"

#include <algorithm>

#include <chrono>

namespace {

constexpr int N = MersenneTwister64::StateWords;
constexpr int M = 156;
constexpr std::uint64_t UpperBits = ~std::uint64_t(0) << 31;
constexpr std::uint64_t LowerBits = ~UpperBits;
constexpr std::uint64_t MatrixA = 0xb5026f5aa96619e9ULL;

[[gnu::always_inline]] inline std::uint64_t twist(std::uint64_t upper, std::uint64_t lower, std::uint64_t far)
{
    const std::uint64_t y = (upper & UpperBits) | (lower & LowerBits);
    return far ^ (y >> 1) ^ ((y & 1) ? MatrixA : 0);
}

// (k + 0.5) / 2^52 of the top 52 bits k (see SeededRandomSource).
[[gnu::always_inline]] inline double openUnit(std::uint64_t bits)
{
    const std::uint64_t k = bits >> 12;
    return (static_cast<double>(k) + 0.5) * 0x1p-52;
}

[[gnu::always_inline]] inline std::uint64_t temper(std::uint64_t y)
{
    y ^= (y >> 29) & 0x5555555555555555ULL;
    y ^= (y << 17) & 0x71d67fffeda60000ULL;
    y ^= (y << 37) & 0xfff7eee000000000ULL;
    return y ^ (y >> 43);
}

// The next block of words. Each loop reads words the loop itself does not
// write (the first the old upper half, the second the new lower half).
[[gnu::always_inline]] inline void renew(std::array<std::uint64_t, N>& x)
{
    for (int i = 0; i < N - M; ++i)
        x[i] = twist(x[i], x[i + 1], x[i + M]);
    for (int i = N - M; i < N - 1; ++i)
        x[i] = twist(x[i], x[i + 1], x[i + M - N]);
    x[N - 1] = twist(x[N - 1], x[0], x[M - 1]);
}

} // namespace

MersenneTwister64::MersenneTwister64(std::uint64_t seed)
{
    m_state[0] = seed;
    for (int i = 1; i < N; ++i)
        m_state[i] = 6364136223846793005ULL * (m_state[i - 1] ^ (m_state[i - 1] >> 62)) + static_cast<std::uint64_t>(i);
}

std::uint64_t MersenneTwister64::operator()()
{
    if (m_next >= N) {
        renew(m_state);
        m_next = 0;
    }
    return temper(m_state[m_next++]);
}

// Compiled twice, for processors with AVX2 and without; the loops are
// vectorised whenever that pays. The numbers are the same either way:
// integer operations and exact conversions.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
__attribute__((target_clones("avx2", "default"), optimize("vect-cost-model=dynamic")))
#endif
void MersenneTwister64::openUnits(double* out, std::size_t count)
{
    while (count > 0) {
        if (m_next >= N) {
            renew(m_state);
            m_next = 0;
        }
        const std::size_t take = std::min<std::size_t>(count, static_cast<std::size_t>(N - m_next));
        const std::uint64_t* words = m_state.data() + m_next;
        for (std::size_t k = 0; k < take; ++k)
            out[k] = openUnit(temper(words[k]));
        m_next += static_cast<int>(take);
        out += take;
        count -= take;
    }
}

double SeededRandomSource::nextUniform()
{
    return toOpenUnit(m_engine());
}

void SeededRandomSource::nextUniforms(double* out, std::size_t count)
{
    m_engine.openUnits(out, count);
}

double SeededRandomSource::toOpenUnit(std::uint64_t bits)
{
    return openUnit(bits);
}

std::uint64_t SeededRandomSource::clockSeed()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

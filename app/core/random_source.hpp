#pragma once
// Uniform random numbers for the random-data generator.
//
// The generator draws through this interface so that the program can seed
// from the clock while tests fix the seed and get the same numbers on every
// run and every machine.

#include <cstddef>
#include <cstdint>
#include <random>

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniform number strictly between 0 and 1: never 0, never 1. The
    // normal quantile of exactly 0 or 1 is no number, and the library's
    // quantile answers it with 0, which would put false points at the means.
    virtual double nextUniform() = 0;
    // The next `count` numbers into `out`, as that many nextUniform() calls
    // would give them: a loop of millions draws in blocks.
    virtual void nextUniforms(double* out, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = nextUniform();
    }
};

// Mersenne Twister (std::mt19937_64, the same sequence everywhere for a
// given seed). Each number takes the top 52 bits k of one draw and returns
// (k + 0.5) / 2^52: evenly spaced values in (0, 1) whose ends are 2^-53 and
// 1 - 2^-53, both exactly representable (with 53 bits, k + 0.5 would need a
// 54th bit and the top value would round to 1).
class SeededRandomSource : public RandomSource {
public:
    explicit SeededRandomSource(std::uint64_t seed) : m_engine(seed) {}
    double nextUniform() override;
    void nextUniforms(double* out, std::size_t count) override;

    // The uniform number made from one 64-bit draw.
    static double toOpenUnit(std::uint64_t bits);

    // A seed taken from the system clock (nanoseconds since the epoch), so
    // every generation in the program draws a new dataset.
    static std::uint64_t clockSeed();

private:
    std::mt19937_64 m_engine;
};

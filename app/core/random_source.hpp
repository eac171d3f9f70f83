#pragma once
// Uniform random numbers for the random-data generator.
//
// The generator draws through this interface so that the program can seed
// from the clock while tests fix the seed and get the same numbers on every
// run and every machine.

#include <array>
#include <cstddef>
#include <cstdint>

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

// The 64-bit Mersenne Twister of Matsumoto and Nishimura (2000) with the
// standard's parameters and seeding: the numbers of std::mt19937_64 for the
// same seed, on every machine. The state's renewal and tempering are plain
// loops over the block of 312 words, so that a long run of draws (the MSEP
// bootstrap of a million rows draws two hundred million) goes through
// vector instructions where the processor has them.
class MersenneTwister64 {
public:
    explicit MersenneTwister64(std::uint64_t seed);
    std::uint64_t operator()();
    // The next `count` numbers as SeededRandomSource::toOpenUnit makes them.
    void openUnits(double* out, std::size_t count);

    static constexpr int StateWords = 312;

private:
    std::array<std::uint64_t, StateWords> m_state;
    int m_next = StateWords;   // the next word to temper; the block is renewed at its end
};

// Mersenne Twister (the sequence of std::mt19937_64 for a given seed).
// Each number takes the top 52 bits k of one draw and returns
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
    MersenneTwister64 m_engine;
};

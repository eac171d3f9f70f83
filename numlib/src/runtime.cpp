// Run-time errors, checked arithmetic and the message sink.
#include "SumtrixLib/Runtime.hpp"

#include <atomic>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace SumtrixLib {

std::string errorDescription(std::int32_t number)
{
    switch (number) {
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    default: return std::string();
    }
}

RuntimeError::RuntimeError(std::int32_t number, std::string source, std::string description)
    : m_number(number), m_source(std::move(source)), m_description(std::move(description))
{
}

void raiseError(std::int32_t number, const std::string& source)
{
    throw RuntimeError(number, source, errorDescription(number));
}

void raiseError(std::int32_t number, const std::string& source, const std::string& description)
{
    throw RuntimeError(number, source, description);
}

void raiseMatrixError(const std::string& operation, const std::string& description)
{
    throw RuntimeError(ErrMatrix, std::string(MatrixSourcePrefix) + operation, description);
}

namespace {
thread_local std::uint64_t t_overflows = 0;
} // namespace

std::uint64_t overflowCount() noexcept
{
    return t_overflows;
}

void raiseNotFinite(double v)
{
    if (std::isinf(v))
        ++t_overflows;
    raiseError(ErrOverflow);
}

void raiseZeroDivisor(double a)
{
    raiseError(a == 0.0 ? ErrOverflow : ErrDivisionByZero);
}

double checkedLog(double x)
{
    if (!(x > 0.0))
        raiseError(ErrInvalidCall);
    return checkedResult(std::log(x));
}

double checkedExp(double x)
{
    return checkedResult(std::exp(x));
}

double checkedPow(double base, double exponent)
{
    if (base == 0.0 && exponent < 0.0)
        raiseError(ErrInvalidCall);
    if (base < 0.0 && exponent != std::floor(exponent))
        raiseError(ErrInvalidCall);
    return checkedResult(std::pow(base, exponent));
}

namespace {
double roundHalfEven(double v)
{
    return std::nearbyint(v);           // the default rounding mode: half to even
}
} // namespace

std::int16_t toInt16(double v)
{
    const double r = roundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0))
        raiseError(ErrOverflow);
    return static_cast<std::int16_t>(r);
}

std::int32_t toInt32(double v)
{
    const double r = roundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        raiseError(ErrOverflow);
    return static_cast<std::int32_t>(r);
}

void StderrMessageSink::show(const std::string& text, const std::string& title, MessageIcon)
{
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

namespace {
StderrMessageSink& defaultSink()
{
    static StderrMessageSink sink;
    return sink;
}
std::atomic<MessageSink*>& currentSink()
{
    static std::atomic<MessageSink*> sink{nullptr};
    return sink;
}
} // namespace

MessageSink* setMessageSink(MessageSink* sink)
{
    return currentSink().exchange(sink);
}

namespace {
thread_local MessageSink* t_sink = nullptr;
} // namespace

MessageSink* setThreadMessageSink(MessageSink* sink)
{
    MessageSink* previous = t_sink;
    t_sink = sink;
    return previous;
}

MessageSink& messageSink()
{
    if (t_sink)
        return *t_sink;
    MessageSink* sink = currentSink().load();
    return sink ? *sink : defaultSink();
}

void showMessage(const std::string& text, MessageIcon icon)
{
    messageSink().show(text, LibraryTitle, icon);
}

} // namespace SumtrixLib

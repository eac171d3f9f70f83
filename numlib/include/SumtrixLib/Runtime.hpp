#pragma once
// Run-time errors of the library and the ways its methods report trouble.
//
// Every failure of a method is a RuntimeError carrying the classic error
// number, a source and a description. C++ arithmetic gives infinities, NaN
// or undefined behaviour where the library's results depend on an error
// being raised, so those places use the checked helpers below.
//
// The five reporting styles map to one mechanism each:
//   (a) no trap:                the RuntimeError propagates to the caller;
//   (b) trap with Msg:          trapWithMessage();
//   (c) matrix-record checks:   raiseMatrixError() (number 1000);
//   (d) modal message box:      showMessage() through the host's MessageSink;
//   (e) errors ignored:         guardStep() assigns a step's result only
//                               when the step completes;
// and the narrow marker trap of MinMatrix/MaxMatrix: trapToMarker().
// Running out of memory is never a failed step: the guards let
// std::bad_alloc through to the caller.

#include <cmath>
#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace SumtrixLib {

// Classic run-time error numbers.
enum ErrorNumber : std::int32_t {
    ErrInvalidCall = 5,        // invalid procedure call or argument
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscript = 9,          // subscript out of range
    ErrDivisionByZero = 11,
    ErrTypeMismatch = 13,
    ErrMatrix = 1000,          // the matrix-record checks
};

// The standard description of a classic error number ("" when unknown).
std::string errorDescription(std::int32_t number);

// Default source of errors raised by the library itself.
inline constexpr const char* LibrarySource = "SumtrixLib";
// Source prefix of the matrix-record checks.
inline constexpr const char* MatrixSourcePrefix = "MatrixLib - ";

class RuntimeError : public std::exception {
public:
    RuntimeError(std::int32_t number, std::string source, std::string description);
    std::int32_t number() const noexcept { return m_number; }
    const std::string& source() const noexcept { return m_source; }
    const std::string& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_description.c_str(); }

private:
    std::int32_t m_number;
    std::string m_source;
    std::string m_description;
};

// Raises a classic error with its standard description.
[[noreturn]] void raiseError(std::int32_t number, const std::string& source = LibrarySource);
[[noreturn]] void raiseError(std::int32_t number, const std::string& source, const std::string& description);

// Style (c): error 1000, source "MatrixLib - " + operation.
[[noreturn]] void raiseMatrixError(const std::string& operation, const std::string& description);

// ---- checked arithmetic -------------------------------------------------
// Each raises the error the classic arithmetic raised: a zero divisor gives
// 11 (0/0 gives 6), a result beyond the double range gives 6, an argument
// outside a function's domain gives 5.

// The normal path of each is inline; only raising the error is a call.
[[noreturn]] void raiseNotFinite(double v);     // 6, counting an overflow (below)
[[noreturn]] void raiseZeroDivisor(double a);   // 11, or 6 for 0 / 0
inline double checkedResult(double v)           // 6 when v is not finite
{
    if (!std::isfinite(v)) [[unlikely]]
        raiseNotFinite(v);
    return v;
}
inline double checkedDiv(double a, double b)
{
    if (b == 0.0) [[unlikely]]
        raiseZeroDivisor(a);
    return checkedResult(a / b);
}
inline double checkedMul(double a, double b) { return checkedResult(a * b); }
inline double checkedAdd(double a, double b) { return checkedResult(a + b); }
inline double checkedSub(double a, double b) { return checkedResult(a - b); }
inline double checkedSqrt(double x)             // 5 below 0
{
    if (!(x >= 0.0)) [[unlikely]]
        raiseError(ErrInvalidCall);
    return std::sqrt(x);
}
double checkedLog(double x);                    // 5 at or below 0
double checkedExp(double x);                    // 6 on overflow
double checkedPow(double base, double exponent); // 5 for a negative base to a fractional power, 0 to a negative power
// How many results beyond the double range the checked arithmetic has met
// on this thread (0 / 0 and other undefined results are not counted).
// Methods that pass over errors statement by statement go on after such a
// result with what their sums held before it; a caller that must not
// present those values as results compares the count before and after a
// call.
std::uint64_t overflowCount() noexcept;
// a + b on 32-bit integers; 6 when the sum leaves their range, as the
// classic integer arithmetic raised (a count of -2^31 less one, a degree of
// 2^31 - 1 plus one).
inline std::int32_t checkedAdd32(std::int32_t a, std::int32_t b)
{
    std::int32_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) [[unlikely]]
        raiseError(ErrOverflow);
    return sum;
}
// Conversion to 16- and 32-bit integers: rounds half to even, 6 when out of range.
std::int16_t toInt16(double v);
std::int32_t toInt32(double v);
// Int(): rounds toward minus infinity (the value stays a double).
inline double intFloor(double v) { return std::floor(v); }
// Fix(): rounds toward zero.
inline double intFix(double v) { return std::trunc(v); }

// ---- style (b) -----------------------------------------------------------
// Runs `body`; on a RuntimeError writes makeMessage(error) into Msg and
// returns `failure`. On success returns what body returned.
template <class R, class Body, class MakeMessage>
R trapWithMessage(std::string& Msg, R failure, Body&& body, MakeMessage&& makeMessage)
{
    try {
        return body();
    } catch (const RuntimeError& e) {
        Msg = makeMessage(e);
        return failure;
    }
}

// ---- style (d) -----------------------------------------------------------
enum class MessageIcon { None, Information, Exclamation, Critical };

// Where the library's modal messages go. The host installs its own: the
// program a modal box, an unattended run one that writes to stderr, tests
// a recorder. The message is shown and the method goes on afterwards.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(const std::string& text, const std::string& title, MessageIcon icon) = 0;
};

// Writes "title: text" to stderr.
class StderrMessageSink : public MessageSink {
public:
    void show(const std::string& text, const std::string& title, MessageIcon icon) override;
};

// Keeps every message, for tests.
class RecordingMessageSink : public MessageSink {
public:
    struct Entry {
        std::string text;
        std::string title;
        MessageIcon icon;
    };
    void show(const std::string& text, const std::string& title, MessageIcon icon) override
    {
        entries.push_back({text, title, icon});
    }
    std::vector<Entry> entries;
};

// The library's default message title.
inline constexpr const char* LibraryTitle = "SumtrixLib";

// Installs `sink` (nullptr restores the stderr default); returns the previous one.
MessageSink* setMessageSink(MessageSink* sink);
// Installs `sink` for the calling thread alone, in place of the one above
// (nullptr removes it); returns the previous one. A host that runs library
// calls on threads of its own gathers their messages there and shows them
// itself.
MessageSink* setThreadMessageSink(MessageSink* sink);
// The calling thread's sink, else the installed one.
MessageSink& messageSink();
void showMessage(const std::string& text, MessageIcon icon = MessageIcon::None);

// Installs a sink for the lifetime of a scope (tests).
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(MessageSink& sink) : m_previous(setMessageSink(&sink)) {}
    ~ScopedMessageSink() { setMessageSink(m_previous); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    MessageSink* m_previous;
};

// ---- style (e) -----------------------------------------------------------
// Computes a step's value; assigns it to `target` only when the step
// completes. A failed step leaves the target as it was. Returns whether the
// step completed.
template <class T, class Step>
bool guardStep(T& target, Step&& step)
{
    try {
        T value = step();
        target = std::move(value);
        return true;
    } catch (const RuntimeError&) {
        return false;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
}

// Runs a step whose failure is passed over (the step writes nothing unless
// it completes its own guarded assignments).
template <class Step>
bool ignoreErrors(Step&& step)
{
    try {
        step();
        return true;
    } catch (const RuntimeError&) {
        return false;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
}

// ---- the marker trap of MinMatrix / MaxMatrix ------------------------------
template <class Body>
double trapToMarker(double marker, Body&& body)
{
    try {
        return body();
    } catch (const RuntimeError&) {
        return marker;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return marker;
    }
}

} // namespace SumtrixLib

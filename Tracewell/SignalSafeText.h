#pragma once
// A text built in a fixed buffer with no allocation and no locks, so it can be
// filled inside a signal handler. Text that does not fit is cut off; the last
// byte is always kept free for a closing line feed.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Tracewell {

class SignalSafeText {
public:
    /// Uses `buffer` of `capacity` bytes (at least 2); the text starts empty.
    SignalSafeText(char* buffer, std::size_t capacity) : m_buffer(buffer), m_capacity(capacity) {}

    /// Appends bytes as they are.
    void Append(std::string_view text);
    void Append(char c);
    /// A NUL-terminated string; null appends "?".
    void AppendCString(const char* text);
    /// Signed decimal, no padding.
    void AppendDecimal(std::int64_t value);
    /// At least `minDigits` digits, zero-padded.
    void AppendDecimalPadded(std::uint64_t value, int minDigits);
    /// "0x" and lower-case hexadecimal digits.
    void AppendHex(std::uintptr_t value);
    /// "YYYY-MM-DD HH:MM:SS.mmm" for `seconds` since 1970 (UTC) shifted by
    /// `utcOffsetSeconds`, with `millis` (0 to 999).
    void AppendTime(std::int64_t seconds, int millis, long utcOffsetSeconds);
    /// Ends the text with '\n'; a text that was cut off ends in "..." before it.
    void FinishLine();

    /// The text so far (not NUL-terminated) and its length in bytes.
    const char* Data() const { return m_buffer; }
    std::size_t Size() const { return m_size; }
    /// True once something did not fit.
    bool Truncated() const { return m_truncated; }

private:
    char* m_buffer;
    std::size_t m_capacity;
    std::size_t m_size{0};
    bool m_truncated{false};
};

} // namespace Tracewell

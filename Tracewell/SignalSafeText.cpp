#include "Tracewell/SignalSafeText.h"

namespace Tracewell {

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian), by Howard
// Hinnant's days_from_civil inverse: plain integer arithmetic, no tables.
void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

} // namespace

void SignalSafeText::Append(char c)
{
    if (m_size + 1 < m_capacity) {
        m_buffer[m_size++] = c;
    } else {
        m_truncated = true;
    }
}

void SignalSafeText::Append(std::string_view text)
{
    for (const char c : text) Append(c);
}

void SignalSafeText::AppendCString(const char* text)
{
    if (text == nullptr) {
        Append('?');
        return;
    }
    while (*text) Append(*text++);
}

void SignalSafeText::AppendDecimalPadded(std::uint64_t value, int minDigits)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && n < 24);
    while (n < minDigits && n < 24) digits[n++] = '0';
    while (n > 0) Append(digits[--n]);
}

void SignalSafeText::AppendDecimal(std::int64_t value)
{
    if (value < 0) {
        Append('-');
        AppendDecimalPadded(0 - static_cast<std::uint64_t>(value), 1);
        return;
    }
    AppendDecimalPadded(static_cast<std::uint64_t>(value), 1);
}

void SignalSafeText::AppendHex(std::uintptr_t value)
{
    static const char hex[] = "0123456789abcdef";
    char digits[2 * sizeof value];
    int n = 0;
    do {
        digits[n++] = hex[value & 0xF];
        value >>= 4;
    } while (value != 0);
    Append("0x");
    while (n > 0) Append(digits[--n]);
}

void SignalSafeText::AppendTime(std::int64_t seconds, int millis, long utcOffsetSeconds)
{
    const std::int64_t local = seconds + utcOffsetSeconds;
    std::int64_t days = local / 86400;
    std::int64_t secondOfDay = local % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    AppendDecimalPadded(static_cast<std::uint64_t>(year < 0 ? 0 : year), 4);
    Append('-');
    AppendDecimalPadded(month, 2);
    Append('-');
    AppendDecimalPadded(day, 2);
    Append(' ');
    AppendDecimalPadded(static_cast<std::uint64_t>(secondOfDay / 3600), 2);
    Append(':');
    AppendDecimalPadded(static_cast<std::uint64_t>(secondOfDay / 60 % 60), 2);
    Append(':');
    AppendDecimalPadded(static_cast<std::uint64_t>(secondOfDay % 60), 2);
    Append('.');
    AppendDecimalPadded(static_cast<std::uint64_t>(millis), 3);
}

void SignalSafeText::FinishLine()
{
    // Append reserves the last byte, so there is room for one line feed; a cut
    // text ends in "..." so the reader knows.
    if (m_truncated && m_size >= 3) m_buffer[m_size - 1] = m_buffer[m_size - 2] = m_buffer[m_size - 3] = '.';
    if (m_size < m_capacity) m_buffer[m_size++] = '\n';
}

} // namespace Tracewell

#pragma once
// Millisecond tick counts for timing (log lines such as "cost %dms" and
// time-outs). They come from a steady clock, so changes of the wall-clock
// time never make them jump.

#include "platform/WinTypes.h"

/// Milliseconds of the steady clock, cut to 32 bits: the count wraps to 0
/// after about 49.7 days, so callers take differences in DWORD arithmetic
/// (`GetTickCount() - start`), which stays right across one wrap. Any thread.
DWORD GetTickCount();

/// Milliseconds of the steady clock as a 64-bit count that does not wrap.
/// Any thread.
ULONGLONG GetTickCount64();

#pragma once
// How much memory the machine has, for budgets that scale with it.

#include "platform/WinTypes.h"

/// Bytes of physical memory of the machine (the total, not what is free
/// now); 0 when the system does not say. Any thread.
ULONGLONG GetPhysicalMemoryBytes();

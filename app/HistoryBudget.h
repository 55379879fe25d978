#pragma once
// The memory budget of the undo/redo history.
//
// Every history entry keeps a full snapshot of the photo (72 MB for a
// 24-megapixel picture), and Linux over-commits memory: allocations do not
// fail when the machine runs short, the process is killed instead and the
// user's work is lost. So the history keeps at most a budget of snapshot
// bytes; before an operation copies the image, the oldest entries are given
// up exactly as when an allocation fails (ReduceHistory, with New_Handler's
// log line "Failed to allocate N bytes! History was reduced.").
//
// The budget is a quarter of the machine's physical memory unless the
// environment variable CORVANE_HISTORY_BUDGET_MB gives it in megabytes
// (MiB). The entry under the cursor and the snapshot it shows are never given
// up, so one image larger than the budget still opens and can be edited.
//
// Any thread; the history functions take the history's lock (HistoryLock.h).

#include <cstddef>
#include <vector>

namespace HistoryBudget {

/// The environment variable that sets the budget in megabytes (MiB).
inline constexpr const char* kEnvironmentVariable = "CORVANE_HISTORY_BUDGET_MB";

/// The budget the program starts with, in bytes: CORVANE_HISTORY_BUDGET_MB
/// megabytes when it holds a positive whole number (another value is logged
/// and ignored), else a quarter of physical memory (1 GiB when the system
/// does not say how much it has).
std::size_t DefaultBytes();

/// The budget in force, in bytes; DefaultBytes() until Set is called.
std::size_t Get();

/// Sets the budget to `bytes`; 0 goes back to DefaultBytes(). For tests and
/// tools that need a budget of their own.
void Set(std::size_t bytes);

/// True when the oldest history entry may be given up: it is neither the
/// entry under the cursor nor the snapshot that entry shows (the nearest
/// entry at or before the cursor that holds pixels), whose pixels the view
/// is showing. ReduceHistory and MakeRoom stop where this is false.
bool CanGiveUpOldest();

/// Bytes of snapshots (pixels and selection masks) of the history's entries
/// from the oldest up to the cursor: what the history keeps once the next
/// operation is appended (entries past the cursor go then).
std::size_t KeptBytes();

/// Gives up the oldest history entries, as under memory pressure and with
/// the same log line, until KeptBytes() + `incomingBytes` fits in the budget
/// or nothing more can go (only the cursor's entry and the snapshot it
/// shows are left). True when it fits. Call it before a snapshot of
/// `incomingBytes` is made for a new entry. When `spare` is given, the pixel
/// storage of the first snapshot given up moves into it (unless it already
/// holds some), so the new snapshot can be copied into memory that is already
/// paged in instead of fresh memory.
bool MakeRoom(std::size_t incomingBytes, std::vector<unsigned char>* spare = nullptr);

} // namespace HistoryBudget

#pragma once
// The lock of the undo/redo history.
//
// The history belongs to the user-interface thread, but the allocation-failure
// handler trims it from whatever thread fails an allocation: the image-
// processing thread or a tool's drawing threads. Every change of the history
// (append, clear, trim, cursor moves) and every walk over its entries takes
// this lock, so a trim on another thread never meets a half-done change. It is
// recursive because an allocation made while the lock is held may fail and
// run the handler on the same thread.

#include <mutex>

/// The history's lock. Any thread.
std::recursive_mutex& HistoryMutex();

/// Scoped holder of the history lock.
using HistoryLockGuard = std::lock_guard<std::recursive_mutex>;

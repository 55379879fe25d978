#pragma once
// The undo/redo history: an ordered sequence of heap-allocated entries with a
// cursor on the current one. Index 0 is the oldest entry.
//
// Threads: the user-interface thread builds and walks the history, but the
// program's allocation-failure handler trims it (RemoveFirstOnly) on whatever
// thread an allocation fails, including inside a call of this class that
// allocates. So every function holds the history's recursive lock, and
// Append makes room before it changes anything. An entry pointer from Current
// or Get stays valid while that entry is in the history; only the current
// entry is safe from trimming.

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "Recallo/Operation.h"

namespace OperationManage {

class Operations {
public:
    Operations() = default;
    ~Operations() = default;
    Operations(const Operations&) = delete;
    Operations& operator=(const Operations&) = delete;

    /// Takes ownership of `operation` (allocated with new) and puts it after
    /// the current entry, destroying every entry that was past the cursor (so
    /// Redo is no longer available); the new entry becomes current. Returns its
    /// index. Should it throw std::bad_alloc, nothing changed and the caller
    /// still owns `operation`.
    std::size_t Append(Operation& operation);

    /// Moves the cursor one entry back; false (cursor unchanged) at the first entry.
    bool Previous();
    /// Moves the cursor one entry forward; false (cursor unchanged) at the last entry.
    bool Next();

    /// The entry at the cursor; null when the history is empty.
    Operation* Current() const;
    /// Index of the cursor; 0 when the history is empty.
    unsigned CurrentIndex() const;
    /// The entry at `index`; null at or past the end.
    Operation* Get(std::size_t index) const;
    /// Number of entries.
    std::size_t size() const;
    /// True when the history holds no entry.
    bool empty() const { return size() == 0; }

    /// Destroys the oldest entry unless it is the current one; the current
    /// entry stays current. False when nothing was removed.
    bool RemoveFirstOnly();
    /// Destroys every entry.
    void clear();

    /// The cursor is on the oldest entry (true for an empty history).
    bool IsAtFirst() const;
    /// The cursor is on the newest entry (true for an empty history).
    bool IsAtLast() const;

private:
    void MakeRoomForOne();

    mutable std::recursive_mutex m_mutex; // guards the members below
    std::vector<std::unique_ptr<Operation>> m_entries;
    std::size_t m_nCurrent{0};
};

} // namespace OperationManage

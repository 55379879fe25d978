#pragma once
// The undo/redo history: an ordered sequence of heap-allocated entries with a
// cursor on the current one. Index 0 is the oldest entry. Not thread-safe: the
// user-interface thread alone uses it.

#include <cstddef>
#include <deque>
#include <memory>

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
    /// Redo is no longer available); the new entry becomes current. Returns its index.
    std::size_t Append(Operation& operation);

    /// Moves the cursor one entry back; false (cursor unchanged) at the first entry.
    bool Previous();
    /// Moves the cursor one entry forward; false (cursor unchanged) at the last entry.
    bool Next();

    /// The entry at the cursor; null when the history is empty.
    Operation* Current() const;
    /// Index of the cursor; 0 when the history is empty.
    unsigned CurrentIndex() const { return static_cast<unsigned>(m_nCurrent); }
    /// The entry at `index`; null at or past the end.
    Operation* Get(std::size_t index) const;
    /// Number of entries.
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }

    /// Destroys the oldest entry unless it is the current one; the current
    /// entry stays current. False when nothing was removed.
    bool RemoveFirstOnly();
    /// Destroys every entry.
    void clear();

    /// The cursor is on the oldest entry (true for an empty history).
    bool IsAtFirst() const { return m_nCurrent == 0; }
    /// The cursor is on the newest entry (true for an empty history).
    bool IsAtLast() const { return m_entries.empty() || m_nCurrent + 1 == m_entries.size(); }

private:
    std::deque<std::unique_ptr<Operation>> m_entries;
    std::size_t m_nCurrent{0};
};

} // namespace OperationManage

#pragma once
// One process-wide shared object that any thread may read or replace: the
// reader gets its own reference under the lock and uses it outside.

#include <memory>
#include <mutex>

namespace Carrow::FileIO {

template <class T>
class SharedSlot {
public:
    /// The object now in the slot (null when empty). Any thread.
    std::shared_ptr<T> Get() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }

    /// Puts `value` in the slot; returns what was there. Any thread.
    std::shared_ptr<T> Swap(std::shared_ptr<T> value)
    {
        std::lock_guard lock(m_mutex);
        m_value.swap(value);
        return value;
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<T> m_value;
};

} // namespace Carrow::FileIO

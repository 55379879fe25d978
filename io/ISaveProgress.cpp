#include "io/ISaveProgress.h"

#include <mutex>

namespace Carrow::FileIO {

namespace {

// A save copies the pointer under the lock and reports outside it.
struct ObserverSlot {
    std::mutex mutex;
    std::shared_ptr<ISaveProgress> observer;
};

ObserverSlot& Slot()
{
    static ObserverSlot slot;
    return slot;
}

} // namespace

std::shared_ptr<ISaveProgress> GetSaveProgress()
{
    ObserverSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    return slot.observer;
}

std::shared_ptr<ISaveProgress> SetSaveProgress(std::shared_ptr<ISaveProgress> observer)
{
    ObserverSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.observer.swap(observer);
    return observer;
}

} // namespace Carrow::FileIO

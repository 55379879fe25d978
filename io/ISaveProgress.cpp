#include "io/ISaveProgress.h"

#include "io/SharedSlot.h"

namespace Carrow::FileIO {

namespace {

SharedSlot<ISaveProgress>& Slot()
{
    static SharedSlot<ISaveProgress> slot;
    return slot;
}

} // namespace

std::shared_ptr<ISaveProgress> GetSaveProgress()
{
    return Slot().Get();
}

std::shared_ptr<ISaveProgress> SetSaveProgress(std::shared_ptr<ISaveProgress> observer)
{
    return Slot().Swap(std::move(observer));
}

} // namespace Carrow::FileIO

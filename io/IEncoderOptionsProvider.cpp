#include "io/IEncoderOptionsProvider.h"

#include <mutex>

#include "io/FixedEncoderOptionsProvider.h"

namespace Carrow::FileIO {

namespace {

// The installed and default providers. A save copies the pointer under the
// lock and asks outside it, so a dialog may run while another thread swaps
// providers.
struct ProviderSlots {
    std::mutex mutex;
    std::shared_ptr<IEncoderOptionsProvider> installed;
    std::shared_ptr<IEncoderOptionsProvider> defaultProvider;
};

ProviderSlots& Slots()
{
    static ProviderSlots slots;
    return slots;
}

std::shared_ptr<IEncoderOptionsProvider> UntouchedDialogDefaults()
{
    return std::make_shared<FixedEncoderOptionsProvider>(EncoderOptions{});
}

} // namespace

std::shared_ptr<IEncoderOptionsProvider> GetEncoderOptionsProvider()
{
    ProviderSlots& slots = Slots();
    std::lock_guard lock(slots.mutex);
    if (slots.installed) return slots.installed;
    if (!slots.defaultProvider) slots.defaultProvider = UntouchedDialogDefaults();
    return slots.defaultProvider;
}

std::shared_ptr<IEncoderOptionsProvider> SetEncoderOptionsProvider(std::shared_ptr<IEncoderOptionsProvider> provider)
{
    ProviderSlots& slots = Slots();
    std::lock_guard lock(slots.mutex);
    slots.installed.swap(provider);
    return provider;
}

void SetDefaultEncoderOptionsProvider(std::shared_ptr<IEncoderOptionsProvider> provider)
{
    ProviderSlots& slots = Slots();
    std::lock_guard lock(slots.mutex);
    slots.defaultProvider = provider ? std::move(provider) : UntouchedDialogDefaults();
}

} // namespace Carrow::FileIO

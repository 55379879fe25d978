#pragma once
// Installs an encoder options provider for the lifetime of a scope and puts
// the previous one back afterwards.

#include <memory>
#include <utility>

#include "io/IEncoderOptionsProvider.h"

namespace Carrow::FileIO {

class ScopedEncoderOptionsProvider final {
public:
    /// Installs `provider` (see SetEncoderOptionsProvider).
    explicit ScopedEncoderOptionsProvider(std::shared_ptr<IEncoderOptionsProvider> provider)
        : m_previous(SetEncoderOptionsProvider(std::move(provider)))
    {
    }
    ~ScopedEncoderOptionsProvider() { SetEncoderOptionsProvider(std::move(m_previous)); }

    ScopedEncoderOptionsProvider(const ScopedEncoderOptionsProvider&) = delete;
    ScopedEncoderOptionsProvider& operator=(const ScopedEncoderOptionsProvider&) = delete;

private:
    std::shared_ptr<IEncoderOptionsProvider> m_previous;
};

} // namespace Carrow::FileIO

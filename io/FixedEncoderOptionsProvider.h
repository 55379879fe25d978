#pragma once
// A provider that answers every save with the same options, without asking
// anyone: for command-line tools, tests and unattended saves.

#include <atomic>

#include "io/IEncoderOptionsProvider.h"

namespace Carrow::FileIO {

class FixedEncoderOptionsProvider final : public IEncoderOptionsProvider {
public:
    /// Answers every question with `options` (the same for JPEG and TIFF).
    explicit FixedEncoderOptionsProvider(const EncoderOptions& options = {});

    /// Answers JPEG questions with `jpeg` and TIFF questions with `tiff`.
    FixedEncoderOptionsProvider(const EncoderOptions& jpeg, const EncoderOptions& tiff);

    /// Options that cancel the save.
    static EncoderOptions Cancelled();

    EncoderOptions AskEncoderOptions(EncoderDialog dialog) override;

    /// TRUE when either answer drops the metadata: a run told to leave the
    /// metadata out leaves it out of every format.
    BOOL DropsMetadataUnasked() override;

    /// How many times a save asked. Any thread.
    int AskCount() const { return m_nAskCount.load(); }

private:
    EncoderOptions m_jpeg;
    EncoderOptions m_tiff;
    std::atomic<int> m_nAskCount{0};
};

} // namespace Carrow::FileIO

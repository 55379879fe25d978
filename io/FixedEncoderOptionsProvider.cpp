#include "io/FixedEncoderOptionsProvider.h"

namespace Carrow::FileIO {

FixedEncoderOptionsProvider::FixedEncoderOptionsProvider(const EncoderOptions& options)
    : m_jpeg(options), m_tiff(options)
{
}

FixedEncoderOptionsProvider::FixedEncoderOptionsProvider(const EncoderOptions& jpeg, const EncoderOptions& tiff)
    : m_jpeg(jpeg), m_tiff(tiff)
{
}

EncoderOptions FixedEncoderOptionsProvider::Cancelled()
{
    EncoderOptions options;
    options.bConfirmed = false;
    return options;
}

EncoderOptions FixedEncoderOptionsProvider::AskEncoderOptions(EncoderDialog dialog)
{
    ++m_nAskCount;
    return dialog == EncoderDialog::Jpeg ? m_jpeg : m_tiff;
}

BOOL FixedEncoderOptionsProvider::DropsMetadataUnasked()
{
    return m_jpeg.bDropMetadata || m_tiff.bDropMetadata ? TRUE : FALSE;
}

} // namespace Carrow::FileIO

#pragma once
// The interactive provider: shows the JPEG or TIFF encoder options dialog
// modally and hands back its results. Works with any dialog class that has a
// default constructor, `DoModal()` returning 1 (IDOK) when confirmed, and the
// result members `m_nQuality`, `m_nCompression` and `m_bDropMetadata`.

#include "io/IEncoderOptionsProvider.h"

namespace Carrow::FileIO {

template <class TJpegDialog, class TTiffDialog>
class DialogEncoderOptionsProvider final : public IEncoderOptionsProvider {
public:
    /// Shows a new dialog for every save (so each starts from its defaults).
    /// User-interface thread only.
    EncoderOptions AskEncoderOptions(EncoderDialog dialog) override
    {
        return dialog == EncoderDialog::Jpeg ? Run<TJpegDialog>() : Run<TTiffDialog>();
    }

private:
    template <class TDialog>
    static EncoderOptions Run()
    {
        constexpr int kIdOk = 1;
        TDialog dlg;
        EncoderOptions options;
        if (dlg.DoModal() != kIdOk) {
            options.bConfirmed = false;
            return options;
        }
        options.nQuality = dlg.m_nQuality;
        options.nCompression = dlg.m_nCompression;
        options.bDropMetadata = dlg.m_bDropMetadata;
        return options;
    }
};

} // namespace Carrow::FileIO

#pragma once
// How ImageFile::ToFile obtains the encoder options of one save: the JPEG
// quality, the TIFF compression, whether the photograph's old metadata goes
// into the new file, or that the user cancelled.
//
// ToFile consults the process-wide current provider. Tools and tests install
// a non-interactive one (FixedEncoderOptionsProvider) with
// SetEncoderOptionsProvider, or for a scope with ScopedEncoderOptionsProvider.
// When none is installed the default provider answers; the application's
// encoder dialogs take that place with one line at library start-up:
//
//   Carrow::FileIO::SetDefaultEncoderOptionsProvider(
//       std::make_shared<Carrow::FileIO::DialogEncoderOptionsProvider<CEncoderJpegDlg, CEncoderTiffDlg>>());
//
// Until then the default provider confirms the dialogs' untouched values:
// quality 100, compression 6 (none), keep the metadata.

#include <memory>

#include "platform/WinTypes.h"

namespace Carrow::FileIO {

/// Which options dialog a save needs.
enum class EncoderDialog {
    Jpeg, ///< JPEG quality and keep-metadata
    Tiff, ///< TIFF compression and keep-metadata
};

/// The answer of one options dialog.
struct EncoderOptions {
    bool bConfirmed{true};     ///< false: the user cancelled; nothing is written
    int nQuality{100};         ///< JPEG quality, 0 to 100
    int nCompression{6};       ///< TIFF compression, an EncoderValue (6 none, 2 LZW)
    BOOL bDropMetadata{FALSE}; ///< set: the old Exif and IPTC data stay out of the new file
};

/// Source of encoder options for ToFile.
class IEncoderOptionsProvider {
public:
    virtual ~IEncoderOptionsProvider() = default;

    /// Asks for the options of one save as `dialog`. May show a modal dialog,
    /// so it is called on the user-interface thread when ToFile runs there.
    virtual EncoderOptions AskEncoderOptions(EncoderDialog dialog) = 0;

    /// Whether a save in a format that asks nothing (PNG) leaves out the
    /// metadata it could carry (the colour profile). The dialogs keep it; a
    /// non-interactive provider may follow its drop-metadata answer. Never
    /// shows anything; same thread as AskEncoderOptions.
    virtual BOOL DropsMetadataUnasked() { return FALSE; }
};

/// The provider ToFile consults now: the one installed with
/// SetEncoderOptionsProvider, else the default. Never null. Any thread.
std::shared_ptr<IEncoderOptionsProvider> GetEncoderOptionsProvider();

/// Installs `provider` for every later save; null goes back to the default.
/// Returns the previously installed one (null when the default was in use).
std::shared_ptr<IEncoderOptionsProvider> SetEncoderOptionsProvider(std::shared_ptr<IEncoderOptionsProvider> provider);

/// Replaces the default provider (the interactive one of the application);
/// null restores the untouched-dialog defaults. Any thread.
void SetDefaultEncoderOptionsProvider(std::shared_ptr<IEncoderOptionsProvider> provider);

} // namespace Carrow::FileIO

#include "io/EncoderDialogProvider.h"

#include "io/DialogEncoderOptionsProvider.h"
#include "io/EncoderJpegDlg.h"
#include "io/EncoderTiffDlg.h"

#include <memory>

namespace Carrow::FileIO {

void InstallEncoderDialogs()
{
    SetDefaultEncoderOptionsProvider(std::make_shared<DialogEncoderOptionsProvider<CEncoderJpegDlg, CEncoderTiffDlg>>());
}

} // namespace Carrow::FileIO

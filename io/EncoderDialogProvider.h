#pragma once
// Makes the JPEG and TIFF options dialogs the encoder options that
// ImageFile::ToFile asks for when nothing else is installed.

namespace Carrow::FileIO {

/// Installs the interactive provider (CEncoderJpegDlg, CEncoderTiffDlg) as
/// the default encoder options provider: from then on every JPEG or TIFF save
/// asks the user with a new dialog. The program calls it once at start-up,
/// after InitCarrow; tests and tools that must not show dialogs leave it out
/// (or install a fixed provider over it). User-interface thread.
void InstallEncoderDialogs();

} // namespace Carrow::FileIO

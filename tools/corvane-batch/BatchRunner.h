#pragma once
// Runs corvane-batch: each input as one editing period of the application
// object, each spot, red-eye rectangle, turn and flip as one operation through
// BeginProcessImage, the worker thread and EndProcessImage, then a save with
// fixed encoder options. User-interface thread; theApp must be set up.

#include <string>

#include "BatchArguments.h"

namespace CorvaneBatch {

/// Prints FromFile's result, width, height, bits per pixel and the numbers of
/// Exif and IPTC entries of `path` to standard output. Returns the exit status.
int PrintInfo(const std::wstring& path);

/// Repairs, turns and saves every input of `args`, keeping no undo steps and
/// writing one log line per photo saved. Failures are reported on standard
/// error. Returns the exit status: 0 when every file was saved, 1 when a photo
/// failed (it could not be opened, repaired or saved, or a spot or red-eye
/// rectangle lies wholly outside it: that photo is not saved), 2 when an
/// output folder or format is wrong (nothing is written then). A red-eye
/// rectangle reaching beyond the photo's edges is noted on standard error and
/// treated where it lies on the photo.
int RunBatch(const BatchArguments& args);

} // namespace CorvaneBatch

#pragma once
// How a save keeps its caller's window alive. When an observer is installed,
// ImageFile::ToFile encodes and writes the file on a worker thread, and the
// thread that called ToFile reports to the observer every few hundredths of
// a second until the file is complete; the observer may let its window
// repaint and show the progress meanwhile. Without an observer (tools,
// tests) the save runs on the calling thread and reports nothing.
//
// The program installs its observer at start-up with SetSaveProgress.

#include <memory>

namespace Carrow::FileIO {

class ISaveProgress {
public:
    virtual ~ISaveProgress() = default;

    /// The encoding of one save starts (after the options were asked).
    /// Called on the thread that called ToFile, as are the two below.
    virtual void OnSaveStarted() = 0;

    /// The save is still running: `percent` (0 to 100) of the picture's rows
    /// are encoded, `elapsedMs` milliseconds have passed since it started.
    /// Called about every 40 ms. The observer may process window events here
    /// but must not touch the ImageFile being saved.
    virtual void OnSaveProgress(int percent, unsigned elapsedMs) = 0;

    /// The save has ended, whatever its result.
    virtual void OnSaveFinished() = 0;
};

/// The observer saves report to now; null when none is installed. Any thread.
std::shared_ptr<ISaveProgress> GetSaveProgress();

/// Installs `observer` for every later save (null: none). Returns the one
/// installed before. Any thread.
std::shared_ptr<ISaveProgress> SetSaveProgress(std::shared_ptr<ISaveProgress> observer);

} // namespace Carrow::FileIO

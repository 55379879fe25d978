#pragma once
// Keeps the main window alive while a photo is saved. The file library
// encodes and writes on a worker thread and reports here, on the
// user-interface thread, every few hundredths of a second. Once a save has
// run half a second, the application counts as busy (commands, dropped
// files and closing the window are ignored, as while an operation runs), the
// status bar shows how far the save has come, and the window repaints. A
// shorter save shows nothing, so a quick save does not flicker.

#include "io/ISaveProgress.h"

class CSaveProgressReporter final : public Carrow::FileIO::ISaveProgress {
public:
    /// How long a save runs before its progress shows, in milliseconds.
    static constexpr unsigned kShowAfterMs = 500;

    void OnSaveStarted() override;
    /// After kShowAfterMs: marks the application busy (once), shows the
    /// percentage in the status bar and processes pending window events
    /// other than user input.
    void OnSaveProgress(int percent, unsigned elapsedMs) override;
    /// Puts the status bar and the application state back.
    void OnSaveFinished() override;

private:
    bool m_bShowing{};
    bool m_bMadeBusy{};
};

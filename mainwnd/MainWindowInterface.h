#pragma once
// The application's view of the main window (IMainWindow) as the main dialog
// offers it. The skinned dialog base has its own DoModal with another result
// type; this layer answers the interface's DoModal through RunMainWindow so
// that the main dialog can be both without the two colliding.

#include "app/IMainWindow.h"

class CMainWindowInterface : public IMainWindow {
public:
    /// Runs the main window modally (RunMainWindow) and returns its result.
    int DoModal() final { return RunMainWindow(); }

protected:
    /// Runs the window modally until it closes; returns its result code.
    virtual int RunMainWindow() = 0;
};

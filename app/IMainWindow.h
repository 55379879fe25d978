#pragma once
// What the application object asks of the main window. The application talks
// to the main window only through this interface; the real main dialog
// implements it, and the tests use a stand-in that records every call.
//
// Every method is called on the user-interface thread. Images are passed as
// a 44-byte BITMAPINFO and bottom-up rows (memory row 0 is the bottom row of
// the picture); the window shows the caller's rows without copying them, so
// `bits` must stay valid while it is shown (it belongs to the history).

#include <string>

#include "platform/WinTypes.h"

class QWidget;
class CBitmap;

class IMainWindow {
public:
    virtual ~IMainWindow() = default;

    /// Runs the window modally until it closes; returns its result code.
    virtual int DoModal() = 0;

    /// Shows a newly opened image at zoom 1.0, refreshes the image
    /// information, loads the product tool into the view. FALSE for null `bits`
    /// or when the view refuses the image.
    virtual BOOL SetImage(BYTE* bits, BITMAPINFO& info) = 0;
    /// Replaces the shown image keeping zoom and scroll position and refreshes
    /// the status bar. FALSE for null `bits` or when the view refuses it.
    virtual BOOL UpdateImage(BYTE* bits, BITMAPINFO& info) = 0;
    /// Makes a device-dependent copy of the shown image in `bitmap` (any
    /// bitmap it held is released). FALSE when no image is shown.
    virtual BOOL GetImage(CBitmap& bitmap) = 0;
    /// Sets the view's zoom: adapt mode 0 = scale table entry `index` (0..18,
    /// index 7 = 100 %), 1 = fit the image into the view, 3 = 100 %. Returns
    /// the zoom before the call.
    virtual double SetDisplayScale(int adaptMode, int index) = 0;
    /// Enables the commands the current application state allows.
    virtual void UpdateToolbarState() = 0;
    /// Refreshes the status bar's image information (size, zoom).
    virtual void UpdateStatusImageInfo() = 0;
    /// Refreshes the status bar's cursor position.
    virtual void UpdateStatusCursorPos() = 0;
    /// Refreshes the status bar's colour under the cursor.
    virtual void UpdateStatusPixelColor() = 0;
    /// Shows `text` in place of the status bar's image information (the
    /// progress of a long save); an empty text puts the information back.
    virtual void ShowStatusText(const std::wstring& text) { (void)text; }
    /// Sets the window's caption.
    virtual void SetCaption(const std::wstring& caption) = 0;

    /// The Close command: asks whether to save unsaved changes and ends the
    /// editing period. TRUE when it was closed (or none was open), FALSE when
    /// the user kept it.
    virtual BOOL OnFileClose() = 0;
    /// Runs the command `id` (IDM_...) as the keyboard shortcut for it would:
    /// the window's own dispatcher decides whether the state allows it.
    virtual void OnAccelerator(UINT id) = 0;

    /// Enables or disables the image view (disabled while an operation runs).
    virtual void EnableImageView(bool enable) = 0;
    /// Gives the keyboard focus to the image view.
    virtual void FocusImageView() = 0;
    /// Unloads the embedded tool from the image view and clears its bitmap.
    virtual void UnloadToolAndClearImage() = 0;

    /// Placement for the persisted window state.
    virtual BOOL IsWindowVisible() const = 0;
    /// Window rectangle in screen coordinates (row 0 at the top).
    virtual RECT GetWindowRect() const = 0;
    /// True while minimised.
    virtual bool IsIconic() const = 0;
    /// True while maximised.
    virtual bool IsZoomed() const = 0;

    /// The top-level widget (owner of message boxes); null when none exists.
    virtual QWidget* GetWidget() = 0;
    /// The toolbar and the image view widgets, which get the mouse wheel when
    /// it turns over them; null when not created.
    virtual QWidget* GetToolbarWidget() = 0;
    virtual QWidget* GetImageViewWidget() = 0;
};

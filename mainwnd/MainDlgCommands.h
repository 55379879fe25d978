#pragma once
// The main window's command handlers. They work on the application object
// `theApp` and reach the main window through the application's main-window
// pointer (GetMainDlg). Each begins with a trace line (log level 4) naming
// its command. The dispatcher (CMainDlg::DispatchCommand) calls them through
// RunMainDlgCommand and refuses every command while an operation runs.
// User-interface thread only.

#include "platform/WinTypes.h"

/// Open (IDM_OPEN): asks to save a modified image, then the Open dialog.
void OnMainDlgFileOpen();
/// Save (IDM_SAVE): saves a modified file over itself; a pasted image, or a
/// file that cannot be saved there, goes through Save As.
void OnMainDlgFileSave();
/// Save As (IDM_SAVEAS): the Save dialog with the image's own type first;
/// the saved file becomes the edited file.
void OnMainDlgFileSaveAs();
/// Close: asks to save a modified image (Yes, No, Cancel) and ends the
/// editing period. TRUE when it was closed or none was open, FALSE when the
/// user kept it (Cancel, or a save that did not happen).
BOOL OnMainDlgFileClose();
/// Exit (IDM_EXIT): Close, then stores the window placement and closes the
/// main window. Nothing while an operation runs.
void OnMainDlgFileExit();
/// Undo (IDM_UNDO) and Redo (IDM_REDO).
void OnMainDlgEditUndoRedo(UINT id);
/// Copy (IDM_COPY): the shown image onto the clipboard.
void OnMainDlgEditCopy();
/// Paste (IDM_PASTE): the clipboard's picture becomes the edited image.
void OnMainDlgEditPaste();
/// Zoom In (IDM_ZOOMIN) and Zoom Out (IDM_ZOOMOUT): one step of the scale table.
void OnMainDlgViewZoom(UINT id);
/// Fit Window (IDM_MAIN_VIEW_FITWINDOW).
void OnMainDlgViewFitWindow();
/// Original Size (IDM_MAIN_VIEW_ORIGINALSIZE): 100 %.
void OnMainDlgViewOriginalSize();
/// IDM_MOVEUP ... IDM_MOVERIGHT: scroll the view as the arrow keys do.
void OnMainDlgViewMoveImage(UINT id);
/// Rotate left (IDM_ROTATELEFT) or right (IDM_ROTATERIGHT) by a quarter turn
/// on the worker thread. Another id throws CNotSupportedException.
void OnMainDlgImageRotate(UINT id);
/// Mirror left-right (IDM_HORIZONTALFLIP) or top-bottom (IDM_VERTICALFLIP) on
/// the worker thread. Another id throws CNotSupportedException.
void OnMainDlgImageFlip(UINT id);
/// About (IDM_ABOUT): the About box.
void OnMainDlgHelpUpgradeDetect();

/// Runs the handler of command `id`; false when no handler belongs to it.
bool RunMainDlgCommand(UINT id);

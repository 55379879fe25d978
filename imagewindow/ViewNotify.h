#pragma once
// Notification codes that the image view and its tools send to the view's
// parent (the header's `code`). The high byte names the sender.
//
// The parent receives them as CNotifyEvent (platform/NotifyEvent.h) whose
// header carries the view (hwndFrom), its control id (idFrom) and the code;
// the event's WPARAM is the view's window handle as well.

#include "platform/WinTypes.h"

namespace ImageWindow {

enum emViewNotify : UINT {
    IWN_MOUSEMOVE = 1,               ///< the mouse moved and no tool consumed it
    IWN_LBUTTONDOWN = 2,             ///< the left button went down and no tool consumed it
    IWN_SELECTOR_FIRST = 256,        ///< region selector: 256 to 262
    IWN_SELECTOR_NEW = 256,          ///< a selection was applied with overlap mode new (255 + mode)
    IWN_SELECTOR_ADD = 257,          ///< ... added to the selection
    IWN_SELECTOR_SUBTRACT = 258,     ///< ... taken away from it
    IWN_SELECTOR_INTERSECT = 259,    ///< ... intersected with it
    IWN_SELECTOR_CLEARED = 260,      ///< the selection was removed
    IWN_SELECTOR_INVERSED = 261,     ///< the selection was inverted
    IWN_SELECTOR_MOVED = 262,        ///< a dragged selection was dropped
    IWN_SELECTOR_LAST = 262,
    IWN_MOVER_DRAGSTART = 513,       ///< hand tool: a drag started
    IWN_MOVER_MOVED = 514,           ///< hand tool: the picture moved
    IWN_MOVER_DRAGEND = 515,         ///< hand tool: the drag ended with the button's release
    IWN_CLONESTAMP_SOURCE = 769,     ///< clone stamp: 769 to 772 (772 is posted)
    IWN_CLONESTAMP_START = 770,
    IWN_CLONESTAMP_END = 771,
    IWN_CLONESTAMP_NOSOURCE = 772,
    IWN_DODGE_START = 1025,          ///< dodge and burn: 1025 to 1028
    IWN_DODGE_END = 1026,
    IWN_BURN_START = 1027,
    IWN_BURN_END = 1028,
    IWN_SPOTREMOVER_SPOT = 1281,     ///< spot remover: a spot was clicked
    IWN_SPOTREMOVER_STROKE = 1282,   ///< spot remover: a healing stroke (Shift at the press) was drawn
    IWN_REDEYE_RECT = 1537,          ///< red-eye tool: a detection rectangle was drawn
};

} // namespace ImageWindow

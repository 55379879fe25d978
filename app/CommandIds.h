#pragma once
// Command identifiers of the main window. One identifier space serves the
// toolbar, the keyboard shortcuts and the system menu.

#include "platform/WinTypes.h"

inline constexpr UINT IDM_ABOUT = 16;
inline constexpr UINT IDM_OPEN = 30000;
inline constexpr UINT IDM_SAVE = 30001;
inline constexpr UINT IDM_SAVEAS = 30002;
inline constexpr UINT IDM_ZOOMIN = 30003;
inline constexpr UINT IDM_ZOOMOUT = 30004;
inline constexpr UINT IDM_COPY = 30005;
inline constexpr UINT IDM_PASTE = 30006;
inline constexpr UINT IDM_UNDO = 30007;
inline constexpr UINT IDM_REDO = 30008;
inline constexpr UINT IDM_ROTATELEFT = 30009;
inline constexpr UINT IDM_ROTATERIGHT = 30010;
inline constexpr UINT IDM_HORIZONTALFLIP = 30011;
inline constexpr UINT IDM_VERTICALFLIP = 30012;
inline constexpr UINT IDM_EXIT = 30013;
inline constexpr UINT IDM_MAIN_VIEW_FITWINDOW = 30014;
inline constexpr UINT IDM_MAIN_VIEW_ORIGINALSIZE = 30015;
inline constexpr UINT IDM_MOVEUP = 31000;
inline constexpr UINT IDM_MOVEDOWN = 31001;
inline constexpr UINT IDM_MOVELEFT = 31002;
inline constexpr UINT IDM_MOVERIGHT = 31003;

#pragma once
// Window messages between the skinned controls and their parents.
//
// A control tells its parent about a click, a text change or a slider move
// with the Windows message and parameters it would send (WM_COMMAND with
// BN_CLICKED or EN_CHANGE, WM_HSCROLL with SB_THUMBTRACK ..., the slider
// panel's 1124 and 1125). Here a message is a CFGMessageEvent delivered to the
// receiving QObject: sent (synchronously, the receiver's result returned) or
// posted (queued; the event owns its data and is freed by Qt after delivery).
// A message from a control carries the control's widget as its LPARAM; a
// posted one is dropped when that control is gone before delivery.
// CFGWnd and CFGDialog turn these events into calls of their WindowProc.
// User-interface thread only, except FGPostMessage, which any thread may call.

#include "platform/WinTypes.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

class CFGMessageEvent : public QEvent {
public:
    /// The event type of every window message (registered once).
    static QEvent::Type EventType();

    /// A message `message` with its parameters; `from`, when given, is the
    /// control that sends it (delivery is dropped once it is destroyed).
    CFGMessageEvent(UINT message, WPARAM wParam, LPARAM lParam, QWidget* from = nullptr);

    /// The message (WM_... or a registered one) and its two parameters.
    UINT Message() const { return m_message; }
    WPARAM WParam() const { return m_wParam; }
    LPARAM LParam() const { return m_lParam; }
    /// The sending control, or null (none given, or destroyed since).
    QWidget* From() const { return m_from.data(); }
    /// True when a sender was given and has been destroyed since.
    bool SenderGone() const { return m_hadSender && m_from.isNull(); }

    /// The receiver's answer (0 until set).
    LRESULT Result() const { return m_result; }
    void SetResult(LRESULT result) { m_result = result; }

private:
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
    QPointer<QWidget> m_from;
    bool m_hadSender;
    LRESULT m_result{0};
};

/// Sends `message` to `target` at once and returns its answer; 0 when the
/// target is null or does not handle the message.
LRESULT FGSendMessage(QObject* target, UINT message, WPARAM wParam, LPARAM lParam, QWidget* from = nullptr);

/// Queues `message` for `target`; delivered by the event loop of the target's
/// thread. Does nothing for a null target.
void FGPostMessage(QObject* target, UINT message, WPARAM wParam, LPARAM lParam, QWidget* from = nullptr);

/// The LPARAM that names a control in a message.
inline LPARAM FGControlParam(const QWidget* control)
{
    return reinterpret_cast<LPARAM>(control);
}

/// Sets the control identifier of `widget` (kept as its "fgCtrlId" property).
void FGSetDlgCtrlID(QWidget* widget, UINT id);

/// The control identifier of `widget`; 0 when none was set or it is null.
UINT FGGetDlgCtrlID(const QWidget* widget);

/// The first direct child of `parent` with the identifier `id`, or null.
QWidget* FGGetDlgItem(const QWidget* parent, UINT id);

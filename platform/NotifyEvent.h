#pragma once
// The WM_NOTIFY message on Qt: an event carrying a notification header
// (NMHDR: sending window, control id, code) and the WPARAM of the message.
//
// Sent notifications (QCoreApplication::sendEvent) point at a header that the
// sender owns (it lives on the sender's stack for the duration of the call);
// the receiver reads it and may store a result with SetResult, which the
// sender returns. Posted notifications (QCoreApplication::postEvent) carry a
// heap copy of the header that belongs to the receiving side: the receiver may
// take it with TakeHeader and free it itself; a header nobody took is freed
// with the event after delivery, so a posted notification never leaks, even
// when the receiver ignores it or is destroyed before it arrives.
//
// Receiving: override QObject::event (or customEvent) and test
// `event->type() == CNotifyEvent::EventType()`.

#include <memory>

#include <QEvent>

#include "platform/WinMessages.h"

class CNotifyEvent : public QEvent {
public:
    /// The event type of every notification (registered once, any thread).
    static QEvent::Type EventType();

    /// A sent notification: `header` stays owned by the sender and must
    /// outlive the sendEvent call.
    CNotifyEvent(WPARAM wParam, NMHDR& header);
    /// A posted notification: the event holds the heap header until the
    /// receiver takes it (TakeHeader) or the event is destroyed.
    CNotifyEvent(WPARAM wParam, std::unique_ptr<NMHDR> header);
    ~CNotifyEvent() override;

    /// The message's WPARAM (the view puts its window handle there).
    WPARAM GetWParam() const { return m_wParam; }
    /// The header of the notification; valid while the event lives (or, for
    /// a posted one, until the receiver took and freed it).
    const NMHDR& GetHeader() const { return *m_pHeader; }
    /// True for a posted notification (heap header owned by the receiving side).
    bool IsPosted() const { return m_pOwnedHeader != nullptr || m_bTaken; }
    /// Hands a posted notification's heap header to the receiver, who frees it.
    /// Returns null for a sent notification (its header is the sender's) and
    /// when the header was taken before. GetHeader stays valid only while the
    /// receiver keeps the returned header alive.
    std::unique_ptr<NMHDR> TakeHeader();

    /// The receiver's result for a sent notification (0 unless set).
    LRESULT GetResult() const { return m_lResult; }
    void SetResult(LRESULT result) { m_lResult = result; }

private:
    WPARAM m_wParam{0};
    NMHDR* m_pHeader{nullptr};
    std::unique_ptr<NMHDR> m_pOwnedHeader;
    bool m_bTaken{false};
    LRESULT m_lResult{0};
};

#include "platform/NotifyEvent.h"

QEvent::Type CNotifyEvent::EventType()
{
    // Registered at first use; the function-local static makes it thread-safe.
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

CNotifyEvent::CNotifyEvent(WPARAM wParam, NMHDR& header) : QEvent(EventType()), m_wParam(wParam), m_pHeader(&header)
{
}

CNotifyEvent::CNotifyEvent(WPARAM wParam, std::unique_ptr<NMHDR> header)
    : QEvent(EventType()), m_wParam(wParam), m_pHeader(header.get()), m_pOwnedHeader(std::move(header))
{
}

CNotifyEvent::~CNotifyEvent() = default;

std::unique_ptr<NMHDR> CNotifyEvent::TakeHeader()
{
    if (!m_pOwnedHeader) return nullptr;
    m_bTaken = true;
    return std::move(m_pOwnedHeader);
}

#include "app/ThreadMessageQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace {
// Type of the wake-up event; each one asks for one queued message to be handled.
const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
} // namespace

class CThreadMessageQueue::Receiver : public QObject {
public:
    explicit Receiver(CThreadMessageQueue& queue) : m_queue(queue) {}

    bool event(QEvent* e) override
    {
        // The wake-up event was made by the posting thread under the queue's
        // mutex; taking the mutex before reading it orders that thread's
        // writes (the event and the queued message) before ours.
        m_queue.Synchronize();
        if (e->type() != kWakeEvent) return QObject::event(e);
        m_queue.DispatchOne();
        return true;
    }

private:
    CThreadMessageQueue& m_queue;
};

CThreadMessageQueue::CThreadMessageQueue() = default;

CThreadMessageQueue::~CThreadMessageQueue() { Detach(); }

void CThreadMessageQueue::Attach(Handler handler)
{
    Detach();
    m_handler = std::move(handler);
    std::lock_guard lock(m_mutex);
    m_pReceiver = new Receiver(*this);
}

void CThreadMessageQueue::Detach()
{
    Receiver* receiver = nullptr;
    {
        std::lock_guard lock(m_mutex);
        receiver = m_pReceiver;
        m_pReceiver = nullptr;
    }
    // Deleting the receiver also drops its pending wake-ups; the messages
    // themselves stay in m_queue.
    delete receiver;
}

BOOL CThreadMessageQueue::Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard lock(m_mutex);
    if (!m_pReceiver) return FALSE;
    m_queue.push_back({message, wParam, lParam});
    // postEvent is thread-safe and takes ownership of the event; posting
    // under the lock keeps the receiver alive against a concurrent Detach.
    QCoreApplication::postEvent(m_pReceiver, new QEvent(kWakeEvent));
    return TRUE;
}

void CThreadMessageQueue::Synchronize() const { std::lock_guard lock(m_mutex); }

bool CThreadMessageQueue::IsReceiver(const QObject* object) const
{
    std::lock_guard lock(m_mutex);
    return object != nullptr && object == m_pReceiver;
}

std::optional<THREAD_MSG> CThreadMessageQueue::TakeMessage(UINT message)
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (it->message != message) continue;
        const THREAD_MSG found = *it;
        m_queue.erase(it);
        return found;
    }
    return std::nullopt;
}

void CThreadMessageQueue::DispatchOne()
{
    std::optional<THREAD_MSG> msg;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty()) return;  // taken earlier by TakeMessage or DispatchPending
        msg = m_queue.front();
        m_queue.pop_front();
    }
    if (m_handler) m_handler(*msg);
}

void CThreadMessageQueue::DispatchPending()
{
    while (Size() > 0) DispatchOne();
}

std::size_t CThreadMessageQueue::Size() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

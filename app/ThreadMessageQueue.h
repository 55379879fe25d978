#pragma once
// The user-interface thread's queue of thread messages: other threads post a
// message (id, WPARAM, LPARAM) and the user-interface thread handles it from
// its event loop, in posting order.
//
// Hand-over: Post() stores the message in a queue guarded by m_mutex and then
// posts one wake-up event to a QObject that lives on the user-interface
// thread; the wake-up takes the oldest message out of the queue (under the
// same mutex) and hands it to the handler. A message therefore lives in the
// queue until it is handled: none is ever lost, and the mutex orders
// everything the poster wrote before Post() before the handler's reads.
// TakeMessage() lets a handler remove later messages of one id, as a message
// loop's filtered peek-and-remove does.

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/WinTypes.h"

class QObject;

/// One thread message.
struct THREAD_MSG {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class CThreadMessageQueue {
public:
    /// Called on the user-interface thread for each message in turn.
    using Handler = std::function<void(const THREAD_MSG&)>;

    CThreadMessageQueue();
    ~CThreadMessageQueue();
    CThreadMessageQueue(const CThreadMessageQueue&) = delete;
    CThreadMessageQueue& operator=(const CThreadMessageQueue&) = delete;

    /// Binds the queue to the calling thread (which must run a Qt event loop,
    /// and a QCoreApplication must exist) and sets the handler. Until then,
    /// Post fails.
    void Attach(Handler handler);
    /// Unbinds the queue; pending messages stay queued and Post fails.
    void Detach();

    /// Queues a message and wakes the user-interface thread. FALSE when the
    /// queue is not attached (nothing is queued then). Any thread.
    BOOL Post(UINT message, WPARAM wParam, LPARAM lParam);

    /// Removes and returns the oldest queued message with id `message`,
    /// leaving other messages in place; nothing when there is none. Any thread.
    std::optional<THREAD_MSG> TakeMessage(UINT message);

    /// Handles every queued message now (user-interface thread).
    void DispatchPending();

    /// Number of queued messages. Any thread.
    std::size_t Size() const;

    /// True when `object` is the queue's own receiver, whose wake-up events
    /// other event filters should pass on untouched: they were made on
    /// another thread. Any thread.
    bool IsReceiver(const QObject* object) const;

private:
    class Receiver;
    void DispatchOne();
    void Synchronize() const;

    mutable std::mutex m_mutex;
    std::deque<THREAD_MSG> m_queue;      // guarded by m_mutex
    Receiver* m_pReceiver{nullptr};      // guarded by m_mutex; owned, lives on the UI thread
    Handler m_handler;                   // set and used on the UI thread only
};

#include "controls/FGMessageEvent.h"

#include <QCoreApplication>
#include <QVariant>

namespace {
constexpr const char* kCtrlIdProperty = "fgCtrlId";
}

QEvent::Type CFGMessageEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

CFGMessageEvent::CFGMessageEvent(UINT message, WPARAM wParam, LPARAM lParam, QWidget* from)
    : QEvent(EventType()), m_message(message), m_wParam(wParam), m_lParam(lParam), m_from(from),
      m_hadSender(from != nullptr)
{
}

LRESULT FGSendMessage(QObject* target, UINT message, WPARAM wParam, LPARAM lParam, QWidget* from)
{
    if (!target) return 0;
    CFGMessageEvent event(message, wParam, lParam, from);
    QCoreApplication::sendEvent(target, &event);
    return event.Result();
}

void FGPostMessage(QObject* target, UINT message, WPARAM wParam, LPARAM lParam, QWidget* from)
{
    if (!target) return;
    QCoreApplication::postEvent(target, new CFGMessageEvent(message, wParam, lParam, from));
}

void FGSetDlgCtrlID(QWidget* widget, UINT id)
{
    if (widget) widget->setProperty(kCtrlIdProperty, QVariant::fromValue(id));
}

UINT FGGetDlgCtrlID(const QWidget* widget)
{
    if (!widget) return 0;
    const QVariant value = widget->property(kCtrlIdProperty);
    return value.isValid() ? value.value<UINT>() : 0;
}

QWidget* FGGetDlgItem(const QWidget* parent, UINT id)
{
    if (!parent) return nullptr;
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isWindow() && FGGetDlgCtrlID(widget) == id) return widget;
    }
    return nullptr;
}

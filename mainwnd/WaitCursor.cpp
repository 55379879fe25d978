#include "mainwnd/WaitCursor.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>

namespace {

// A dialog window of its own (not a child dialog inside another window).
bool IsDialogWindow(QObject* object)
{
    auto* dialog = qobject_cast<QDialog*>(object);
    return dialog && dialog->isWindow();
}

} // namespace

CWaitCursor::CWaitCursor()
{
    if (!qApp) return;
    qApp->installEventFilter(this);
    Show();
}

CWaitCursor::~CWaitCursor()
{
    if (qApp) qApp->removeEventFilter(this);
    Hide();
}

void CWaitCursor::Show()
{
    if (m_bShown) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_bShown = true;
}

void CWaitCursor::Hide()
{
    if (!m_bShown) return;
    QApplication::restoreOverrideCursor();
    m_bShown = false;
}

bool CWaitCursor::eventFilter(QObject* watched, QEvent* event)
{
    // Dialogs opened while busy ask the user something: give the arrow back
    // while any of them is shown.
    if (event->type() == QEvent::Show && IsDialogWindow(watched)) {
        if (m_nOpenDialogs++ == 0) Hide();
    } else if (event->type() == QEvent::Hide && IsDialogWindow(watched) && m_nOpenDialogs > 0) {
        if (--m_nOpenDialogs == 0) Show();
    }
    return false;
}

#pragma once
// The application-wide event filter: every event of the program passes the
// application object's PreTranslateMessage first, which turns shortcut keys
// into commands and sends the mouse wheel to the control under the mouse.

#include <QObject>

class CAppEventFilter : public QObject {
public:
    /// Installs itself on the QApplication (which must exist). UI thread.
    CAppEventFilter();
    /// Removes itself from the QApplication.
    ~CAppEventFilter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

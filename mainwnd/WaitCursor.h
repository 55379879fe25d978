#pragma once
// CWaitCursor: shows the busy cursor over the program while a command works
// (opening, saving, undo...), for the lifetime of the object. A dialog that
// opens meanwhile (a question, an error message, the JPEG options) gets the
// normal cursor back while it is shown, so the user is never asked something
// under a busy cursor. User-interface thread; objects may nest.

#include <QObject>

class CWaitCursor : public QObject {
public:
    /// Shows the busy cursor (nothing without a QApplication).
    CWaitCursor();
    /// Restores the cursor that was shown before.
    ~CWaitCursor() override;
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    /// True while this object's busy cursor is shown.
    bool IsShown() const { return m_bShown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show();
    void Hide();

    bool m_bShown{false};
    int m_nOpenDialogs{0};
};

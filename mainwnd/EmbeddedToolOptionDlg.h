#pragma once
// CEmbeddedToolOptionDlg: the narrow strip under the main window's toolbar.
// At its left the main window places the option panel of the product tool;
// at its right a one-line hyperlink recommends the sibling product Tarnwick,
// with Tarnwick's icon beside it. The line changes every three seconds,
// running through the dictionary ("Loader") items
// "IDS_CORVANELOADER_VISIT_TARNWICK_SINGLE_LINE0" (shown when the strip
// opens), ..._LINE1, ..._LINE2, ..._LINE0 and so on. User-interface thread.

#include <string>

#include "controls/FGDialog.h"

class CFGStatic;

class CEmbeddedToolOptionDlg : public CFGDialog {
    Q_OBJECT
public:
    enum { IDD = 1001 };
    static constexpr UINT IDC_ICON = 1000;           ///< Tarnwick's 16 × 16 icon, a hyperlink
    static constexpr UINT IDC_LINK = 1001;           ///< the recommendation line, a hyperlink
    static constexpr UINT TIMER_LINE = 1;            ///< timer of the rotating line
    static constexpr UINT TIMER_LINE_INTERVAL = 3000;  ///< its period in ms
    static constexpr int LINE_COUNT = 3;             ///< lines 0, 1 and 2
    static constexpr int LINK_WIDTH = 230;           ///< the line's box, pixels
    static constexpr int LINK_HEIGHT = 20;

    /// A child dialog 550 × 16 dialog units holding the icon and the line;
    /// m_nLine is 1. Create it with Create(IDD, parent).
    explicit CEmbeddedToolOptionDlg(QWidget* parent = nullptr);
    ~CEmbeddedToolOptionDlg() override;

    /// The address both hyperlinks open (set before Create; the strip keeps
    /// its own copy).
    void SetSiblingPage(const std::wstring& address) { m_strSiblingPage = address; }

    /// Timer tick: shows line m_nLine, then moves m_nLine on (after 2 comes 0).
    /// Timer 1 drives it every three seconds; other ids are ignored.
    void OnTimer(UINT_PTR timerId);
    /// Stops the rotating line (the window is going away).
    void OnDestroy();
    /// True while the line's timer runs.
    bool IsLineTimerRunning() const { return m_nTimerId != 0; }

    /// Number of the next line to show (0 ... 2).
    int GetNextLine() const { return m_nLine; }
    CFGStatic& GetIconCtrl() { return *m_stcIcon; }
    CFGStatic& GetLinkCtrl() { return *m_stcLink; }

protected:
    BOOL OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void OnSize();

    CFGStatic* m_stcIcon;  // children, owned by the dialog
    CFGStatic* m_stcLink;
    int m_nLine{1};
    int m_nTimerId{0};
    std::wstring m_strSiblingPage;
};

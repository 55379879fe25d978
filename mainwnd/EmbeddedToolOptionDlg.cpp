#include "mainwnd/EmbeddedToolOptionDlg.h"

#include <algorithm>

#include <QResizeEvent>
#include <QTimerEvent>

#include "Wordhoard/LocalizeHelper.h"
#include "controls/FGStatic.h"
#include "mainwnd/AppArtwork.h"
#include "platform/WideFormat.h"

namespace {

constexpr const wchar_t* kLineKeyFormat = L"IDS_CORVANELOADER_VISIT_TARNWICK_SINGLE_LINE%d";
constexpr int kIconSize = 16;
constexpr int kIconGap = 20;  // the icon sits this far left of the line
constexpr int kTopMargin = 5;
constexpr int kRightMargin = 8;  // keeps the line off the window's edge

} // namespace

CEmbeddedToolOptionDlg::CEmbeddedToolOptionDlg(QWidget* parent)
    : CFGDialog(IDD, parent), m_stcIcon(new CFGStatic(this)), m_stcLink(new CFGStatic(this))
{
    SetStyle(WS_CHILD | WS_VISIBLE);
    resize(MapDialogUnits(550, 16));
    m_stcIcon->Create(L"", SS_CENTERIMAGE | WS_VISIBLE, RECT{0, 0, kIconSize, kIconSize}, this, IDC_ICON);
    m_stcLink->Create(FormatWide(kLineKeyFormat, 0).c_str(), SS_LEFT | SS_CENTERIMAGE | WS_VISIBLE,
                      RECT{0, 0, LINK_WIDTH, LINK_HEIGHT}, this, IDC_LINK);
}

CEmbeddedToolOptionDlg::~CEmbeddedToolOptionDlg() { OnDestroy(); }

BOOL CEmbeddedToolOptionDlg::OnInitDialog()
{
    CFGDialog::OnInitDialog();
    // The template holds the key of the first line; show its text.
    const std::wstring key = m_stcLink->GetWindowText();
    m_stcLink->SetWindowText(LocalizeHelper::GetDictionaryItem("Loader", key.c_str()));
    m_stcIcon->setPixmap(AppArtwork::SiblingIcon(kIconSize));
    for (CFGStatic* link : {m_stcIcon, m_stcLink}) {
        link->EnableHyperLinkMode(TRUE);
        link->SetHyperLink(m_strSiblingPage.c_str());
        link->setToolTip(QString::fromStdWString(m_strSiblingPage));
    }
    if (m_nTimerId == 0) m_nTimerId = startTimer(static_cast<int>(TIMER_LINE_INTERVAL));
    OnSize();
    return TRUE;
}

void CEmbeddedToolOptionDlg::OnTimer(UINT_PTR timerId)
{
    if (timerId != TIMER_LINE) return;
    const std::wstring key = FormatWide(kLineKeyFormat, m_nLine);
    ++m_nLine;
    m_stcLink->SetWindowText(LocalizeHelper::GetDictionaryItem("Loader", key.c_str()));
    if (m_nLine >= LINE_COUNT) m_nLine = 0;
    OnSize();
}

void CEmbeddedToolOptionDlg::OnDestroy()
{
    if (m_nTimerId != 0) killTimer(m_nTimerId);
    m_nTimerId = 0;
}

void CEmbeddedToolOptionDlg::OnSize()
{
    RECT client{};
    GetClientRect(&client);
    // The box is at least LINK_WIDTH wide and grows with a longer line, so
    // no translation is cut off.
    const int textWidth = m_stcLink->fontMetrics().horizontalAdvance(m_stcLink->text()) + 4;
    const int width = std::max(LINK_WIDTH, textWidth);
    const int left = client.right - kRightMargin - width;
    const int top = client.top + kTopMargin;
    m_stcLink->setGeometry(left, top, width, LINK_HEIGHT);
    // The icon is centred on the line's height, a small gap before the text.
    m_stcIcon->setGeometry(left - kIconGap, top + (LINK_HEIGHT - kIconSize) / 2, kIconSize, kIconSize);
    update();
}

void CEmbeddedToolOptionDlg::resizeEvent(QResizeEvent* event)
{
    CFGDialog::resizeEvent(event);
    OnSize();
}

void CEmbeddedToolOptionDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_nTimerId) {
        OnTimer(TIMER_LINE);
        return;
    }
    CFGDialog::timerEvent(event);
}

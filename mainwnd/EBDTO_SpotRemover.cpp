#include "mainwnd/EBDTO_SpotRemover.h"

#include <cwchar>

#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "controls/FGMultiSliderPanel.h"
#include "controls/FGStatic.h"
#include "imagewindow/tools/SpotRemover.h"

namespace {

constexpr int kLabelWidth = 70;
constexpr int kSliderWidth = 150;
constexpr int kEditWidth = 40;
constexpr int kMargin = 0;
constexpr int kPlaceholderWidth = 200;

} // namespace

CEBDTO_SpotRemover::CEBDTO_SpotRemover(QWidget* parent)
    : CFGDialog(IDD, parent), m_stcPlaceholder(new CFGStatic(this))
{
    SetStyle(WS_CHILD | WS_VISIBLE);
    resize(MapDialogUnits(550, 16));
    m_stcPlaceholder->Create(L"", SS_LEFT, RECT{0, 0, kPlaceholderWidth, CLIENT_HEIGHT}, this, IDC_PLACEHOLDER);
}

CEBDTO_SpotRemover::~CEBDTO_SpotRemover()
{
    // The slider panel is a child window: it goes with the panel; it must not
    // report to a half-destroyed owner meanwhile.
    if (m_pnlSliders) m_pnlSliders->LockNotify();
}

BOOL CEBDTO_SpotRemover::Create(ImageWindow::IEmbeddedTool* tool, QWidget* parent)
{
    auto* spotRemover = tool && std::wcscmp(tool->GetToolName(), L"spot_remover") == 0
                            ? dynamic_cast<ImageWindow::EmbeddedTool::SpotRemover*>(tool)
                            : nullptr;
    if (!spotRemover) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", L"CEBDTO_SpotRemover::Create", L"Invalid Argument.");
        return FALSE;
    }
    m_pTool = spotRemover;
    return CFGDialog::Create(IDD, parent);
}

BOOL CEBDTO_SpotRemover::OnInitDialog()
{
    CFGDialog::OnInitDialog();  // lays the controls out (AdjustCtrls)
    m_nSize = m_pTool ? m_pTool->GetSize() : DEFAULT_SIZE;
    if (m_nSize < MIN_SIZE || m_nSize > MAX_SIZE) m_nSize = DEFAULT_SIZE;

    SLIDER_ITEM_INFO item;
    item.strName = LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_MAINDLG_EMBEDDEDTOOLOPTIONS_SPOTREMOVER_SIZE");
    item.bEditable = 1;
    item.bInteger = 1;
    item.iMin = MIN_SIZE;
    item.iMax = MAX_SIZE;
    item.iValue = m_nSize;
    auto* panel = new CFGMultiSliderPanel();
    if (panel->SetSliderInfo(&item, 1, kLabelWidth, kSliderWidth, kEditWidth, kMargin)) {
        const QPoint corner = m_stcPlaceholder->geometry().topLeft();
        panel->SetNotifyWnd(this);
        panel->LockNotify();  // the start value is the tool's own; nothing to report yet
        if (panel->Create(corner.x(), corner.y(), this, IDC_SLIDERS, FALSE)) {
            m_pnlSliders = panel;
            m_pnlSliders->SetSliderValue(0, m_nSize);
            m_pnlSliders->UnlockNotify();
        }
    }
    if (!m_pnlSliders) delete panel;
    if (m_pTool) m_pTool->SetSize(m_nSize);
    return TRUE;
}

void CEBDTO_SpotRemover::AdjustCtrls()
{
    resize(CLIENT_WIDTH, CLIENT_HEIGHT);
    m_stcPlaceholder->setGeometry(0, 0, kPlaceholderWidth, CLIENT_HEIGHT);
}

LRESULT CEBDTO_SpotRemover::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_FGMULTISLIDER_CHANGED) return OnSliderChanged();
    return CFGDialog::WindowProc(message, wParam, lParam);
}

LRESULT CEBDTO_SpotRemover::OnSliderChanged()
{
    SLIDER_ITEM_INFO item;
    if (!m_pnlSliders || !m_pnlSliders->GetSliderInfo(0, item)) return 0;
    m_nSize = item.iValue;
    if (m_pTool) m_pTool->SetSize(m_nSize);
    return 0;
}

#include "mainwnd/EBDTO_CloneStamp.h"

#include <cwchar>

#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "controls/FGMultiSliderCtrl.h"
#include "controls/FGStatic.h"
#include "imagewindow/tools/Sketcher.h"

using ImageWindow::EmbeddedTool::Sketcher;

namespace {

constexpr int kLabelWidth = 70;
constexpr int kSliderWidth = 150;
constexpr int kEditWidth = 40;
constexpr int kMargin = 5;

// The pen of a first run (no stored pen), and of a stored one the tool
// would refuse: size 2 shows radius 1 and is handed back as size 3.
constexpr int kDefaultSize = 2;
constexpr int kDefaultPercent = 100;

bool IsUsablePen(int style, int size, int hardness, int opacity)
{
    return style == ImageWindow::EmbeddedTool::STYLE_ROUND && size >= 1 && size <= Sketcher::MAX_PEN_SIZE &&
           hardness >= 1 && hardness <= 100 && opacity >= 1 && opacity <= 100;
}

SLIDER_ITEM_INFO Slider(const wchar_t* labelKey, int minimum, int maximum, int value)
{
    SLIDER_ITEM_INFO item;
    item.strName = LocalizeHelper::GetDictionaryItem("Dictionary", labelKey);
    item.bEditable = 1;
    item.bInteger = 1;
    item.iMin = minimum;
    item.iMax = maximum;
    item.iValue = value;
    return item;
}

} // namespace

CEBDTO_CloneStamp::CEBDTO_CloneStamp(QWidget* parent) : CFGDialog(IDD, parent), m_stcPlaceholder(new CFGStatic(this))
{
    SetStyle(WS_CHILD | WS_VISIBLE);
    resize(MapDialogUnits(550, 16));
    m_stcPlaceholder->Create(L"", SS_LEFT, RECT{0, 0, CLIENT_WIDTH, CLIENT_HEIGHT}, this, IDC_PLACEHOLDER);
}

CEBDTO_CloneStamp::~CEBDTO_CloneStamp()
{
    // The line and its pop-up go with the panel; a pop-up closing meanwhile
    // must not report to a half-destroyed owner.
    if (m_ctrlSliders) m_ctrlSliders->GetPanel().LockNotify();
}

BOOL CEBDTO_CloneStamp::Create(ImageWindow::IEmbeddedTool* tool, QWidget* parent)
{
    auto* cloneStamp = tool && std::wcscmp(tool->GetToolName(), L"clone_stamp") == 0 ? dynamic_cast<Sketcher*>(tool)
                                                                                      : nullptr;
    if (!cloneStamp) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", L"CEBDTO_CloneStamp::Create", L"Invalid Argument.");
        return FALSE;
    }
    m_pTool = cloneStamp;
    return CFGDialog::Create(IDD, parent);
}

BOOL CEBDTO_CloneStamp::OnInitDialog()
{
    CFGDialog::OnInitDialog();  // lays the controls out (AdjustCtrls)
    ReadToolPen();
    CreateSliders();
    PushPen();
    return TRUE;
}

void CEBDTO_CloneStamp::ReadToolPen()
{
    int size = 0;
    if (m_pTool) {
        ImageWindow::EmbeddedTool::emStyle style{};
        m_pTool->GetPen(style, size, m_nPenHardness, m_nPenOpacity);
        m_nPenStyle = style;
    }
    // No pen yet, or one from a damaged settings blob: the first-run pen.
    if (!IsUsablePen(m_nPenStyle, size, m_nPenHardness, m_nPenOpacity)) {
        m_nPenStyle = ImageWindow::EmbeddedTool::STYLE_ROUND;
        size = kDefaultSize;
        m_nPenHardness = m_nPenOpacity = kDefaultPercent;
    }
    m_nPenRadius = size / 2;
}

void CEBDTO_CloneStamp::CreateSliders()
{
    const SLIDER_ITEM_INFO items[] = {
        Slider(L"IDS_VELMIRA_MAINDLG_EMBEDDEDTOOLOPTIONS_PEN_RADIUS", 0, MAX_RADIUS, m_nPenRadius),
        Slider(L"IDS_VELMIRA_MAINDLG_EMBEDDEDTOOLOPTIONS_PEN_HARDNESS", 1, 100, m_nPenHardness),
        Slider(L"IDS_VELMIRA_MAINDLG_EMBEDDEDTOOLOPTIONS_PEN_OPACITY", 1, 100, m_nPenOpacity),
    };
    auto* line = new CFGMultiSliderCtrl();
    const RECT place{m_stcPlaceholder->x(), m_stcPlaceholder->y(), m_stcPlaceholder->geometry().right() + 1,
                     m_stcPlaceholder->geometry().bottom() + 1};
    if (line->SetSliderInfo(items, 3, kLabelWidth, kSliderWidth, kEditWidth, kMargin) &&
        line->Create(WS_CHILD | WS_VISIBLE, place, this, IDC_SLIDERS))
        m_ctrlSliders = line;
    else
        delete line;
}

void CEBDTO_CloneStamp::AdjustCtrls()
{
    resize(CLIENT_WIDTH, CLIENT_HEIGHT);
    m_stcPlaceholder->setGeometry(0, 0, CLIENT_WIDTH, CLIENT_HEIGHT);
}

LRESULT CEBDTO_CloneStamp::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_FGMULTISLIDER_CLOSED) return OnSlidersClosed();
    return CFGDialog::WindowProc(message, wParam, lParam);
}

LRESULT CEBDTO_CloneStamp::OnSlidersClosed()
{
    if (!m_ctrlSliders) return 0;
    SLIDER_ITEM_INFO item;
    if (m_ctrlSliders->GetSliderInfo(SLIDER_RADIUS, item)) m_nPenRadius = item.iValue;
    if (m_ctrlSliders->GetSliderInfo(SLIDER_HARDNESS, item)) m_nPenHardness = item.iValue;
    if (m_ctrlSliders->GetSliderInfo(SLIDER_OPACITY, item)) m_nPenOpacity = item.iValue;
    PushPen();
    return 0;
}

void CEBDTO_CloneStamp::PushPen()
{
    if (m_pTool)
        m_pTool->SetPen(static_cast<ImageWindow::EmbeddedTool::emStyle>(m_nPenStyle), 2 * m_nPenRadius + 1,
                        m_nPenHardness, m_nPenOpacity);
}

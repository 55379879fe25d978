#include "controls/FGMultiSliderPanel.h"

#include "controls/FGEdit.h"
#include "controls/FGSliderCtrl.h"
#include "controls/FGStatic.h"
#include "controls/FGResource.h"
#include "platform/WideFormat.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kRowPitch = 22;
constexpr int kRowHeight = 20;
constexpr UINT kFirstRowId = 100;

// 10^p by repeated squaring in single precision; a negative p gives 1 / 10^|p|.
float PowerOfTen(int precision)
{
    unsigned n = static_cast<unsigned>(std::abs(precision));
    float base = 10.0f, result = 1.0f;
    while (n) {
        if (n & 1u) result *= base;
        base *= base;
        n >>= 1;
    }
    return precision < 0 ? 1.0f / result : result;
}

UINT RowId(int index, int column)
{
    return kFirstRowId + static_cast<UINT>(10 * index + column);
}

} // namespace

CFGMultiSliderPanel::CFGMultiSliderPanel() : CFGWnd(nullptr)
{
    setAttribute(Qt::WA_NoMouseReplay); // the click that closes the pop-up must not reopen it
}

CFGMultiSliderPanel::~CFGMultiSliderPanel()
{
    // Destruction is not a close: the owner may be half destroyed already,
    // so no message is sent from here.
    m_bLockNotify = true;
    m_bClosing = true;
}

int CFGMultiSliderPanel::SetSliderInfo(const SLIDER_ITEM_INFO* items, int count, int labelWidth, int sliderWidth,
                                       int editWidth, int margin)
{
    if (!items || count < 1 || count > MAX_SLIDERS) return 0;
    m_nLabelWidth = labelWidth;
    m_nSliderWidth = sliderWidth;
    m_nEditWidth = editWidth;
    m_nMargin = margin;
    m_arrItems.assign(items, items + count);
    return 1;
}

int CFGMultiSliderPanel::GetSliderInfo(int index, SLIDER_ITEM_INFO& item) const
{
    if (index < 0 || index >= GetSliderCount()) return 0;
    item = m_arrItems[static_cast<size_t>(index)];
    return 1;
}

QSize CFGMultiSliderPanel::CalcSize() const
{
    return QSize(2 * m_nMargin + m_nLabelWidth + m_nSliderWidth + m_nEditWidth,
                 2 * m_nMargin + kRowPitch * GetSliderCount());
}

int CFGMultiSliderPanel::Create(int x, int y, QWidget* parent, UINT id, BOOL popup)
{
    if (m_arrItems.empty() || m_bCreated) return 0;
    if (!popup && !parent) return 0;
    if (popup) {
        setParent(parent, Qt::Popup);
        SetDlgCtrlID(0);
    } else {
        setParent(parent, Qt::Widget);
        SetDlgCtrlID(id);
    }
    m_bPopup = popup != FALSE;
    setFont(FGGetFont());
    setGeometry(QRect(QPoint(x, y), CalcSize()));
    m_bCreated = true;
    for (int i = 0; i < GetSliderCount(); ++i) CreateRow(i);
    show();
    if (!m_arrSliders.empty() && m_arrSliders.front()) m_arrSliders.front()->setFocus(Qt::PopupFocusReason);
    return 1;
}

bool CFGMultiSliderPanel::CreateRow(int index)
{
    const int top = m_nMargin + kRowPitch * index;
    const LONG left = m_nMargin;
    const SLIDER_ITEM_INFO& item = m_arrItems[static_cast<size_t>(index)];

    auto* label = new CFGStatic(this);
    label->Create(item.strName.c_str(), SS_CENTERIMAGE | WS_VISIBLE | WS_TABSTOP,
                  RECT{left, top, left + m_nLabelWidth, top + kRowHeight}, this, RowId(index, 0));
    auto* slider = new CFGSliderCtrl(this);
    const LONG sliderLeft = left + m_nLabelWidth;
    slider->Create(TBS_BOTH | TBS_NOTICKS | WS_VISIBLE | WS_TABSTOP,
                   RECT{sliderLeft, top, sliderLeft + m_nSliderWidth, top + kRowHeight}, this, RowId(index, 1));
    auto* edit = new CFGEdit(this);
    const LONG editLeft = sliderLeft + m_nSliderWidth;
    const DWORD editStyle = WS_BORDER | ES_CENTER | ES_AUTOHSCROLL | WS_VISIBLE | WS_TABSTOP |
                            (item.bEditable ? 0 : ES_READONLY);
    edit->Create(editStyle, RECT{editLeft, top, editLeft + m_nEditWidth, top + kRowHeight}, this, RowId(index, 2));
    m_arrLabels.push_back(label);
    m_arrSliders.push_back(slider);
    m_arrEdits.push_back(edit);
    SetUpSlider(index);
    SetUpEdit(index);
    OnSliderMove(index); // the edit box shows the value
    return true;
}

void CFGMultiSliderPanel::SetUpSlider(int index)
{
    const SLIDER_ITEM_INFO& item = m_arrItems[static_cast<size_t>(index)];
    CFGSliderCtrl* slider = m_arrSliders[static_cast<size_t>(index)];
    slider->SetTicFreq(item.iStep);
    if (item.bInteger) {
        slider->SetRange(item.iMin, item.iMax, TRUE);
        slider->SetPos(item.iValue);
    } else {
        slider->SetRange(CalcFPSliderPos(item.fMin, item.iPrecision), CalcFPSliderPos(item.fMax, item.iPrecision),
                         TRUE);
        slider->SetPos(CalcFPSliderPos(item.fValue, item.iPrecision));
    }
}

void CFGMultiSliderPanel::SetUpEdit(int index)
{
    const SLIDER_ITEM_INFO& item = m_arrItems[static_cast<size_t>(index)];
    CFGEdit* edit = m_arrEdits[static_cast<size_t>(index)];
    edit->SetNumberMode(TRUE);
    edit->SetFloatMode(item.bInteger ? FALSE : TRUE);
    if (item.bInteger) edit->SetRange(item.iMin, item.iMax);
    else edit->SetRange(static_cast<double>(item.fMin), static_cast<double>(item.fMax));
    edit->SetPrecision(std::min(item.iPrecision, 5));
    edit->SetStep(item.iStep);
}

void CFGMultiSliderPanel::OnSliderMove(int index)
{
    if (index < 0 || index >= static_cast<int>(m_arrSliders.size())) return;
    SLIDER_ITEM_INFO& item = m_arrItems[static_cast<size_t>(index)];
    const int position = m_arrSliders[static_cast<size_t>(index)]->GetPos();
    CFGEdit* edit = m_arrEdits[static_cast<size_t>(index)];
    if (item.bInteger) {
        item.iValue = position;
        edit->SetValue(position);
    } else {
        item.fValue = CalcFPSliderValue(position, item.iPrecision);
        edit->SetValue(static_cast<double>(item.fValue));
    }
}

void CFGMultiSliderPanel::OnEditChange(int index)
{
    if (index < 0 || index >= static_cast<int>(m_arrEdits.size())) return;
    SLIDER_ITEM_INFO& item = m_arrItems[static_cast<size_t>(index)];
    CFGEdit* edit = m_arrEdits[static_cast<size_t>(index)];
    CFGSliderCtrl* slider = m_arrSliders[static_cast<size_t>(index)];
    if (item.bInteger) {
        int value = 0;
        item.iValue = edit->GetValue(value);
        slider->SetPos(item.iValue);
    } else {
        double value = 0.0;
        item.fValue = static_cast<float>(edit->GetValue(value));
        slider->SetPos(CalcFPSliderPos(item.fValue, item.iPrecision));
    }
    SendNotify(WM_FGMULTISLIDER_CHANGED);
}

void CFGMultiSliderPanel::SetSliderValue(int index, int value)
{
    if (index < 0 || index >= GetSliderCount()) return;
    SLIDER_ITEM_INFO& item = m_arrItems[static_cast<size_t>(index)];
    if (!item.bInteger) return;
    item.iValue = std::clamp(value, std::min(item.iMin, item.iMax), std::max(item.iMin, item.iMax));
    if (index >= static_cast<int>(m_arrSliders.size())) return;
    m_arrSliders[static_cast<size_t>(index)]->SetPos(item.iValue);
    OnSliderMove(index);
}

void CFGMultiSliderPanel::SetSliderValue(int index, float value)
{
    if (index < 0 || index >= GetSliderCount()) return;
    SLIDER_ITEM_INFO& item = m_arrItems[static_cast<size_t>(index)];
    if (item.bInteger || std::isnan(value)) return;
    item.fValue = std::clamp(value, std::min(item.fMin, item.fMax), std::max(item.fMin, item.fMax));
    if (index >= static_cast<int>(m_arrSliders.size())) return;
    m_arrSliders[static_cast<size_t>(index)]->SetPos(CalcFPSliderPos(item.fValue, item.iPrecision));
    OnSliderMove(index);
}

void CFGMultiSliderPanel::ToString(std::wstring& text) const
{
    text.clear();
    for (size_t i = 0; i < m_arrItems.size(); ++i) {
        const SLIDER_ITEM_INFO& item = m_arrItems[i];
        if (item.bInteger) {
            text += FormatWide(L"%s: %d ", item.strName.c_str(), item.iValue);
            continue;
        }
        const std::wstring format = FormatWide(L"%%s: %%.%df", item.iPrecision);
        text += FormatWide(format.c_str(), item.strName.c_str(), static_cast<double>(item.fValue));
        if (i + 1 < m_arrItems.size()) text += L' '; // keeps the next label apart
    }
}

CFGStatic* CFGMultiSliderPanel::GetLabel(int index) const
{
    return index >= 0 && index < static_cast<int>(m_arrLabels.size()) ? m_arrLabels[static_cast<size_t>(index)]
                                                                       : nullptr;
}

CFGSliderCtrl* CFGMultiSliderPanel::GetSlider(int index) const
{
    return index >= 0 && index < static_cast<int>(m_arrSliders.size()) ? m_arrSliders[static_cast<size_t>(index)]
                                                                        : nullptr;
}

CFGEdit* CFGMultiSliderPanel::GetEdit(int index) const
{
    return index >= 0 && index < static_cast<int>(m_arrEdits.size()) ? m_arrEdits[static_cast<size_t>(index)]
                                                                      : nullptr;
}

int CFGMultiSliderPanel::CalcFPSliderPos(float value, int precision)
{
    const float scaled = value * PowerOfTen(precision);
    if (!std::isfinite(scaled)) return 0;
    return static_cast<int>(std::lround(std::clamp(scaled, -2.0e9f, 2.0e9f)));
}

float CFGMultiSliderPanel::CalcFPSliderValue(int position, int precision)
{
    return static_cast<float>(position) / PowerOfTen(precision);
}

int CFGMultiSliderPanel::CtrlIDToSliderIndex(UINT id)
{
    return (static_cast<int>(id) - static_cast<int>(kFirstRowId)) / 10;
}

void CFGMultiSliderPanel::SendNotify(UINT message)
{
    if (m_bLockNotify) return;
    QWidget* target = m_pNotifyWnd ? m_pNotifyWnd.data() : parentWidget();
    FGSendMessage(target, message, 0, 0);
}

LRESULT CFGMultiSliderPanel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* control = reinterpret_cast<QWidget*>(lParam);
    if (message == WM_HSCROLL && control) {
        OnSliderMove(CtrlIDToSliderIndex(FGGetDlgCtrlID(control)));
        return 0;
    }
    if (message == WM_COMMAND && HIWORD(static_cast<DWORD>(wParam)) == EN_CHANGE) {
        OnEditChange(CtrlIDToSliderIndex(LOWORD(static_cast<DWORD>(wParam))));
        return 0;
    }
    return CFGWnd::WindowProc(message, wParam, lParam);
}

void CFGMultiSliderPanel::DestroyRows()
{
    // Rows may be inside their own event handler (a key that closed the
    // pop-up), so they are hidden now and deleted by the event loop.
    auto retire = [](QWidget* row) {
        if (!row) return;
        row->hide();
        row->deleteLater();
    };
    for (CFGStatic* label : m_arrLabels) retire(label);
    for (CFGSliderCtrl* slider : m_arrSliders) retire(slider);
    for (CFGEdit* edit : m_arrEdits) retire(edit);
    m_arrLabels.clear();
    m_arrSliders.clear();
    m_arrEdits.clear();
}

void CFGMultiSliderPanel::DestroyWindow()
{
    if (!m_bCreated || m_bClosing) return;
    m_bClosing = true;
    DestroyRows();
    m_bCreated = false;
    if (isVisible()) hide();
    SendNotify(WM_FGMULTISLIDER_CLOSED);
    m_bClosing = false;
}

void CFGMultiSliderPanel::hideEvent(QHideEvent* event)
{
    CFGWnd::hideEvent(event);
    // A pop-up that goes away (click elsewhere, Escape, lost activation) is closed.
    if (m_bPopup && m_bCreated && !m_bClosing) DestroyWindow();
}

void CFGMultiSliderPanel::paintEvent(QPaintEvent* event)
{
    CFGWnd::paintEvent(event);
    if (!m_bPopup) return;
    QPainter painter(this);
    painter.setPen(FGGetQColor(10));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

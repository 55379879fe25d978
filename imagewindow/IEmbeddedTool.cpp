#include "imagewindow/IEmbeddedTool.h"

#include <cwchar>

namespace ImageWindow {

IEmbeddedTool::IEmbeddedTool(const wchar_t* name, std::int32_t settingsVersion) : m_iSettingsVersion(settingsVersion)
{
    if (name) std::wcsncpy(m_szToolName, name, MAX_TOOLNAME - 1);
}

IEmbeddedTool::~IEmbeddedTool() = default;

const wchar_t* IEmbeddedTool::GetToolName() const { return m_szToolName; }

int IEmbeddedTool::OnLoad(CImageWindow& view)
{
    m_pView = &view;
    return 1;
}

void IEmbeddedTool::SerializeToolSettings(std::vector<BYTE>& out) const { out.clear(); }

int IEmbeddedTool::UnserializeToolSettings(const std::vector<BYTE>& in)
{
    if (in.size() <= 4) return 0;
    return static_cast<std::int32_t>(in[0]) <= m_iSettingsVersion ? 1 : 0;
}

int IEmbeddedTool::OnUnload() { return 1; }
int IEmbeddedTool::OnPrePaint(QPainter&, CRect&) { return 0; }
int IEmbeddedTool::OnPostPaint(QPainter&, CRect&) { return 0; }
int IEmbeddedTool::OnSetCursor(QWidget*, UINT, UINT) { return 0; }
int IEmbeddedTool::OnTimer(UINT_PTR) { return 0; }
int IEmbeddedTool::OnLButtonDown(UINT, CPoint) { return 0; }
int IEmbeddedTool::OnLButtonUp(UINT, CPoint) { return 0; }
int IEmbeddedTool::OnLButtonDblClk(UINT, CPoint) { return 0; }
int IEmbeddedTool::OnMouseWheel(UINT, short, CPoint) { return 0; }
int IEmbeddedTool::OnMouseMove(UINT, CPoint) { return 0; }
int IEmbeddedTool::OnKeyDown(UINT, UINT, UINT) { return 0; }
int IEmbeddedTool::OnKeyUp(UINT, UINT, UINT) { return 0; }
int IEmbeddedTool::OnSysKeyDown(UINT, UINT, UINT) { return 0; }
int IEmbeddedTool::OnSysKeyUp(UINT, UINT, UINT) { return 0; }
int IEmbeddedTool::OnCaptureChanged(QWidget*) { return 0; }
void IEmbeddedTool::OnZoomChanged() {}
void IEmbeddedTool::OnBitmapChanged() {}
BOOL IEmbeddedTool::IsMovingSelection() const { return FALSE; }
const BYTE* IEmbeddedTool::GetBitmap(BITMAPINFO&) const { return nullptr; }

} // namespace ImageWindow

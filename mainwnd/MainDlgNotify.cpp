// The image view's tool notifications that start operations: the spot
// remover's click and healing stroke and the red-eye rectangle (worker
// thread), the clone stamp's and the dodge-and-burn brush's finished strokes
// (recorded at once).
#include <memory>

#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/CorvaneLoaderApp.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/RedeyeReduction.h"
#include "imagewindow/tools/SpotRemover.h"
#include "mainwnd/MainDlg.h"
#include "operations/Operators.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_HealingStroke.h"
#include "operations/OptParam_RedeyeReduction.h"
#include "operations/OptParam_SpotRemoval.h"
#include "operations/PixelBuffer.h"
#include "platform/NotifyEvent.h"

using OperationManage::Operation;

namespace {

constexpr const wchar_t* kModule = L"CorvaneLoader";

const wchar_t* Item(const wchar_t* key) { return LocalizeHelper::GetDictionaryItem("Dictionary", key); }

// Records a brush stroke the tool has already painted: the operator copies
// the tool's picture into the operation's image on this thread. Returns the
// notification's result: 1 when no operation could be begun.
LRESULT RecordBrushStroke(const OperationManage::OPTGUID& kind, const wchar_t* nameKey, bool (*process)(Operation&),
                          const wchar_t* function)
{
    Operation* operation = theApp.BeginProcessImage();
    if (!operation) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to call theApp.BeginProcessImage.");
        return 1;
    }
    OperationManage::OptGuidCopy(operation->m_Kind, kind);
    operation->m_strName = Item(nameKey);
    if (process(*operation)) theApp.EndProcessImage(operation);
    else theApp.CancelProcessImage(operation);
    return 0;
}

// Hands a repair the user asked for to the worker thread: begins the
// operation (nothing happens when none can be begun), names it, attaches
// `param` and starts the thread; the operation is dropped again when the
// thread cannot start.
void RunOnWorkerThread(const OperationManage::OPTGUID& kind, const wchar_t* nameKey,
                       std::unique_ptr<OperationManage::IOptParam> param, const wchar_t* function)
{
    Operation* operation = theApp.BeginProcessImage();
    if (!operation) return;
    OperationManage::OptGuidCopy(operation->m_Kind, kind);
    operation->m_strName = Item(nameKey);
    operation->m_pParam = param.release();
    if (BeginImageProcessThread(operation)) return;
    WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to start the image-processing thread.");
    theApp.CancelProcessImage(operation);
}

ImageWindow::EmbeddedTool::SpotRemover* SpotRemoverTool()
{
    return dynamic_cast<ImageWindow::EmbeddedTool::SpotRemover*>(
        theApp.m_arrTools->Get(CCorvaneLoaderApp::TOOL_SPOTREMOVER));
}

} // namespace

// A brush stroke ends in a history step holding a whole snapshot: its memory
// is faulted in meanwhile, so recording the stroke does not wait for it.
void CMainDlg::PrepareStrokeStep()
{
    PixelBuffer::PrepareSpare(m_DisplayWnd.BmpInfo().bmiHeader.biSizeImage);
}

LRESULT CMainDlg::OnDisplayWndCloneStampNotify(CNotifyEvent& notification)
{
    switch (notification.GetHeader().code) {
    case ImageWindow::IWN_CLONESTAMP_START: PrepareStrokeStep(); return 0;
    case ImageWindow::IWN_CLONESTAMP_END:
        return RecordBrushStroke(OPTGUID_CLONESTAMP, L"IDS_VELMIRA_OPERATION_NAME_CLONESTAMP",
                                 &Operator_CloneStamp::Process, L"CMainDlg::OnDisplayWndCloneStampNotify");
    case ImageWindow::IWN_CLONESTAMP_NOSOURCE: {
        // A posted notification: its header is ours to free once read.
        const auto header = notification.TakeHeader();
        theApp.DoMessageBox(Item(L"IDS_VELMIRA_MSG_CLONESTAMP_SOURCE_POINT_NOT_SET"), MB_ICONINFORMATION);
        return 0;
    }
    default: return 0;
    }
}

LRESULT CMainDlg::OnDisplayWndDodgeBurnNotify(UINT code)
{
    if (code == ImageWindow::IWN_DODGE_START || code == ImageWindow::IWN_BURN_START) PrepareStrokeStep();
    if (code != ImageWindow::IWN_DODGE_END && code != ImageWindow::IWN_BURN_END) return 0;
    return RecordBrushStroke(OPTGUID_DODGEBURN, L"IDS_VELMIRA_OPERATION_NAME_DODGEBURN", &Operator_DodgeBurn::Process,
                             L"CMainDlg::OnDisplayWndDodgeBurnNotify");
}

LRESULT CMainDlg::OnDisplayWndSpotRemovalNotify()
{
    const auto* tool = SpotRemoverTool();
    if (!tool) return 0;
    auto param = std::make_unique<OptParam_SpotRemoval>();
    param->m_nSpotSize = tool->GetSize();
    const POINT spot = tool->GetSpotPos();
    param->m_nX = spot.x;
    param->m_nY = spot.y;
    // A click on the grey margin would record a repair that changes nothing
    // and mark an unchanged photo as modified.
    if (!param->ReachesImage(m_DisplayWnd.iBmpWidth(), m_DisplayWnd.iBmpHeight())) return 0;
    RunOnWorkerThread(OPTGUID_SPOTREMOVAL, L"IDS_VELMIRA_OPERATION_NAME_SPOTREMOVAL", std::move(param),
                      L"CMainDlg::OnDisplayWndSpotRemovalNotify");
    return 0;
}

LRESULT CMainDlg::OnDisplayWndHealingStrokeNotify()
{
    const auto* tool = SpotRemoverTool();
    if (!tool) return 0;
    auto param = std::make_unique<OptParam_HealingStroke>();
    param->m_nSpotSize = tool->GetSize();
    param->m_Path = tool->GetStrokePath();
    // A stroke drawn wholly on the margin, like a click there, records nothing.
    if (!param->ReachesImage(m_DisplayWnd.iBmpWidth(), m_DisplayWnd.iBmpHeight())) return 0;
    RunOnWorkerThread(OPTGUID_HEALINGSTROKE, L"IDS_VELMIRA_OPERATION_NAME_HEALINGSTROKE", std::move(param),
                      L"CMainDlg::OnDisplayWndHealingStrokeNotify");
    return 0;
}

LRESULT CMainDlg::OnDisplayWndRedeyeReductionNotify()
{
    constexpr const wchar_t* kFunction = L"CMainDlg::OnDisplayWndRedeyeReductionNotify";
    auto* tool = dynamic_cast<ImageWindow::EmbeddedTool::RedeyeReduction*>(
        theApp.m_arrTools->Get(CCorvaneLoaderApp::TOOL_REDEYEREDUCTION));
    if (!tool) return 0;
    auto param = std::make_unique<OptParam_RedeyeReduction>();
    param->m_rcRect = tool->GetDetectRect();
    param->m_nDarkenAmount = tool->GetDarkenAmount();
    // A rectangle drawn on the grey margin, or within one image pixel, has
    // nothing to treat: recording it would mark an unchanged photo modified.
    if (!param->ReachesImage(m_DisplayWnd.iBmpWidth(), m_DisplayWnd.iBmpHeight())) {
        const RECT& r = param->m_rcRect;
        WriteLog(LOG_LEVEL_WARNING, kModule, kFunction,
                 L"The red-eye rectangle (%d, %d, %d, %d) covers no pixel of the image; nothing to do.", r.left,
                 r.top, r.right, r.bottom);
        return 0;
    }
    RunOnWorkerThread(OPTGUID_REDEYEREDUCTION, L"IDS_VELMIRA_OPERATION_NAME_REDEYEREDUCTION", std::move(param),
                      kFunction);
    return 0;
}

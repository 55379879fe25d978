#include "BatchMainWindow.h"

#include "app/CorvaneLoaderApp.h"

namespace CorvaneBatch {

BOOL CBatchMainWindow::Show(BYTE* bits, const BITMAPINFO& info)
{
    if (!bits) return FALSE;
    m_pShown = bits;
    m_shownHeader = info;
    return TRUE;
}

BOOL CBatchMainWindow::OnFileClose()
{
    if (theApp.m_nAppState == CCorvaneLoaderApp::APPSTATE_EDITING) theApp.EndEditImageFile();
    return TRUE;
}

} // namespace CorvaneBatch

#include "app/HeadlessMainWindow.h"

#include "app/CorvaneLoaderApp.h"

BOOL CHeadlessMainWindow::Show(BYTE* bits, const BITMAPINFO& info)
{
    if (!bits) return FALSE;
    m_pShown = bits;
    m_shownHeader = info;
    return TRUE;
}

BOOL CHeadlessMainWindow::OnFileClose()
{
    if (theApp.m_nAppState == CCorvaneLoaderApp::APPSTATE_EDITING) theApp.EndEditImageFile();
    return TRUE;
}

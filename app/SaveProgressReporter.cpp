#include "app/SaveProgressReporter.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "Wordhoard/LocalizeHelper.h"
#include "app/CorvaneLoaderApp.h"
#include "platform/WideFormat.h"

void CSaveProgressReporter::OnSaveStarted()
{
    m_bShowing = false;
    m_bMadeBusy = false;
}

void CSaveProgressReporter::OnSaveProgress(int percent, unsigned elapsedMs)
{
    if (elapsedMs < kShowAfterMs) return;
    if (!m_bShowing) {
        m_bShowing = true;
        // Busy like an operation in flight, so that nothing the window does
        // while it repaints can change or close the photo being saved.
        if (theApp.m_nAppState == CCorvaneLoaderApp::APPSTATE_EDITING) {
            theApp.SetAppState(CCorvaneLoaderApp::APPSTATE_PROCESSING);
            m_bMadeBusy = true;
        }
    }
    if (IMainWindow* window = theApp.GetMainWindow()) {
        const std::wstring amount = std::to_wstring(percent) + L" %";
        window->ShowStatusText(
            FormatWide(LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_MSG_SAVING"), amount.c_str()));
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CSaveProgressReporter::OnSaveFinished()
{
    if (m_bMadeBusy) theApp.SetAppState(CCorvaneLoaderApp::APPSTATE_EDITING);
    IMainWindow* window = theApp.GetMainWindow();
    if (m_bShowing && window) window->ShowStatusText(L"");
    m_bShowing = false;
    m_bMadeBusy = false;
}

// The program: creates the QApplication, runs the application object's
// start-up (which runs the main window until it closes) and its shutdown.
// `theApp` itself was constructed during static initialisation.
#include <memory>

#include <QApplication>

#include "app/CorvaneLoaderApp.h"

#if __has_include("mainwnd/MainDlg.h")
#include "mainwnd/MainDlg.h"
#define CORVANE_HAS_MAIN_DIALOG 1
#endif

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
#ifdef CORVANE_HAS_MAIN_DIALOG
    theApp.SetMainWindowFactory([] { return std::make_unique<CMainDlg>(); });
#endif
    theApp.InitInstance();
    return theApp.ExitInstance();
}

// The program: creates the QApplication, runs the application object's
// start-up (which runs the main window until it closes) and its shutdown.
// `theApp` itself was constructed during static initialisation.
#include <memory>

#include <QApplication>
#include <QStringList>

#include "app/CorvaneLoaderApp.h"
#include "mainwnd/MainDlg.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    theApp.SetMainWindowFactory([] { return std::make_unique<CMainDlg>(); });
    // A photo named on the command line opens once the window is up.
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) theApp.SetLaunchFile(args.at(1).toStdWString());
    theApp.InitInstance();
    return theApp.ExitInstance();
}

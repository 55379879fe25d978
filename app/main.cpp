// The program: creates the QApplication, runs the application object's
// start-up (which runs the main window until it closes) and its shutdown.
// `theApp` itself was constructed during static initialisation.
#include <memory>
#include <optional>
#include <string>

#include <QApplication>
#include <QStringList>

#include "app/CorvaneLoaderApp.h"
#include "mainwnd/MainDlg.h"

namespace {

// The photo named on the command line, opened once the window is up (as a
// file manager's "open with" does). Options the program does not know are
// skipped; after "--" every argument is a file name, so a photo called
// "-1.jpg" can be opened too.
std::optional<std::wstring> LaunchFileFromArguments(const QStringList& args)
{
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (!optionsEnded && args.at(i) == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && args.at(i).startsWith(QLatin1Char('-'))) continue;
        return args.at(i).toStdWString();
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    theApp.SetMainWindowFactory([] { return std::make_unique<CMainDlg>(); });
    if (const auto photo = LaunchFileFromArguments(QCoreApplication::arguments())) theApp.SetLaunchFile(*photo);
    theApp.InitInstance();
    return theApp.ExitInstance();
}

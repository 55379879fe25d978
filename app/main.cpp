// The program: creates the QApplication, runs the application object's
// start-up (which runs the main window until it closes) and its shutdown.
// `theApp` itself was constructed during static initialisation.
#include <memory>
#include <optional>
#include <string>

#include <QApplication>

#include "app/CorvaneLoaderApp.h"
#include "mainwnd/MainDlg.h"
#include "platform/TextConvert.h"

namespace {

// The photo named on the command line, opened once the window is up (as a
// file manager's "open with" does). Options the program does not know are
// skipped; after "--" every argument is a file name, so a photo called
// "-1.jpg" can be opened too. The name is taken byte for byte (Qt's own list
// of arguments would replace bytes that are not UTF-8).
std::optional<std::wstring> LaunchFileFromArguments(int argc, char** argv)
{
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.front() == '-') continue;
        return FileNameToWide(arg);
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(CORVANE_DESKTOP_FILE));
    theApp.SetMainWindowFactory([] { return std::make_unique<CMainDlg>(); });
    // QApplication has taken its own options out of argc and argv.
    if (const auto photo = LaunchFileFromArguments(argc, argv)) theApp.SetLaunchFile(*photo);
    theApp.InitInstance();
    return theApp.ExitInstance();
}

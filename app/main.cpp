// The program: creates the QApplication, runs the application object's
// start-up (which runs the main window until it closes) and its shutdown.
// `theApp` itself was constructed during static initialisation.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include <QApplication>

#include "CorvaneVersion.h"
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

// "--version" or "--help" before any "--": answered on the terminal before
// Qt starts, so they need no display. Returns the exit status, or nothing
// when the window is to open.
std::optional<int> AnswerInformationOption(int argc, char** argv)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", CORVANE_APP_NAME, CORVANE_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [PHOTO]\n"
                        "       %s --help | --version\n"
                        "Opens PHOTO (BMP, JPEG, PNG or TIFF) in the window; use -- before a name that starts\n"
                        "with '-'. The texts are German when LC_ALL, LC_MESSAGES or LANG names German.\n",
                        CORVANE_DESKTOP_FILE, CORVANE_DESKTOP_FILE);
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto status = AnswerInformationOption(argc, argv)) return *status;
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(CORVANE_DESKTOP_FILE));
    theApp.SetMainWindowFactory([] { return std::make_unique<CMainDlg>(); });
    // QApplication has taken its own options out of argc and argv.
    if (const auto photo = LaunchFileFromArguments(argc, argv)) theApp.SetLaunchFile(*photo);
    theApp.InitInstance();
    return theApp.ExitInstance();
}

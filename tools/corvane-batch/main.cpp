// corvane-batch: removes dust spots from photos and turns or mirrors them
// without the window, through the same application object, operations and
// worker thread as the program. See BatchArguments.h for the command line.
#include <cstdio>

#include <QApplication>

#include "BatchArguments.h"
#include "CorvaneVersion.h"
#include "BatchRunner.h"
#include "app/CorvaneLoaderApp.h"
#include "app/HeadlessMainWindow.h"
#include "platform/TextConvert.h"

namespace {

// Qt's own notices (a missing runtime folder and the like) mean nothing to
// someone repairing photos; only its serious messages reach the terminal.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(&QuietQtMessages);
    // No screen is needed: the window of the program is never shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    std::string error;
    // The application object made the executable's folder the current one
    // before main; relative paths mean the folder the user started in.
    const auto args = CorvaneBatch::ParseArguments(std::vector<std::string>(argv + 1, argv + argc),
                                                   theApp.m_strLaunchFolder, error);
    if (!args) {
        std::fprintf(stderr, "corvane-batch: %s\nTry 'corvane-batch --help' for the usage.\n", error.c_str());
        return 2;
    }
    if (args->command == CorvaneBatch::Command::Help) {
        std::fputs(CorvaneBatch::UsageText(), stdout);
        return 0;
    }
    if (args->command == CorvaneBatch::Command::Version) {
        std::printf("corvane-batch %s\n", CORVANE_VERSION);
        return 0;
    }

    theApp.InitServices(CCorvaneLoaderApp::InstanceCheck::Shared);
    CHeadlessMainWindow window;
    theApp.SetMainWindow(&window);
    theApp.SetMessageBoxHook([](const std::wstring& text, UINT) {
        std::fprintf(stderr, "corvane-batch: %s\n", WideToUtf8(ReadableFileName(text)).c_str());
        return IDOK;
    });
    theApp.SetAppState(CCorvaneLoaderApp::APPSTATE_IDLE);

    const int status = args->command == CorvaneBatch::Command::Info ? CorvaneBatch::PrintInfo(*args->infoFile)
                                                                    : CorvaneBatch::RunBatch(*args);

    theApp.ExitInstance();
    theApp.SetMainWindow(nullptr);
    return status;
}

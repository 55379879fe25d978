// GoogleTest main shared by every test program: a QApplication exists for the
// whole run so widgets, the clipboard and Qt's image I/O work in any test,
// and the run has a temporary folder of its own that no test may leave
// anything in (the program fails, naming the test, when one does).
#include <cstdio>
#include <filesystem>
#include <optional>

#include <QApplication>

#include <gtest/gtest.h>

#include "support/TestTempArea.h"

int main(int argc, char** argv)
{
    // A test program that a test starts again (a death test, a child that
    // is killed on purpose) works in the area of the one that started it.
    std::optional<CorvaneTest::TestTempArea> temp;
    if (!CorvaneTest::TestTempArea::IsInherited()) temp.emplace(std::filesystem::path(argv[0]).filename().string());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int status = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        CorvaneTest::LeftoverWatch* watch = nullptr;
        if (temp) {
            watch = new CorvaneTest::LeftoverWatch(temp->Path());
            ::testing::UnitTest::GetInstance()->listeners().Append(watch);  // owned by the listeners
        }
        status = RUN_ALL_TESTS();
        if (watch && !watch->Leftovers().empty()) {
            for (const std::string& leftover : watch->Leftovers())
                std::fprintf(stderr, "left in the temporary folder by %s\n", leftover.c_str());
            status = 1;
        }
    }
    return status;
}

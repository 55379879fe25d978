// The tool tests read back the log lines the tools write: the log is opened
// once for the test program, in a folder of its own.
#include <optional>

#include <gtest/gtest.h>

#include "Tracewell/Log.h"
#include "support/PrivateLogFolder.h"

namespace {

class ToolLogEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_folder.emplace("test_imagewindow");
        InitLog();
    }
    void TearDown() override
    {
        UninitLog();
        m_folder.reset();
    }

private:
    std::optional<CorvaneTest::PrivateLogFolder> m_folder;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ToolLogEnvironment);

} // namespace

#include "support/PrivateLogFolder.h"

#include <cstdlib>
#include <system_error>

#include <unistd.h>

#include <QDir>

#include <gtest/gtest.h>

namespace CorvaneTest {

PrivateLogFolder::PrivateLogFolder(const std::string& program)
{
    const char* base = std::getenv("CORVANE_LOG_DIR");
    m_folder = std::filesystem::path(base && *base ? base : QDir::tempPath().toStdString()) /
               (program + "-" + std::to_string(getpid()));
    m_variable.emplace("CORVANE_LOG_DIR", m_folder.c_str());
}

PrivateLogFolder::~PrivateLogFolder()
{
    m_variable.reset();
    // Only a clean run's log goes; what is left of it is not worth an error.
    std::error_code ignored;
    if (::testing::UnitTest::GetInstance()->Passed()) std::filesystem::remove_all(m_folder, ignored);
}

} // namespace CorvaneTest

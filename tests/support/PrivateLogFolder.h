#pragma once
// A log folder of the test program's own, so that lines other test programs
// write into the shared test log at the same time never mix into the lines a
// test reads back.

#include <filesystem>
#include <optional>
#include <string>

#include "support/ScopedEnv.h"

namespace CorvaneTest {

/// Points CORVANE_LOG_DIR at "<program>-<process id>" inside the folder it
/// named before (the system's temporary folder when it named none) for the
/// life of the object; processes started meanwhile inherit it. Make it before
/// anything logs: the log opens its file where the variable points then.
/// When destroyed it gives the variable back its previous value and removes
/// the folder if every test of the program has passed (a failed run keeps
/// its log). Test program's main thread only.
class PrivateLogFolder {
public:
    explicit PrivateLogFolder(const std::string& program);
    ~PrivateLogFolder();
    PrivateLogFolder(const PrivateLogFolder&) = delete;
    PrivateLogFolder& operator=(const PrivateLogFolder&) = delete;

    const std::filesystem::path& Folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
    std::optional<ScopedEnv> m_variable;
};

} // namespace CorvaneTest

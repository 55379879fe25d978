#include "LogTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace TracewellTest {

ScopedLogFolder::ScopedLogFolder()
{
    if (const char* inherited = std::getenv("TW_CHILD_LOG_DIR")) {
        m_folder = inherited;
    } else {
        m_owned = std::make_unique<CorvaneTest::TempFolder>();
        m_folder = m_owned->Path();
    }
    m_logDir.emplace("CORVANE_LOG_DIR", m_folder.c_str());
}

ScopedLogFolder::~ScopedLogFolder()
{
    // CORVANE_LOG_DIR returns to its previous value and an owned folder is
    // removed as the members go.
    unsetenv("TW_CHILD_LOG_DIR");
}

void ScopedLogFolder::ShareWithChildren() const
{
    setenv("TW_CHILD_LOG_DIR", m_folder.c_str(), 1);
}

std::vector<std::string> ReadLines(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<unterminated>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace TracewellTest

#include "LogTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace TracewellTest {

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name)
{
    if (const char* previous = std::getenv(name)) {
        m_hadPrevious = true;
        m_previous = previous;
    }
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_hadPrevious)
        setenv(m_name.c_str(), m_previous.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

ScopedLogFolder::ScopedLogFolder()
{
    if (const char* inherited = std::getenv("TW_CHILD_LOG_DIR")) {
        m_folder = inherited;
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "tracewell-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) m_folder = pattern;
        m_owned = true;
    }
    if (const char* previous = std::getenv("CORVANE_LOG_DIR")) {
        m_hadPrevious = true;
        m_previous = previous;
    }
    setenv("CORVANE_LOG_DIR", m_folder.c_str(), 1);
}

ScopedLogFolder::~ScopedLogFolder()
{
    if (m_hadPrevious)
        setenv("CORVANE_LOG_DIR", m_previous.c_str(), 1);
    else
        unsetenv("CORVANE_LOG_DIR");
    unsetenv("TW_CHILD_LOG_DIR");
    std::error_code ec;
    if (m_owned) std::filesystem::remove_all(m_folder, ec);
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

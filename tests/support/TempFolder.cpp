#include "support/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

#include "platform/TextConvert.h"

namespace fs = std::filesystem;

namespace CorvaneTest {

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "corvane-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    // A folder left behind is harmless; a throwing destructor is not.
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

fs::path TempFolder::File(const std::string& name) const
{
    return m_path / fs::u8path(name);
}

std::wstring TempFolder::Wide(const std::string& name) const
{
    return Utf8ToWide(File(name).string());
}

std::vector<std::string> TempFolder::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace CorvaneTest

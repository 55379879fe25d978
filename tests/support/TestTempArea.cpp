#include "support/TestTempArea.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace CorvaneTest {

namespace {
constexpr const char* kMarker = "CORVANE_TEST_TEMP_AREA";
} // namespace

TestTempArea::TestTempArea(const std::string& program)
{
    const char* base = std::getenv("TMPDIR");
    const fs::path parent = base && *base ? fs::path(base) : fs::path("/tmp");
    fs::create_directories(parent);
    std::string pattern = (parent / ("corvane-" + program + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make the test program's temporary folder");
    m_path = pattern;
    m_tmpdir.emplace("TMPDIR", m_path.c_str());
    m_marker.emplace(kMarker, m_path.c_str());
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return;
    // Qt would otherwise make "runtime-<user>" in the temporary folder and
    // leave it there; it wants the folder private.
    const fs::path own = m_path / "xdg-runtime";
    fs::create_directory(own);
    fs::permissions(own, fs::perms::owner_all);
    m_runtime.emplace("XDG_RUNTIME_DIR", own.c_str());
}

bool TestTempArea::IsInherited()
{
    const char* area = std::getenv(kMarker);
    return area && *area;
}

TestTempArea::~TestTempArea()
{
    m_marker.reset();
    m_runtime.reset();
    m_tmpdir.reset();
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::set<std::string> LeftoverWatch::Entries() const
{
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end; it.increment(error))
        names.insert(it->path().filename().string());
    return names;
}

void LeftoverWatch::OnTestStart(const ::testing::TestInfo&) { m_before = Entries(); }

void LeftoverWatch::OnTestEnd(const ::testing::TestInfo& test)
{
    for (const std::string& name : Entries())
        if (!m_before.count(name))
            m_leftovers.push_back(std::string(test.test_suite_name()) + "." + test.name() + ": " + name);
}

} // namespace CorvaneTest

#pragma once
// Folders for test files: a fresh temporary folder removed with everything
// in it at the end of its scope, also when the test fails.

#include <filesystem>
#include <string>
#include <vector>

namespace CorvaneTest {

/// A fresh, empty folder under the system's temporary folder (TMPDIR),
/// removed with its contents when the object goes out of scope. Throws
/// std::runtime_error when no folder can be made.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    /// The path of `name` (UTF-8, may hold sub-folders) inside the folder.
    std::filesystem::path File(const std::string& name) const;
    /// Wide form of File(name), as the program's file functions take paths.
    std::wstring Wide(const std::string& name) const;
    /// The folder's wide path with a trailing separator.
    std::wstring WideFolder() const { return Wide(""); }
    /// Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path m_path;
};

} // namespace CorvaneTest

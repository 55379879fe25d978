#pragma once
// A fresh folder for one test under the system's temporary folder, removed
// with everything in it when the object goes out of scope.

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

#include "platform/Registry.h"

class ScratchFolder {
public:
    ScratchFolder()
    {
        static std::atomic<int> counter{0};
        m_path = std::filesystem::temp_directory_path() /
                 ("corvane-pf-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Points the registry folders (user and machine) at a scratch folder for the
// life of the object and restores the previous environment afterwards.
class ScopedRegistryFolders {
public:
    ScopedRegistryFolders() : m_config(Get("CORVANE_CONFIG_DIR")), m_machine(Get("CORVANE_MACHINE_DIR"))
    {
        setenv("CORVANE_CONFIG_DIR", (m_folder / "config").c_str(), 1);
        setenv("CORVANE_MACHINE_DIR", (m_folder / "machine").c_str(), 1);
        Reopen();
    }
    ~ScopedRegistryFolders()
    {
        Restore("CORVANE_CONFIG_DIR", m_config);
        Restore("CORVANE_MACHINE_DIR", m_machine);
        Reopen();
    }
    ScopedRegistryFolders(const ScopedRegistryFolders&) = delete;
    ScopedRegistryFolders& operator=(const ScopedRegistryFolders&) = delete;

    std::filesystem::path UserHive() const { return m_folder / "config" / "HKEY_CURRENT_USER.sqlite"; }
    std::filesystem::path MachineHive() const { return m_folder / "machine" / "HKEY_LOCAL_MACHINE.sqlite"; }
    const ScratchFolder& Folder() const { return m_folder; }

private:
    static std::string Get(const char* name)
    {
        const char* v = getenv(name);
        return v ? v : std::string("\x01unset");
    }
    static void Restore(const char* name, const std::string& value)
    {
        if (value == "\x01unset") unsetenv(name);
        else setenv(name, value.c_str(), 1);
    }
    static void Reopen() { RegCloseHives(); }

    ScratchFolder m_folder;
    std::string m_config;
    std::string m_machine;
};

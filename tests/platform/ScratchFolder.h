#pragma once
// Scratch folders of the platform tests and registry folders pointed into one.

#include <filesystem>

#include "platform/Registry.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

/// A fresh folder for one test under the system's temporary folder, removed
/// with everything in it when the object goes out of scope.
using ScratchFolder = CorvaneTest::TempFolder;

// Points the registry folders (user and machine) at a scratch folder for the
// life of the object and restores the previous environment afterwards.
// The hives are closed on the way in and out, so the next registry call
// opens the hives of the folders then in force.
class ScopedRegistryFolders {
public:
    ScopedRegistryFolders() { RegCloseHives(); }
    ~ScopedRegistryFolders() { RegCloseHives(); }
    ScopedRegistryFolders(const ScopedRegistryFolders&) = delete;
    ScopedRegistryFolders& operator=(const ScopedRegistryFolders&) = delete;

    std::filesystem::path UserHive() const { return m_folder.File("config") / "HKEY_CURRENT_USER.sqlite"; }
    std::filesystem::path MachineHive() const { return m_folder.File("machine") / "HKEY_LOCAL_MACHINE.sqlite"; }
    const ScratchFolder& Folder() const { return m_folder; }

private:
    ScratchFolder m_folder;
    CorvaneTest::ScopedEnv m_config{"CORVANE_CONFIG_DIR", m_folder.File("config").c_str()};
    CorvaneTest::ScopedEnv m_machine{"CORVANE_MACHINE_DIR", m_folder.File("machine").c_str()};
};

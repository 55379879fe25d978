#pragma once
// Where the program and its data live on this machine. Every folder is
// returned as an absolute wide path ending in '/', ready for a file name to
// be appended. Environment variables let tests and packagers move each one:
//
//   folder          variable              default
//   temporary       TMPDIR                /tmp/
//   runtime         CORVANE_RUNTIME_DIR   $XDG_RUNTIME_DIR/, else the temporary folder
//   configuration   CORVANE_CONFIG_DIR    $XDG_CONFIG_HOME/CorvaneLoader/, else ~/.config/CorvaneLoader/
//   machine         CORVANE_MACHINE_DIR   /var/lib/CorvaneLoader/ when it is (or can be made)
//                                         writable, else the configuration folder
//   shared data     CORVANE_SHARED_DIR    the machine folder + "Shared/"
//
// Only the runtime, configuration, machine and shared folders belong to the
// program; these functions create nothing (the services that write there
// create what they need). None of them touches Qt, so they are safe during
// static initialisation. Any thread.

#include <string>

/// Full path of the running executable (from /proc/self/exe); empty when the
/// system does not tell it.
std::wstring GetModuleFilePath();

/// The system's temporary folder: TMPDIR when set, else /tmp/ (the same
/// folder QDir::tempPath names).
std::wstring GetTempFolder();

/// The user's runtime folder, for lock files that must vanish with the session.
std::wstring GetRuntimeFolder();

/// The user's configuration folder (holds the user's registry hive).
std::wstring GetConfigFolder();

/// The machine-wide data folder (holds the machine registry hives). When
/// /var/lib/CorvaneLoader cannot be written by this user (the usual case for
/// anyone but the administrator), the configuration folder stands in, so
/// machine keys then belong to the user; the hive files keep distinct names.
std::wstring GetMachineFolder();

/// The folder of data shared by all users of the machine (the counterpart
/// of the common documents folder).
std::wstring GetSharedDataFolder();

#pragma once
// The registry, with the Win32 API shape: predefined root keys, HKEY handles,
// typed values, backslash-separated key paths and ERROR_... result codes.
//
// On Windows these are the system's own functions. Elsewhere each root key is
// a hive of its own, an SQLite database (see RegistryHive.h):
//
//   root                  hive file
//   HKEY_CURRENT_USER     <configuration folder>/HKEY_CURRENT_USER.sqlite
//   HKEY_LOCAL_MACHINE    <machine folder>/HKEY_LOCAL_MACHINE.sqlite
//   HKEY_CLASSES_ROOT     <machine folder>/HKEY_CLASSES_ROOT.sqlite
//   HKEY_USERS            <machine folder>/HKEY_USERS.sqlite
//   HKEY_CURRENT_CONFIG   <machine folder>/HKEY_CURRENT_CONFIG.sqlite
//
// with the folders of SystemFolders.h (CORVANE_CONFIG_DIR and
// CORVANE_MACHINE_DIR move them). A hive is opened on first use, checked, and
// set aside and replaced by a fresh one when it is damaged (the error
// reporter below is told).
//
// Behaviour shared with the system's registry:
// - Key and value names compare without regard to case, for all of Unicode;
//   a name keeps the spelling it was created with. Key names hold no
//   backslash and at most 255 characters; value names at most 16383.
// - Values keep their type (REG_DWORD, REG_QWORD, REG_SZ, REG_BINARY,
//   REG_NONE, ...) and their bytes exactly. String values are stored in
//   UTF-16LE as on Windows, so their sizes are 2 bytes per character: use
//   RegStringToData / RegDataToString to convert.
// - Every call is atomic and durable once it returns ERROR_SUCCESS, also
//   against other processes writing the same hive and against a crash of
//   this process. Calls are safe from any thread.
// - A handle of a key deleted elsewhere answers ERROR_KEY_DELETED.
// - Handles check the basic access rights they were opened with:
//   KEY_QUERY_VALUE (query and enumerate values, key information),
//   KEY_SET_VALUE (set and delete values), KEY_CREATE_SUB_KEY (create a new
//   subkey below it), KEY_ENUMERATE_SUB_KEYS (enumerate subkeys, delete a
//   tree). Root keys have all rights.
// - Not kept: key classes, security and volatility (accepted and ignored).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/WinError.h"
#include "platform/WinTypes.h"

#ifdef _WIN32
#include <windows.h>
#else

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
using LPCBYTE = const BYTE*;

/// Time as 100-nanosecond steps since 1601-01-01 (UTC), split in two halves.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
using PFILETIME = FILETIME*;

/// Accepted for the Win32 signature; the registry keeps no security.
struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    void* lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

namespace RegistryDetail {
inline HKEY PredefinedKey(std::uint32_t value)
{
    // Sign-extended as on 64-bit Windows.
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
} // namespace RegistryDetail

inline const HKEY HKEY_CLASSES_ROOT = RegistryDetail::PredefinedKey(0x80000000u);
inline const HKEY HKEY_CURRENT_USER = RegistryDetail::PredefinedKey(0x80000001u);
inline const HKEY HKEY_LOCAL_MACHINE = RegistryDetail::PredefinedKey(0x80000002u);
inline const HKEY HKEY_USERS = RegistryDetail::PredefinedKey(0x80000003u);
inline const HKEY HKEY_CURRENT_CONFIG = RegistryDetail::PredefinedKey(0x80000005u);

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;
constexpr DWORD REG_QWORD_LITTLE_ENDIAN = 11;

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_EXECUTE = 0x20019;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Options of RegCreateKeyEx and its dispositions.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0x0;
constexpr DWORD REG_OPTION_VOLATILE = 0x1;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

/// Opens (creating as needed, with every missing key on the way) the key
/// `lpSubKey` below `hKey` and returns a new handle in `*phkResult`; an empty
/// `lpSubKey` gives a new handle to `hKey` itself. `*lpdwDisposition` (when
/// not null) tells REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
/// ERROR_BAD_PATHNAME for a path that begins with a backslash or holds an
/// empty component; ERROR_ACCESS_DENIED when a key must be created through a
/// handle without KEY_CREATE_SUB_KEY.
LONG RegCreateKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                    REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                    LPDWORD lpdwDisposition);

/// Opens the existing key `lpSubKey` (null or empty: `hKey` itself) below
/// `hKey` with the rights `samDesired`. ERROR_FILE_NOT_FOUND when any key
/// of the path is missing.
LONG RegOpenKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);

/// Closes a handle. ERROR_INVALID_HANDLE for one that is not open; a root
/// key closes without effect.
LONG RegCloseKey(HKEY hKey);

/// Reads the value `lpValueName` (null or empty: the key's default value).
/// `*lpType` receives its type. With `lpData` null, `*lpcbData` receives its
/// size in bytes; with `lpData`, `*lpcbData` gives the buffer's size and
/// receives the value's: ERROR_MORE_DATA (nothing copied) when the buffer is
/// too small. ERROR_FILE_NOT_FOUND when there is no such value.
LONG RegQueryValueEx(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                     LPDWORD lpcbData);

/// Writes (creating or replacing) the value `lpValueName` with type `dwType`
/// and the `cbData` bytes at `lpData`. A replaced value keeps its spelling.
LONG RegSetValueEx(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                   DWORD cbData);

/// Removes the value `lpValueName`. ERROR_FILE_NOT_FOUND when absent.
LONG RegDeleteValue(HKEY hKey, LPCWSTR lpValueName);

/// Removes the key `lpSubKey` below `hKey` (empty: `hKey` itself) with its
/// values. ERROR_ACCESS_DENIED when it has subkeys or is a root key;
/// ERROR_FILE_NOT_FOUND when absent.
LONG RegDeleteKey(HKEY hKey, LPCWSTR lpSubKey);

/// Removes the key `lpSubKey` below `hKey` with every subkey and value below
/// it. With `lpSubKey` null, removes every subkey and value of `hKey` and
/// keeps `hKey` itself. ERROR_FILE_NOT_FOUND when the key is absent.
LONG RegDeleteTree(HKEY hKey, LPCWSTR lpSubKey);

/// The name of the subkey number `dwIndex` of `hKey` (subkeys in the order of
/// their case-folded names). `*lpcchName` gives the buffer's size in
/// characters including the terminating zero and receives the name's length
/// without it; ERROR_MORE_DATA (with the size needed, zero included, in
/// `*lpcchName`) when it does not fit. ERROR_NO_MORE_ITEMS past the last.
/// The class is always empty; `lpftLastWriteTime` may be null.
LONG RegEnumKeyEx(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPWSTR lpClass,
                  LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);

/// The value number `dwIndex` of `hKey` (values in the order they were first
/// written): name as in RegEnumKeyEx, type and data as in RegQueryValueEx.
/// ERROR_NO_MORE_ITEMS past the last.
LONG RegEnumValue(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                  LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

/// Counts and sizes of `hKey`: subkeys, longest subkey name (characters),
/// values, longest value name (characters), largest value (bytes), last
/// write time. Any pointer may be null; the class is empty, the security
/// descriptor size 0.
LONG RegQueryInfoKey(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                     LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                     LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                     PFILETIME lpftLastWriteTime);

/// Writes pending changes of `hKey` to disk. Every change is already
/// committed when its call returns, so this only checks the handle.
LONG RegFlushKey(HKEY hKey);

#endif // _WIN32

/// The bytes of a REG_SZ value for `text`: UTF-16LE with the terminating
/// zero, 2 × (length + 1) bytes for text in the Basic Multilingual Plane.
std::vector<BYTE> RegStringToData(const std::wstring& text);

/// The text of REG_SZ bytes: UTF-16LE up to the first zero character or the
/// end; an odd last byte is ignored and a lone surrogate becomes U+FFFD.
std::wstring RegDataToString(const BYTE* data, size_t size);

/// Receives the registry's own problems (a damaged hive set aside, a disk
/// error, a time-out waiting for another process): `function` names where
/// it happened ("CRegistryHive::Open"), `message` says what happened in one
/// line. May be called on any thread, with no registry lock held.
using RegistryErrorReporter = std::function<void(const std::wstring& function, const std::wstring& message)>;

/// Sets the reporter (an empty one restores the default, which writes the
/// line to standard error). The application points it at its log. Any thread.
void RegSetErrorReporter(RegistryErrorReporter reporter);

/// Closes every open hive and invalidates every open handle, so that the
/// next call opens the hives afresh from the folders the environment names
/// now. For tests, for a process that changed those folders, and before a
/// fork() whose child will use the registry (database connections cannot be
/// shared across fork).
void RegCloseHives();

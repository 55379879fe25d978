#pragma once
// A thin, logged layer over the registry: opening, creating and deleting keys
// and typed values. Every failure writes one line to the log (module
// "Carrow", functions "RegOperate::...") and is reported as a null key or
// FALSE; arguments a caller must never pass (null keys, null or empty names)
// raise CInvalidArgException instead.
//
// Key paths are backslash-separated and relative to a root key; names compare
// without regard to case. Handles returned here are closed with CloseKey.
// Any thread (the registry serialises its calls). Problems of the registry
// itself (a damaged hive set aside and replaced, a disk error) are written to
// the log as well, from the first call of this layer on.

#include "platform/Registry.h"
#include "platform/WinTypes.h"

namespace Carrow::RegistryIO {

/// The root of a registry path. Any other value names no key.
enum enumRootKey : int {
    ROOTKEY_CLASSES_ROOT = 0,
    ROOTKEY_CURRENT_CONFIG = 1,
    ROOTKEY_CURRENT_USER = 2,
    ROOTKEY_LOCAL_MACHINE = 3,
    ROOTKEY_USERS = 4,
};

/// The value types this layer reads and writes; -1 stands for any other
/// registry type.
enum enumValueType : int {
    VALUETYPE_DWORD = 0,  ///< REG_DWORD, 4 bytes little-endian
    VALUETYPE_STRING = 1, ///< REG_SZ (REG_EXPAND_SZ reads as this too), UTF-16LE with its terminating zero
    VALUETYPE_BINARY = 2, ///< REG_BINARY, any bytes
};

/// The predefined key of `root`; null for a value outside enumRootKey.
HKEY GetRootKeyHandle(enumRootKey root);

/// Sends the registry layer's own problems (a damaged hive set aside, a disk
/// error) to the log at level 1 with module "Carrow". Installed once; later
/// calls do nothing. InitCarrow calls it, so the application's profile values
/// report through the log too. Any thread.
void RouteRegistryProblemsToLog();

/// The registry type written for `type`: REG_DWORD, REG_SZ or REG_BINARY;
/// (DWORD)-1 for a value outside enumValueType.
DWORD GetDwordValueType(enumValueType type);

/// The enumValueType read from the registry type `regType`: REG_DWORD,
/// REG_SZ/REG_EXPAND_SZ and REG_BINARY map to their type, anything else to -1.
enumValueType GetValueType(DWORD regType);

/// Opens the existing key `path` below `root` for reading and writing
/// (KEY_READ | KEY_WRITE). Null on failure (logged with the system's code).
/// Throws CInvalidArgException for a null or empty `path`.
HKEY OpenKey(enumRootKey root, const wchar_t* path);

/// Opens or creates the key `name` below the existing key `path` of `root`:
/// an existing key is opened (logged as information), otherwise `name` is
/// created below `path` with full access. Null when `path` does not exist or
/// the creation fails (both logged). Throws CInvalidArgException for a null or
/// empty `path` or `name`.
HKEY CreateKey(enumRootKey root, const wchar_t* path, const wchar_t* name);

/// Closes a handle from OpenKey or CreateKey. FALSE (logged) when it was not
/// open. Throws CInvalidArgException for a null key.
BOOL CloseKey(HKEY key);

/// Deletes the key `path` below `root` with its values. TRUE when it was
/// deleted or did not exist; FALSE (logged) otherwise, for instance when it
/// still has subkeys. Throws CInvalidArgException for a null or empty `path`.
BOOL DeleteKey(enumRootKey root, const wchar_t* path);

/// Removes every subkey of `key` (with everything below them, at any depth)
/// and every value of `key`; the key itself stays. All or nothing: TRUE when
/// the key is empty afterwards, FALSE (logged, nothing removed) when the
/// registry refuses, for instance for a handle without the right to list
/// subkeys. Throws CInvalidArgException for a null key.
BOOL DeleteTree(HKEY key);

/// Writes the value `name` of `key` with `size` bytes at `data` (may be null
/// when `size` is 0). An existing value (logged as information) is only
/// overwritten when it has the same type, otherwise FALSE and it stays as it
/// was. A new value gets the registry type of `type`, or type 255 for a value
/// outside enumValueType. FALSE (logged) on failure. Throws
/// CInvalidArgException for a null key or name.
BOOL CreateValue(HKEY key, const wchar_t* name, enumValueType type, const BYTE* data, DWORD size);

/// Deletes the value `name` of `key`. TRUE when it was deleted or did not
/// exist; FALSE (logged) otherwise. Throws CInvalidArgException for a null
/// key or name.
BOOL DeleteValue(HKEY key, const wchar_t* name);

/// Reads the value `name` of `key`. With `data` null, stores the value's type
/// in `type` and its size in bytes in `size`. Otherwise the value must have
/// exactly the type `type` and the size `size`, and its bytes are copied to
/// `data`; `data` is untouched on any failure. FALSE (logged) when the value
/// is missing or does not match. Throws CInvalidArgException for a null key or
/// name.
BOOL GetValue(HKEY key, const wchar_t* name, enumValueType& type, BYTE* data, DWORD& size);

/// Overwrites the existing value `name` of `key`, which must have the type
/// `type`, with `size` bytes at `data`. FALSE (logged) when the value is
/// missing, of another type, or cannot be written. Throws
/// CInvalidArgException for a null key or name, or null data with a non-zero
/// size.
BOOL SetValue(HKEY key, const wchar_t* name, enumValueType type, const BYTE* data, DWORD size);

} // namespace Carrow::RegistryIO

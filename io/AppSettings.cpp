#include "io/AppSettings.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "Tracewell/Log.h"
#include "io/AtomicFileWriter.h"
#include "io/ByteOrder.h"
#include "io/Carrow.h"
#include "io/FileReader.h"
#include "io/RegistryIO.h"
#include "platform/InvalidArgException.h"
#include "platform/Registry.h"
#include "platform/RegistryBatch.h"
#include "platform/SystemFolders.h"
#include "platform/TextConvert.h"

namespace Carrow::RegistryIO {

namespace {

using Item = CAppSettings::Item;

const wchar_t kModule[] = L"Carrow";
const wchar_t kLoad[] = L"CAppSettings::Load";
const wchar_t kSave[] = L"CAppSettings::Save";
constexpr size_t kTypeSize = 4;

std::wstring ErrorText(int error)
{
    return Utf8ToWide(std::system_category().message(error));
}

void LogInvalidType(const wchar_t* function, const Item& item)
{
    WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Invalid Item-Type: %d", static_cast<int>(item.dwType));
}

// Closes an item's key; a failure is logged by CloseKey and once more here.
void CloseItemKey(HKEY key, const wchar_t* function)
{
    if (!CloseKey(key))
        WriteLog(LOG_LEVEL_INFO, kModule, function, L"Failed to call RegOperate::CloseKey");
}

// ---- registry items ----

// The bytes of a text or block value, read with its exact type and size.
std::optional<std::vector<BYTE>> ReadSizedValue(HKEY key, const Item& item, enumValueType expected)
{
    enumValueType type = expected;
    DWORD size = 0;
    if (!GetValue(key, item.strName.c_str(), type, nullptr, size)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kLoad,
                 L"Failed to call RegOperate::GetValue to obtain value size with name '%s'", item.strName.c_str());
        return std::nullopt;
    }
    // Read with the expected type, not the one the query found: a value of
    // another type must be refused, not taken for a text or a block.
    std::vector<BYTE> bytes(size);
    BYTE none = 0;
    type = expected;
    if (!GetValue(key, item.strName.c_str(), type, size ? bytes.data() : &none, size)) return std::nullopt;
    return bytes;
}

// Reads one registry item's value; false when it could not (already logged
// by the registry layer, the caller adds the item's line).
bool ReadUserValue(HKEY key, Item& item)
{
    if (item.dwType == CAppSettings::ITEMTYPE_DWORD) {
        enumValueType type = VALUETYPE_DWORD;
        DWORD size = 4;
        BYTE bytes[4] = {};
        if (!GetValue(key, item.strName.c_str(), type, bytes, size)) return false;
        item.dwValue = FileIO::ReadLE32(bytes);
        return true;
    }
    const bool text = item.dwType == CAppSettings::ITEMTYPE_STRING;
    auto bytes = ReadSizedValue(key, item, text ? VALUETYPE_STRING : VALUETYPE_BINARY);
    if (!bytes) return false;
    if (text) item.strValue = RegDataToString(bytes->data(), bytes->size());
    else item.vecValue = std::move(*bytes);
    return true;
}

void LoadUserItem(const std::wstring& keyPath, Item& item)
{
    HKEY key = OpenKey(ROOTKEY_CURRENT_USER, keyPath.c_str());
    if (!key) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kLoad, L"Failed to call RegOperate::OpenKey");
        return;
    }
    if (item.dwType < CAppSettings::ITEMTYPE_DWORD || item.dwType > CAppSettings::ITEMTYPE_BINARY)
        LogInvalidType(kLoad, item);
    else if (!ReadUserValue(key, item))
        WriteLog(LOG_LEVEL_ERROR, kModule, kLoad, L"Failed to call RegOperate::GetValue with name '%s'",
                 item.strName.c_str());
    CloseItemKey(key, kLoad);
}

bool WriteUserValue(HKEY key, const Item& item)
{
    const wchar_t* name = item.strName.c_str();
    if (item.dwType == CAppSettings::ITEMTYPE_DWORD) {
        BYTE bytes[4];
        FileIO::WriteLE32(bytes, item.dwValue);
        return CreateValue(key, name, VALUETYPE_DWORD, bytes, 4);
    }
    if (item.dwType == CAppSettings::ITEMTYPE_STRING) {
        const std::vector<BYTE> bytes = RegStringToData(item.strValue);
        return CreateValue(key, name, VALUETYPE_STRING, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    const BYTE* data = item.vecValue.empty() ? nullptr : item.vecValue.data();
    return CreateValue(key, name, VALUETYPE_BINARY, data, static_cast<DWORD>(item.vecValue.size()));
}

// Writes one registry item. The first item that reaches the key opens
// `batch`, so that every registry item of this Save is stored in one step.
void SaveUserItem(const std::wstring& keyPath, const Item& item, std::optional<CRegistryBatch>& batch)
{
    HKEY key = OpenKey(ROOTKEY_CURRENT_USER, keyPath.c_str());
    if (!key) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kSave, L"Failed to call RegOperate::OpenKey");
        return;
    }
    if (!batch) batch.emplace(key);
    if (item.dwType < CAppSettings::ITEMTYPE_DWORD || item.dwType > CAppSettings::ITEMTYPE_BINARY)
        LogInvalidType(kSave, item);
    else if (!WriteUserValue(key, item))
        WriteLog(LOG_LEVEL_ERROR, kModule, kSave, L"Failed to call RegOperate::CreateValue with name '%s'",
                 item.strName.c_str());
    CloseItemKey(key, kSave);
}

// ---- shared items ----

// The whole content of a shared file: the type, then the value.
std::vector<BYTE> SharedFileBytes(const Item& item)
{
    std::vector<BYTE> bytes(kTypeSize);
    FileIO::WriteLE32(bytes.data(), item.dwType);
    if (item.dwType == CAppSettings::ITEMTYPE_DWORD) {
        bytes.resize(kTypeSize + 4);
        FileIO::WriteLE32(bytes.data() + kTypeSize, item.dwValue);
    } else if (item.dwType == CAppSettings::ITEMTYPE_STRING) {
        const std::vector<BYTE> text = RegStringToData(item.strValue);
        bytes.insert(bytes.end(), text.begin(), text.end());
    } else {
        bytes.insert(bytes.end(), item.vecValue.begin(), item.vecValue.end());
    }
    return bytes;
}

void SaveSharedFile(const std::wstring& path, const Item& item)
{
    if (item.dwType < CAppSettings::ITEMTYPE_DWORD || item.dwType > CAppSettings::ITEMTYPE_BINARY) {
        LogInvalidType(kSave, item);
        return;
    }
    // The new content goes to a temporary file renamed over the old one, so a
    // crash or a full disk never leaves a half-written value behind.
    FileIO::AtomicFileWriter file(WideToUtf8(path));
    if (!file.Open()) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kSave, L"Failed to call open file '%s', ErrorInfo: %s", path.c_str(),
                 ErrorText(file.LastError()).c_str());
        return;
    }
    const std::vector<BYTE> bytes = SharedFileBytes(item);
    if (!file.Write(bytes.data(), bytes.size()) || !file.Commit())
        WriteLog(LOG_LEVEL_ERROR, kModule, kSave, L"Failed to write to file '%s', ErrorInfo: %s", path.c_str(),
                 ErrorText(file.LastError()).c_str());
}

// Takes the value of a shared file whose type matched; false for a short file.
bool TakeSharedValue(const FileIO::FileReader& file, Item& item)
{
    const auto rest = static_cast<size_t>(file.Size() - kTypeSize);
    if (item.dwType == CAppSettings::ITEMTYPE_DWORD) {
        BYTE bytes[4];
        if (!file.ReadExactAt(kTypeSize, bytes, 4)) return false;
        item.dwValue = FileIO::ReadLE32(bytes);
        return true;
    }
    std::vector<BYTE> bytes(rest);
    if (!file.ReadExactAt(kTypeSize, bytes.data(), rest)) return false;
    if (item.dwType == CAppSettings::ITEMTYPE_STRING) item.strValue = RegDataToString(bytes.data(), rest);
    else item.vecValue = std::move(bytes);
    return true;
}

void LoadSharedFile(const std::wstring& path, Item& item)
{
    FileIO::FileReader file;
    errno = 0;
    if (!file.Open(WideToUtf8(path))) {
        const std::wstring why = errno ? ErrorText(errno) : std::wstring(L"Not a regular file");
        WriteLog(LOG_LEVEL_ERROR, kModule, kLoad, L"Failed to call open file '%s', ErrorInfo: %s", path.c_str(),
                 why.c_str());
        return;
    }
    // Save stores an emptied byte block as its type alone, so four bytes are
    // a whole file for a block and too short for anything else.
    const bool emptyBlock = file.Size() == kTypeSize && item.dwType == CAppSettings::ITEMTYPE_BINARY;
    if (file.Size() < kTypeSize || (file.Size() == kTypeSize && !emptyBlock)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kLoad, L"Invalid file length of file '%s'.", path.c_str());
        return;
    }
    BYTE typeBytes[kTypeSize];
    const bool typeRead = file.ReadExactAt(0, typeBytes, kTypeSize);
    const DWORD type = FileIO::ReadLE32(typeBytes);
    if (typeRead && type != item.dwType) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kLoad, L"Invalid value-type %d with name '%s'", static_cast<int>(type),
                 item.strName.c_str());
        return;
    }
    if (typeRead && (type < CAppSettings::ITEMTYPE_DWORD || type > CAppSettings::ITEMTYPE_BINARY)) {
        LogInvalidType(kLoad, item);
        return;
    }
    if (!typeRead || !TakeSharedValue(file, item))
        WriteLog(LOG_LEVEL_ERROR, kModule, kLoad, L"Failed to call fValue.Read with name '%s'", item.strName.c_str());
}

} // namespace

CAppSettings::CAppSettings(const wchar_t* company, const wchar_t* product)
{
    if (!company || !*company || !product || !*product) AfxThrowInvalidArgException();
    m_strCompany = company;
    m_strProduct = product;
    InitCarrow();
}

int CAppSettings::AddItems(const Item::ITEM_DESC* items, UINT count)
{
    if (!items || count == 0) return -1;
    int added = 0;
    for (UINT i = 0; i < count; ++i) {
        const Item::ITEM_DESC& desc = items[i];
        if (desc.dwType == ITEMTYPE_NONE || desc.strName.empty() || m_mapItems.count(desc.strName)) continue;
        Item item;
        item.bUserItem = desc.bUserItem;
        item.strName = desc.strName;
        item.dwType = desc.dwType;
        m_mapItems.emplace(desc.strName, std::move(item));
        ++added;
    }
    return added;
}

void CAppSettings::Load()
{
    // Without the shared folder a shared item would be looked for in the
    // current folder; compute it, as Save does before writing.
    if (m_strNonUserFolder.empty() && HasSharedItems()) CreateNonUserFolder();
    const std::wstring keyPath = UserKeyPath();
    for (auto& [name, item] : m_mapItems) {
        if (item.bUserItem) LoadUserItem(keyPath, item);
        else LoadSharedFile(SharedFilePath(item), item);
    }
}

void CAppSettings::Save()
{
    const std::wstring keyPath = UserKeyPath();
    std::optional<CRegistryBatch> batch;
    for (const auto& [name, item] : m_mapItems) {
        if (item.bUserItem) {
            SaveUserItem(keyPath, item, batch);
            continue;
        }
        CreateNonUserFolder();
        SaveSharedFile(SharedFilePath(item), item);
    }
    if (!batch) return;
    if (const LONG rc = batch->Commit(); rc != ERROR_SUCCESS)
        WriteLog(LOG_LEVEL_ERROR, kModule, kSave, L"Failed to store the registry items! Error: %d",
                 static_cast<int>(rc));
}

void CAppSettings::Clear()
{
    m_mapItems.clear();
}

void* CAppSettings::GetItemValue(const wchar_t* name, DWORD* size)
{
    DWORD ignored = 0;
    DWORD& out = size ? *size : ignored;
    out = 0;
    if (!name || !*name) return nullptr;
    const auto it = m_mapItems.find(name);
    if (it == m_mapItems.end()) return nullptr;
    Item& item = it->second;
    switch (item.dwType) {
    case ITEMTYPE_NONE: return nullptr;
    case ITEMTYPE_DWORD: out = 4; return &item.dwValue;
    case ITEMTYPE_STRING: out = static_cast<DWORD>(item.strValue.size() + 1); return item.strValue.data();
    case ITEMTYPE_BINARY:
        if (item.vecValue.empty()) return nullptr;
        out = static_cast<DWORD>(item.vecValue.size());
        return item.vecValue.data();
    default: AfxThrowInvalidArgException();
    }
}

BOOL CAppSettings::SetItemValue(const wchar_t* name, DWORD value)
{
    Item* item = FindItem(name, ITEMTYPE_DWORD);
    if (!item) return FALSE;
    item->dwValue = value;
    return TRUE;
}

BOOL CAppSettings::SetItemValue(const wchar_t* name, const wchar_t* text)
{
    Item* item = text ? FindItem(name, ITEMTYPE_STRING) : nullptr;
    if (!item) return FALSE;
    item->strValue = text;
    return TRUE;
}

BOOL CAppSettings::SetItemValue(const wchar_t* name, const BYTE* data, DWORD size)
{
    Item* item = FindItem(name, ITEMTYPE_BINARY);
    if (!item) return FALSE;
    if (data && size) item->vecValue.assign(data, data + size);
    else item->vecValue.clear();
    return TRUE;
}

void CAppSettings::CreateNonUserFolder()
{
    const std::wstring common = GetSharedDataFolder();
    if (common.empty()) {
        WriteLog(LOG_LEVEL_ERROR, kModule, L"RegistryIO::CAppSettings::CreateNonUserFolder",
                 L"Failed to call SHGetFolderPath.");
        return;
    }
    // A failure to create is not reported here: opening a file in the folder
    // fails next and says why.
    std::error_code ec;
    std::filesystem::create_directories(WideToUtf8(common + m_strCompany + L"/" + m_strProduct), ec);
    m_strNonUserFolder = common + m_strCompany + L"/" + m_strProduct + L"/";
    WriteLog(LOG_LEVEL_INFO, kModule, L"RegistryIO::CAppSettings::CreateNonUserFolder",
             L"CSIDL_COMMON_DOCUMENTS: '%s'.", m_strNonUserFolder.c_str());
}

CAppSettings::Item* CAppSettings::FindItem(const wchar_t* name, DWORD type)
{
    if (!name || !*name) return nullptr;
    const auto it = m_mapItems.find(name);
    if (it == m_mapItems.end() || it->second.dwType != type) return nullptr;
    return &it->second;
}

std::wstring CAppSettings::UserKeyPath() const
{
    return L"software\\" + m_strCompany + L"\\" + m_strProduct;
}

std::wstring CAppSettings::SharedFilePath(const Item& item) const
{
    return m_strNonUserFolder + item.strName + L".val";
}

bool CAppSettings::HasSharedItems() const
{
    for (const auto& [name, item] : m_mapItems)
        if (!item.bUserItem) return true;
    return false;
}

} // namespace Carrow::RegistryIO

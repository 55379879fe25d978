#pragma once
// A typed settings store for one company and one product. The owner declares
// named items (a 32-bit number, a text or a byte block), reads them all with
// Load, changes them with SetItemValue and writes them all with Save.
//
// Where an item lives:
// - a user item: a value of the current user's registry key
//   "software\<company>\<product>" (REG_DWORD, REG_SZ or REG_BINARY). Save
//   never creates that key; whoever installs the product does (CreateKey).
//   The registry items of one Save are stored together or not at all.
// - a shared item (for all users of the machine): the file "<name>.val" in
//   the folder <shared-data folder>/<company>/<product>/, holding the item type
//   as a 32-bit little-endian number followed by the value (type 1: the
//   number, 4 bytes; type 2: the text in UTF-16LE with its terminating zero;
//   type 3: the bytes of the block). A file is replaced whole, never left
//   half-written.
//
// Failures of the registry or of a file are logged (module "Carrow") and the
// item keeps its value; Load and Save always go through every item and
// report nothing to the caller. Programming errors raise CInvalidArgException.
//
// Threads: one object is used by one thread at a time.

#include <map>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace Carrow::RegistryIO {

class CAppSettings {
public:
    /// Item types: how an item's value is held and stored.
    enum : DWORD {
        ITEMTYPE_NONE = 0,   ///< no value
        ITEMTYPE_DWORD = 1,  ///< a 32-bit unsigned number (dwValue)
        ITEMTYPE_STRING = 2, ///< a text (strValue)
        ITEMTYPE_BINARY = 3, ///< a byte block (vecValue)
    };

    /// One item; only the value field of its type is used.
    struct Item {
        /// The declaration of one item, as given to AddItems.
        struct ITEM_DESC {
            BOOL bUserItem;       ///< non-zero: lives in the registry; zero: in a shared file
            std::wstring strName; ///< the item's name, also its registry value name and file name
            DWORD dwType;         ///< item type (ITEMTYPE_...)
        };

        BOOL bUserItem{TRUE};
        std::wstring strName;
        DWORD dwType{ITEMTYPE_NONE};
        DWORD dwValue{0};
        std::wstring strValue;
        std::vector<BYTE> vecValue;
    };

    /// A store for `company` and `product`, with no items yet; starts the
    /// library (InitCarrow). Throws CInvalidArgException when either name is
    /// null or empty.
    CAppSettings(const wchar_t* company, const wchar_t* product);
    /// Copies the names, the shared folder and every item.
    CAppSettings(const CAppSettings& other) = default;
    CAppSettings& operator=(const CAppSettings& other) = default;
    virtual ~CAppSettings() = default;

    /// Declares `count` items from `items`, in order. A declaration of type 0,
    /// with an empty name or with a name already declared (names compare with
    /// case) is skipped. Each new item starts without a value (0, empty text,
    /// empty block). Returns the number of items added, or -1 for null
    /// `items` or a zero `count`.
    int AddItems(const Item::ITEM_DESC* items, UINT count);

    /// Reads every item from where it lives, in name order. An item that
    /// cannot be read (missing, of another type, damaged file) keeps its value.
    /// When CreateNonUserFolder has not run yet and there are shared items,
    /// runs it first (computing and creating the shared folder), so shared
    /// files are never looked for in the current folder.
    void Load();

    /// Writes every item to where it lives, in name order (creating the
    /// shared folder for shared items). An item that cannot be written is
    /// logged and skipped.
    void Save();

    /// Forgets every item (nothing is deleted from the registry or the disk).
    void Clear();

    /// The value of the item `name`, or null for a null, empty or unknown name
    /// or an item without a value. Type 1: the number, `*size` = 4. Type 2: the
    /// text with its terminating zero, `*size` = characters + 1. Type 3: the
    /// first byte of the block, `*size` = bytes (null and 0 for an empty block).
    /// `*size` is 0 whenever null is returned; `size` may be null. The pointer
    /// stays valid until the item's value is set again or the items are
    /// cleared. Throws CInvalidArgException for an item of an unknown type.
    void* GetItemValue(const wchar_t* name, DWORD* size);

    /// GetItemValue(name, nullptr).
    void* operator[](const wchar_t* name) { return GetItemValue(name, nullptr); }

    /// Sets the number of the type-1 item `name`. FALSE (and nothing changes)
    /// for an empty or unknown name or an item of another type.
    BOOL SetItemValue(const wchar_t* name, DWORD value);

    /// Sets the text of the type-2 item `name` to `text`. FALSE (and nothing
    /// changes) for a null text, an empty or unknown name or another type.
    BOOL SetItemValue(const wchar_t* name, const wchar_t* text);

    /// Sets the block of the type-3 item `name` to a copy of the `size` bytes
    /// at `data`, or empties it when `data` is null or `size` is 0. FALSE (and
    /// nothing changes) for an empty or unknown name or another type.
    BOOL SetItemValue(const wchar_t* name, const BYTE* data, DWORD size);

    /// Computes the folder of the shared items (<shared-data folder>/<company>/
    /// <product>/) and creates it with the folders above it.
    void CreateNonUserFolder();

protected:
    std::wstring m_strCompany;
    std::wstring m_strProduct;
    std::wstring m_strNonUserFolder; ///< folder of the shared files, ending in '/'; empty until CreateNonUserFolder
    std::map<std::wstring, Item> m_mapItems;

private:
    Item* FindItem(const wchar_t* name, DWORD type);
    std::wstring UserKeyPath() const;
    std::wstring SharedFilePath(const Item& item) const;
    bool HasSharedItems() const;
};

} // namespace Carrow::RegistryIO

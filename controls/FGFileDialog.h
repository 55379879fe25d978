#pragma once
// CFGFileDialog: the open and save file dialog with Windows-style filter
// strings: "Display (*.a;*.b)|*.a;*.b|Other (*.c)|*.c||" (display | patterns
// pairs, patterns joined by ';', closed by an extra '|'). The chosen filter is
// reported as a 1-based index into those pairs. The dialog shows in the
// skin's font and colours.
//
// Tests and tools can answer instead of the user: with a modal hook set,
// DoModal calls it with the prepared dialog; the hook reads what the dialog
// would offer and sets the answer with SetResult. User-interface thread only.

#include "platform/WinTypes.h"
#include "platform/WinUser.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

class CFGFileDialog {
public:
    /// One filter entry: display text and patterns ("*.jpg;*.jpeg").
    using Filter = std::pair<std::wstring, std::wstring>;

    /// An open (`openFileDialog` TRUE) or save dialog. `defExt`: extension
    /// added to a typed name without one (null or empty: none). `fileName`:
    /// the proposed file name or path. `flags`: OFN_* flags
    /// (OFN_FILEMUSTEXIST, OFN_OVERWRITEPROMPT ...). `filter`: the filter
    /// string (null: every file). `parent`: the owner window.
    CFGFileDialog(BOOL openFileDialog, LPCWSTR defExt = nullptr, LPCWSTR fileName = nullptr,
                  DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR filter = nullptr,
                  QWidget* parent = nullptr);

    /// Shows the dialog modally; IDOK when the user chose a file, IDCANCEL
    /// otherwise.
    INT_PTR DoModal();

    /// The chosen full path (after IDOK).
    std::wstring GetPathName() const { return m_strPath; }
    /// The chosen file name without its folder.
    std::wstring GetFileName() const;
    /// The chosen file's extension without the dot; empty when it has none.
    std::wstring GetFileExt() const;
    /// The 1-based index of the chosen filter (before DoModal: the preselected
    /// one, 1 by default).
    DWORD GetFilterIndex() const { return m_nFilterIndex; }
    /// Preselects filter `index` (1-based).
    void SetFilterIndex(DWORD index) { m_nFilterIndex = index; }
    /// The folder the dialog opens in (default: the current folder).
    void SetInitialFolder(LPCWSTR folder) { m_strFolder = folder ? folder : L""; }

    /// What the dialog was built with (for modal hooks in tests and tools):
    /// Open or Save, OFN_* flags, default extension, proposed file name and
    /// the filter entries.
    BOOL IsOpenDialog() const { return m_bOpen ? TRUE : FALSE; }
    DWORD GetFlags() const { return m_dwFlags; }
    std::wstring GetDefaultExt() const { return m_strDefExt; }
    std::wstring GetProposedFileName() const { return m_strFileName; }
    const std::vector<Filter>& GetFilters() const { return m_arrFilters; }

    /// Splits a filter string into its entries; an empty display text ends
    /// the list; a display text without patterns is dropped.
    static std::vector<Filter> ParseFilter(LPCWSTR filter);
    /// The name filter the dialog shows for an entry: the display text without
    /// a trailing "(...)", then the patterns in parentheses separated by blanks.
    static std::wstring ToNameFilter(const Filter& filter);

    /// Sets the answer as if the user chose `path` with filter `filterIndex`
    /// (1-based). For modal hooks.
    void SetResult(LPCWSTR path, DWORD filterIndex);

    /// Runs instead of the dialog in every DoModal while set; returns IDOK or
    /// IDCANCEL. An empty function removes it.
    using ModalHook = std::function<INT_PTR(CFGFileDialog& dialog)>;
    static void SetModalHook(ModalHook hook);

private:
    INT_PTR RunQtDialog();

    bool m_bOpen;
    std::wstring m_strDefExt;
    std::wstring m_strFileName;
    DWORD m_dwFlags;
    std::vector<Filter> m_arrFilters;
    QWidget* m_pParent;
    std::wstring m_strFolder;
    std::wstring m_strPath;
    DWORD m_nFilterIndex{1};
};

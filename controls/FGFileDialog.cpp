#include "controls/FGFileDialog.h"

#include "controls/FGResource.h"
#include "platform/ShownPath.h"
#include "platform/TextConvert.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

CFGFileDialog::ModalHook& HookSlot()
{
    static CFGFileDialog::ModalHook hook;
    return hook;
}

std::vector<std::wstring> SplitBars(const std::wstring& text)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t bar = text.find(L'|'); bar != std::wstring::npos; bar = text.find(L'|', start)) {
        parts.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::wstring TrimRight(std::wstring text)
{
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

} // namespace

CFGFileDialog::CFGFileDialog(BOOL openFileDialog, LPCWSTR defExt, LPCWSTR fileName, DWORD flags, LPCWSTR filter,
                             QWidget* parent)
    : m_bOpen(openFileDialog != FALSE), m_strDefExt(defExt ? defExt : L""), m_strFileName(fileName ? fileName : L""),
      m_dwFlags(flags), m_arrFilters(ParseFilter(filter)), m_pParent(parent)
{
}

std::vector<CFGFileDialog::Filter> CFGFileDialog::ParseFilter(LPCWSTR filter)
{
    std::vector<Filter> filters;
    if (!filter) return filters;
    const std::vector<std::wstring> parts = SplitBars(filter);
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) break;
        if (parts[i + 1].empty()) continue;
        filters.emplace_back(parts[i], parts[i + 1]);
    }
    return filters;
}

std::wstring CFGFileDialog::ToNameFilter(const Filter& filter)
{
    std::wstring display = TrimRight(filter.first);
    if (!display.empty() && display.back() == L')') {
        const size_t open = display.rfind(L'(');
        if (open != std::wstring::npos) display = TrimRight(display.substr(0, open));
    }
    std::wstring patterns = filter.second;
    for (wchar_t& c : patterns)
        if (c == L';') c = L' ';
    return display + L" (" + patterns + L")";
}

std::wstring CFGFileDialog::GetFileName() const
{
    return QFileInfo(QString::fromStdWString(m_strPath)).fileName().toStdWString();
}

std::wstring CFGFileDialog::GetFileExt() const
{
    return QFileInfo(QString::fromStdWString(m_strPath)).suffix().toStdWString();
}

void CFGFileDialog::SetResult(LPCWSTR path, DWORD filterIndex)
{
    m_strPath = path ? path : L"";
    m_nFilterIndex = filterIndex;
}

void CFGFileDialog::SetModalHook(ModalHook hook)
{
    HookSlot() = std::move(hook);
}

INT_PTR CFGFileDialog::DoModal()
{
    m_strPath.clear();
    if (HookSlot()) {
        const ModalHook hook = HookSlot();
        return hook(*this) == IDOK && !m_strPath.empty() ? IDOK : IDCANCEL;
    }
    return RunQtDialog();
}

INT_PTR CFGFileDialog::RunQtDialog()
{
    QFileDialog dialog(m_pParent);
    dialog.setOption(QFileDialog::DontUseNativeDialog); // skinned like the rest of the program
    dialog.setFont(FGGetFont());
    dialog.setAcceptMode(m_bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(m_bOpen && (m_dwFlags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (m_dwFlags & OFN_OVERWRITEPROMPT) == 0);
    dialog.setDefaultSuffix(QString::fromStdWString(m_strDefExt));
    QStringList nameFilters;
    for (const Filter& filter : m_arrFilters) nameFilters << QString::fromStdWString(ToNameFilter(filter));
    if (nameFilters.isEmpty()) nameFilters << QStringLiteral("*");
    dialog.setNameFilters(nameFilters);
    const int preselected = static_cast<int>(m_nFilterIndex) - 1;
    if (preselected >= 0 && preselected < nameFilters.size()) dialog.selectNameFilter(nameFilters[preselected]);
    // Names that are not valid UTF-8 are shown readably; what comes back is
    // mapped to the real names again.
    dialog.setDirectory(m_strFolder.empty() ? QDir::currentPath()
                                            : QString::fromStdWString(ReadableFileName(m_strFolder)));
    if (!m_strFileName.empty()) dialog.selectFile(QString::fromStdWString(ReadableFileName(m_strFileName)));

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
    m_strPath = ResolveShownPath(QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdWString());
    m_nFilterIndex = static_cast<DWORD>(nameFilters.indexOf(dialog.selectedNameFilter()) + 1);
    return IDOK;
}

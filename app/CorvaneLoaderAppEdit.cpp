// The editing period of the application object: the file types, opening a
// file, pasting a bitmap, saving, and ending the period.
#include <filesystem>
#include <new>
#include <system_error>

#include <QImage>
#include <QString>

#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/CorvaneLoaderApp.h"
#include "app/HistoryLock.h"
#include "io/Carrow.h"
#include "io/EncoderCatalog.h"
#include "io/ImageEncoder.h"
#include "io/ImageFile.h"
#include "operations/ImageData.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_Open.h"
#include "operations/PixelBuffer.h"
#include "platform/SystemFolders.h"

using OperationManage::Operation;

namespace {

constexpr const wchar_t* kModule = L"CorvaneLoader";

const wchar_t* Item(const wchar_t* key) { return LocalizeHelper::GetDictionaryItem("Dictionary", key); }

std::wstring JoinPatterns(const std::vector<std::wstring>& patterns)
{
    std::wstring joined;
    for (const std::wstring& pattern : patterns) {
        if (!joined.empty()) joined += L";";
        joined += pattern;
    }
    return joined;
}

// Message of a FromFile result that is not success.
const wchar_t* ReadFailureKey(int result)
{
    switch (result) {
    case 0: return L"IDS_VELMIRA_MSG_FILE_NOT_EXIST_OR_NOT_READABLE";
    case -1: return L"IDS_VELMIRA_MSG_FILE_FORMAT_NOT_IDENTIFIED";
    case -2: return L"IDS_VELMIRA_MSG_FILE_FORMAT_NOT_SUPPORT";
    case -3: return L"IDS_VELMIRA_MSG_READ_IMAGE_DATA_ERROR";
    case -4: return L"IDS_VELMIRA_MSG_NOT_ENOUGH_MEMORY";
    case -5: return L"IDS_VELMIRA_MSG_READ_IMAGE_METADATA_ERROR";
    default: return nullptr;
    }
}

// Message of a ToFile result that is neither success nor a cancel.
const wchar_t* WriteFailureKey(int result)
{
    switch (result) {
    // A save that fails on the way (a full disk, a file too large for the
    // file system, metadata that cannot go over the photo's own file) leaves
    // what was on the disk as it was, and says so.
    case 0: return L"IDS_VELMIRA_MSG_SAVE_FAILED";
    case -1: return L"IDS_VELMIRA_MSG_FILE_NOT_WRITABLE";
    case -2: return L"IDS_VELMIRA_MSG_FILE_FORMAT_NOT_SUPPORT";
    case -3: return L"IDS_VELMIRA_MSG_ENCODER_NOT_FOUND";
    case -4: return L"IDS_VELMIRA_MSG_WRITE_IMAGE_METADATA_ERROR";
    default: return L"IDS_VELMIRA_MSG_UNKNOWN_ERROR";
    }
}

// Writes a pasted picture to `path` with the library's own BMP encoder: with
// 32 bits, the alpha byte included, when the picture has an alpha channel,
// else with 24 bits. True when the file was written.
bool WriteClipboardBitmap(const QImage& picture, const std::wstring& path)
{
    GUID clsid{};
    if (!Carrow::FileIO::GetEncoderClsidFromFormat(Carrow::FileIO::ImageFormatBMP, clsid)) return false;
    const bool alpha = picture.hasAlphaChannel();
    // QImage rows are 4-byte aligned like a DIB's; ARGB32 holds blue, green,
    // red, alpha bytes in memory. A DIB runs bottom-up.
    const QImage rows =
        picture.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_BGR888).mirrored(false, true);
    BITMAPINFO info{};
    BITMAPINFOHEADER& header = info.bmiHeader;
    header.biSize = sizeof(BITMAPINFO);
    header.biWidth = rows.width();
    header.biHeight = rows.height();
    header.biPlanes = 1;
    header.biBitCount = alpha ? 32 : 24;
    header.biSizeImage = static_cast<DWORD>(rows.sizeInBytes());
    const int pixelFormat = alpha ? Carrow::FileIO::PixelFormat32bppARGB : 0;
    return Carrow::FileIO::SaveBitmapToFile(rows.constBits(), info, path.c_str(), clsid, pixelFormat) == 0;
}

} // namespace

// ---- file types ---------------------------------------------------------------

void CCorvaneLoaderApp::BuildFileFormats()
{
    using namespace Carrow::FileIO;
    const FILE_FORMAT_DESCRIPTOR formats[] = {
        {ImageFormatBMP, Item(L"IDS_FILE_FORMAT_NAME_BMP"), {L"*.bmp"}},
        {ImageFormatJPEG, Item(L"IDS_FILE_FORMAT_NAME_JPEG"), {L"*.jpg", L"*.jpeg"}},
        {ImageFormatPNG, Item(L"IDS_FILE_FORMAT_NAME_PNG"), {L"*.png"}},
        {ImageFormatTIFF, Item(L"IDS_FILE_FORMAT_NAME_TIFF"), {L"*.tif", L"*.tiff"}},
    };
    m_arrOpenFormats.assign(std::begin(formats), std::end(formats));
    m_arrSaveFormats.assign(std::begin(formats), std::end(formats));
}

void CCorvaneLoaderApp::GetFileFormats(std::vector<FILE_FORMAT_DESCRIPTOR>& out, BOOL forOpen) const
{
    out = forOpen ? m_arrOpenFormats : m_arrSaveFormats;
}

void CCorvaneLoaderApp::BuildFileFilter(const std::vector<FILE_FORMAT_DESCRIPTOR>& formats, std::wstring& filter,
                                        BOOL withAllSupported) const
{
    if (withAllSupported) {
        std::vector<std::wstring> all;
        for (const auto& format : formats) all.insert(all.end(), format.arrPatterns.begin(), format.arrPatterns.end());
        const std::wstring joined = JoinPatterns(all);
        filter += std::wstring(Item(L"IDS_FILE_FORMAT_NAME_ALL_SUPPORT")) + L" (" + joined + L")|" + joined + L"|";
    }
    for (const auto& format : formats) {
        const std::wstring joined = JoinPatterns(format.arrPatterns);
        filter += format.strName + L" (" + joined + L")|" + joined + L"|";
    }
    filter += L"|";
}

const wchar_t* CCorvaneLoaderApp::GetReadResultMessageKey(int result)
{
    const wchar_t* key = ReadFailureKey(result);
    return key ? key : L"IDS_VELMIRA_MSG_UNKNOWN_ERROR";
}

const wchar_t* CCorvaneLoaderApp::GetWriteResultMessageKey(int result) { return WriteFailureKey(result); }

// ---- opening -------------------------------------------------------------------

const wchar_t* CCorvaneLoaderApp::GetEditFilePath()
{
    if (!m_pEditFile) {
        WriteLog(LOG_LEVEL_ERROR, kModule, L"CCorvaneLoaderApp::GetEditFilePath", L"EditFile is not set yet.");
        return nullptr;
    }
    const wchar_t* path = m_pEditFile->GetFilePath();
    m_strEditFilePath = path ? path : L"";
    return m_strEditFilePath.c_str();
}

void CCorvaneLoaderApp::ShowFileResultMessage(const wchar_t* key) { DoMessageBox(Item(key), MB_ICONERROR); }

BOOL CCorvaneLoaderApp::SetEditImageFile(const wchar_t* path)
{
    constexpr const wchar_t* kFunction = L"CCorvaneLoaderApp::SetEditImageFile";
    if (!path) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid Argument.");
        return FALSE;
    }
    if (m_nAppState == APPSTATE_EDITING) {
        EndEditImageFile();
        // The title must not go on naming the old file if the new one fails.
        UpdateWindowTitle();
    }
    auto file = std::make_unique<Carrow::FileIO::ImageFile>();
    const int result = m_imageFileReader ? m_imageFileReader(*file, path) : file->FromFile(path);
    if (result <= 0) {
        const wchar_t* key = ReadFailureKey(result);
        if (!key) {
            WriteLog(LOG_LEVEL_ERROR, kModule, kFunction,
                     L"Unknown Error! This code should not be executed. iRet = %d", result);
            key = L"IDS_VELMIRA_MSG_UNKNOWN_ERROR";
        }
        ShowFileResultMessage(key);
        return FALSE;
    }
    return ApplyOpenedFile(std::move(file), path);
}

// Shows the opened file, makes it the editing period's file and records the
// Open operation with a copy of its pixels.
BOOL CCorvaneLoaderApp::ApplyOpenedFile(std::unique_ptr<Carrow::FileIO::ImageFile> file, const wchar_t* path)
{
    constexpr const wchar_t* kFunction = L"CCorvaneLoaderApp::SetEditImageFile";
    BITMAPINFO header{};
    const auto* pixels = static_cast<const BYTE*>(file->GetImageDataInfo(header));
    if (!pixels) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to get image info and data.");
        return FALSE;
    }
    auto data = std::make_unique<ImageData>();
    data->m_Header = header;
    PixelBuffer::AssignCopy(data->m_Pixels, pixels, header.bmiHeader.biSizeImage);
    // The view shows the history's copy, which lives as long as the entry;
    // the file object's own pixels are replaced when the image is saved.
    if (!m_pMainWnd || !m_pMainWnd->SetImage(data->m_Pixels.data(), data->m_Header)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to set image to MainDlg.");
        return FALSE;
    }
    m_pEditFile = std::move(file);
    m_pMainWnd->SetDisplayScale(1, 7);

    auto operation = std::make_unique<Operation>();
    OperationManage::OptGuidCopy(operation->m_Kind, OPTGUID_OPEN);
    operation->m_strName = Item(L"IDS_VELMIRA_OPERATION_NAME_OPEN");
    operation->m_pParam = new OptParam_Open(path);
    operation->m_pData = data.release();
    {
        HistoryLockGuard lock(HistoryMutex());
        m_OptHistory.clear();
        m_OptHistory.Append(*operation.release());
    }
    SetAppState(APPSTATE_EDITING);
    UpdateWindowTitle();
    return TRUE;
}

// ---- pasting ---------------------------------------------------------------------

BOOL CCorvaneLoaderApp::SetEditBitmap(CBitmap* bitmap)
{
    constexpr const wchar_t* kFunction = L"CCorvaneLoaderApp::SetEditBitmap";
    if (!bitmap || !bitmap->GetSafeHandle()) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid Argument.");
        return FALSE;
    }
    BITMAP description{};
    if (!bitmap->GetBitmap(&description) || (description.bmBitsPixel != 24 && description.bmBitsPixel != 32)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Unsupport format.");
        return FALSE;
    }
    const std::wstring folder = GetTempFolder();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Temp folder is not existed: '%s', Error = %d", folder.c_str(),
                 error.value());
        return FALSE;
    }
    const std::wstring path = folder + L"Clipboard.bmp";
    std::filesystem::remove(path, error);
    // An empty picture is not written: it could only be reported as a file
    // that does not exist, and the current image is better left alone.
    const QImage image = bitmap->GetImage();
    if (image.isNull() || image.height() == 0 || !WriteClipboardBitmap(image, path)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to create the bitmap file '%s'.", path.c_str());
        return FALSE;
    }
    if (!SetEditImageFile(path.c_str())) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to call SetEditImageFile with '%s'.", path.c_str());
        return FALSE;
    }
    m_bFromClipboard = TRUE;
    m_bModified = TRUE;
    return TRUE;
}

BOOL CCorvaneLoaderApp::OpenImageFile(const wchar_t* path)
{
    constexpr const wchar_t* kFunction = L"CCorvaneLoaderApp::OpenImageFile";
    if (!path) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid Argument.");
        return FALSE;
    }
    if (!m_pMainWnd || !m_pMainWnd->OnFileClose()) return FALSE;
    if (!SetEditImageFile(path)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to call theApp.SetEditImageFile with file '%s'.", path);
        return FALSE;
    }
    m_pMainWnd->UpdateToolbarState();
    return TRUE;
}

// ---- ending and saving ----------------------------------------------------------

void CCorvaneLoaderApp::EndEditImageFile()
{
    if (m_nAppState != APPSTATE_EDITING || !m_pEditFile) {
        WriteLog(LOG_LEVEL_ERROR, kModule, L"CCorvaneLoaderApp::EndEditImageFile", L"Invalid AppState: %d.",
                 m_nAppState);
        return;
    }
    // The view lets go of the history's pixels before they are freed.
    if (m_pMainWnd) {
        m_pMainWnd->UnloadToolAndClearImage();
        m_pMainWnd->UpdateStatusImageInfo();
    }
    {
        HistoryLockGuard lock(HistoryMutex());
        m_OptHistory.clear();
    }
    m_pEditFile.reset();
    m_bModified = FALSE;
    m_bFromClipboard = FALSE;
    SetAppState(APPSTATE_IDLE);
}

int CCorvaneLoaderApp::SaveEditImageFileTo(GUID format, const wchar_t* path)
{
    constexpr const wchar_t* kFunction = L"CCorvaneLoaderApp::SaveEditImageFileTo";
    if (m_nAppState != APPSTATE_EDITING || !m_pEditFile) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid AppState: %d.", m_nAppState);
        return -1;
    }
    {
        HistoryLockGuard lock(HistoryMutex());
        const ImageData* current = FindSnapshotWithPixels(m_OptHistory.CurrentIndex());
        if (!current || !m_pEditFile->UpdateData(current->m_Pixels.data(), current->m_Header)) {
            WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to call m_pEditFile->UpdateData.");
            return -1;
        }
    }
    // Give the encoder room: the two oldest steps go on every save.
    ReduceHistory();
    ReduceHistory();
    const wchar_t* own = m_pEditFile->GetFilePath();
    const std::wstring ownPath = own ? own : L"";
    const int result =
        path ? m_pEditFile->ToFile(path, format) : m_pEditFile->ToFile(ownPath.c_str(), Carrow::FileIO::GUID_NULL);
    if (result == 1) {
        m_bModified = FALSE;
        return 0;
    }
    if (result == -5) return 1;  // the user cancelled the encoder options
    WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to call m_pEditFile->ToFile. iRet = %d", result);
    ShowFileResultMessage(WriteFailureKey(result));
    return -1;
}

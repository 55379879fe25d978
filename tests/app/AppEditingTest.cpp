// The editing period (open, paste, save, end), history navigation and the
// image-processing round trip through the worker thread.
#include <filesystem>
#include <fstream>

#include <QCoreApplication>
#include <QImage>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/HistoryLock.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ImageFile.h"
#include "io/ScopedEncoderOptionsProvider.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_Flip.h"
#include "operations/OptParam_Rotate.h"
#include "operations/OptParam_SpotRemoval.h"
#include "platform/CBitmap.h"
#include "platform/NotSupportedException.h"
#include "platform/SystemFolders.h"
#include "platform/TextConvert.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

using AppTest::AppFixture;
using AppTest::LogWatch;
using App = CCorvaneLoaderApp;

namespace {

std::wstring Item(const wchar_t* key) { return LocalizeHelper::GetDictionaryItem("Dictionary", key); }

OptParam_Rotate* Turn(bool clockwise)
{
    auto* param = new OptParam_Rotate;
    param->m_nMode = OptParam_Rotate::ROTATE_90;
    param->m_fAngle = 90.0f;
    param->m_bClockwise = clockwise;
    return param;
}

} // namespace

class EditingPeriod : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        folder = m_scratch.WideFolder();
        photo = folder + L"photo.png";
        ASSERT_TRUE(AppTest::WriteTestPicture(photo, 30, 20));
    }

    CorvaneTest::TempFolder m_scratch;
    std::wstring folder;  ///< m_scratch, with a trailing separator
    std::wstring photo;
};

TEST_F(EditingPeriod, OpeningShowsTheImageAndRecordsTheOpenOperation)
{
    LogWatch log;
    Open(photo);
    EXPECT_EQ(window.setImageCount, 1);
    EXPECT_EQ(window.ShownWidth(), 30);
    EXPECT_EQ(window.lastAdaptMode, 1);
    EXPECT_EQ(window.lastScaleIndex, 7);
    ASSERT_EQ(theApp.m_OptHistory.size(), 1u);
    const auto* open = theApp.m_OptHistory.Current();
    EXPECT_TRUE(OperationManage::IsOptGuidEqual(open->m_Kind, OPTGUID_OPEN));
    EXPECT_EQ(open->m_strName, Item(L"IDS_VELMIRA_OPERATION_NAME_OPEN"));
    EXPECT_FALSE(theApp.m_bModified);
    EXPECT_EQ(window.caption, L"[Quillmark]  " + theApp.m_strAppName + L" - photo.png");
    EXPECT_EQ(std::wstring(theApp.GetEditFilePath()), photo);

    theApp.EndEditImageFile();
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_IDLE);
    EXPECT_TRUE(theApp.m_OptHistory.empty());
    EXPECT_EQ(window.shown, nullptr);
    EXPECT_EQ(theApp.GetEditFilePath(), nullptr);
    EXPECT_TRUE(log.Contains("CCorvaneLoaderApp::GetEditFilePath: EditFile is not set yet."));
    theApp.EndEditImageFile();  // nothing open: refused
    EXPECT_TRUE(log.Contains("CCorvaneLoaderApp::EndEditImageFile: Invalid AppState: 1."));
}

TEST_F(EditingPeriod, FileErrorsReachTheUserAsTheirMessages)
{
    const std::wstring text = folder + L"notes.png";
    std::ofstream(WideToUtf8(text)) << "not a picture";
    Open(photo);
    EXPECT_FALSE(theApp.SetEditImageFile((folder + L"missing.png").c_str()));
    EXPECT_EQ(window.caption, L"[Quillmark]  " + theApp.m_strAppName);  // the old period has ended
    EXPECT_FALSE(theApp.SetEditImageFile(text.c_str()));
    // A grey picture is refused, a cut-off JPEG cannot be decoded, and a
    // picture larger than the reader accepts needs too much memory.
    const std::wstring grey = folder + L"grey.png";
    ASSERT_TRUE(QImage(16, 16, QImage::Format_Grayscale8).save(QString::fromStdWString(grey)));
    const std::wstring jpeg = folder + L"photo.jpg";
    ASSERT_TRUE(AppTest::WriteTestPicture(jpeg, 300, 200));
    std::filesystem::resize_file(WideToUtf8(jpeg), std::filesystem::file_size(WideToUtf8(jpeg)) / 2);
    EXPECT_FALSE(theApp.SetEditImageFile(grey.c_str()));
    EXPECT_FALSE(theApp.SetEditImageFile(jpeg.c_str()));
    const std::size_t limit = Carrow::FileIO::ImageFile::GetMaxImageBytes();
    Carrow::FileIO::ImageFile::SetMaxImageBytes(100);
    EXPECT_FALSE(theApp.SetEditImageFile(photo.c_str()));
    Carrow::FileIO::ImageFile::SetMaxImageBytes(limit);
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0], Item(L"IDS_VELMIRA_MSG_FILE_NOT_EXIST_OR_NOT_READABLE"));
    EXPECT_EQ(boxes[1], Item(L"IDS_VELMIRA_MSG_FILE_FORMAT_NOT_IDENTIFIED"));
    EXPECT_EQ(boxes[2], Item(L"IDS_VELMIRA_MSG_FILE_FORMAT_NOT_SUPPORT"));
    EXPECT_EQ(boxes[3], Item(L"IDS_VELMIRA_MSG_READ_IMAGE_DATA_ERROR"));
    EXPECT_EQ(boxes[4], Item(L"IDS_VELMIRA_MSG_NOT_ENOUGH_MEMORY"));
    EXPECT_EQ(boxTypes[0] & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_IDLE);

    const std::pair<int, const wchar_t*> reads[] = {
        {0, L"IDS_VELMIRA_MSG_FILE_NOT_EXIST_OR_NOT_READABLE"}, {-1, L"IDS_VELMIRA_MSG_FILE_FORMAT_NOT_IDENTIFIED"},
        {-2, L"IDS_VELMIRA_MSG_FILE_FORMAT_NOT_SUPPORT"}, {-3, L"IDS_VELMIRA_MSG_READ_IMAGE_DATA_ERROR"},
        {-4, L"IDS_VELMIRA_MSG_NOT_ENOUGH_MEMORY"}, {-5, L"IDS_VELMIRA_MSG_READ_IMAGE_METADATA_ERROR"},
        {-9, L"IDS_VELMIRA_MSG_UNKNOWN_ERROR"}};
    for (const auto& [code, key] : reads) EXPECT_STREQ(App::GetReadResultMessageKey(code), key) << code;
    const std::pair<int, const wchar_t*> writes[] = {
        {-1, L"IDS_VELMIRA_MSG_FILE_NOT_WRITABLE"}, {-2, L"IDS_VELMIRA_MSG_FILE_FORMAT_NOT_SUPPORT"},
        {-3, L"IDS_VELMIRA_MSG_ENCODER_NOT_FOUND"}, {-4, L"IDS_VELMIRA_MSG_WRITE_IMAGE_METADATA_ERROR"},
        {0, L"IDS_VELMIRA_MSG_SAVE_FAILED"}, {-7, L"IDS_VELMIRA_MSG_UNKNOWN_ERROR"}};
    for (const auto& [code, key] : writes) EXPECT_STREQ(App::GetWriteResultMessageKey(code), key) << code;
}

TEST_F(EditingPeriod, AFailedSaveShowsItsMessageAndKeepsTheChanges)
{
    Open(photo);
    RunThreaded(OPTGUID_FLIP, new OptParam_Flip);
    ASSERT_TRUE(theApp.m_bModified);
    LogWatch log;
    EXPECT_EQ(theApp.SaveEditImageFileTo(Carrow::FileIO::ImageFormatGIF, (folder + L"out.gif").c_str()), -1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], Item(L"IDS_VELMIRA_MSG_FILE_FORMAT_NOT_SUPPORT"));
    EXPECT_TRUE(log.Contains("Failed to call m_pEditFile->ToFile. iRet = -2"));
    EXPECT_EQ(theApp.SaveEditImageFileTo(Carrow::FileIO::ImageFormatPNG, (folder + L"no/such/out.png").c_str()), -1);
    EXPECT_TRUE(theApp.m_bModified);
    EXPECT_EQ(theApp.SaveEditImageFileTo(Carrow::FileIO::GUID_NULL, nullptr), 0);
    EXPECT_FALSE(theApp.m_bModified);
}

TEST_F(EditingPeriod, PastingStartsAModifiedPeriodFromClipboardBmp)
{
    Open(photo);
    CBitmap bitmap;
    QImage picture(12, 9, QImage::Format_RGB888);
    picture.fill(qRgb(200, 10, 10));
    ASSERT_TRUE(bitmap.CreateFromImage(picture, true));
    ASSERT_TRUE(theApp.SetEditBitmap(&bitmap));
    EXPECT_TRUE(theApp.m_bModified);
    EXPECT_TRUE(theApp.m_bFromClipboard);
    EXPECT_EQ(window.ShownWidth(), 12);
    const std::wstring suffix = L" - Clipboard.bmp";
    ASSERT_GE(window.caption.size(), suffix.size());
    EXPECT_EQ(window.caption.substr(window.caption.size() - suffix.size()), suffix);
    EXPECT_EQ(theApp.m_OptHistory.size(), 1u);

    LogWatch log;
    CBitmap grey;
    ASSERT_TRUE(grey.CreateFromImage(QImage(5, 5, QImage::Format_Grayscale8), true));
    EXPECT_FALSE(theApp.SetEditBitmap(&grey));
    EXPECT_TRUE(log.Contains("CCorvaneLoaderApp::SetEditBitmap: Unsupport format."));
    EXPECT_EQ(window.ShownWidth(), 12);  // the pasted period is untouched
    EXPECT_TRUE(theApp.m_bFromClipboard);
    CBitmap empty;
    EXPECT_FALSE(theApp.SetEditBitmap(&empty));
    EXPECT_FALSE(theApp.SetEditBitmap(nullptr));
}

TEST_F(EditingPeriod, APastedPictureKeepsItsAlphaInClipboardBmp)
{
    QImage picture(7, 3, QImage::Format_ARGB32);  // straight alpha: 0 to 200 across the picture
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) picture.setPixel(x, y, qRgba(10 * x, 20 * y, 200, 30 * x + 10 * y));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateFromImage(picture, true));
    CorvaneTest::TempFolder temp;  // "Clipboard.bmp" goes there, and with it
    CorvaneTest::ScopedEnv tmpdir("TMPDIR", temp.Path().c_str());
    ASSERT_TRUE(theApp.SetEditBitmap(&bitmap));

    // The file: a 32-bit BMP whose fourth byte of every pixel is its alpha.
    std::ifstream file(std::filesystem::path(GetTempFolder() + L"Clipboard.bmp"), std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_EQ(bytes.size(), 54u + 7 * 3 * 4);
    EXPECT_EQ(bytes[28], 32);  // bits per pixel
    const std::size_t bottomRowLastPixel = 54 + 6 * 4;  // rows run bottom-up
    EXPECT_EQ(bytes[bottomRowLastPixel + 3], 30 * 6 + 10 * 2);
    // The snapshot the history keeps has the same alpha bytes.
    const auto* data = dynamic_cast<const ImageData*>(theApp.m_OptHistory.Current()->m_pData);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->m_Header.bmiHeader.biBitCount, 32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(data->m_Pixels[AppTest::PixelOffset(data->m_Header, x, y) + 3], 30 * x + 10 * y) << x << "," << y;
}

TEST_F(EditingPeriod, UndoAndRedoShowTheSnapshotsOfTheHistory)
{
    Open(photo);
    LogWatch log;
    EXPECT_TRUE(theApp.GotoHistory(App::GOTOHISTORY_PREVIOUS));  // nothing to undo
    EXPECT_TRUE(log.Contains("Failed to call m_OptHistory.Previous."));
    EXPECT_EQ(window.ShownWidth(), 30);

    RunThreaded(OPTGUID_ROTATE, Turn(false));
    RunThreaded(OPTGUID_ROTATE, Turn(false));
    EXPECT_EQ(window.ShownWidth(), 30);  // two quarter turns
    BYTE* const opened = static_cast<ImageData*>(theApp.m_OptHistory.Get(0)->m_pData)->m_Pixels.data();
    ASSERT_TRUE(theApp.GotoHistory(App::GOTOHISTORY_PREVIOUS));
    ASSERT_TRUE(theApp.GotoHistory(App::GOTOHISTORY_PREVIOUS));
    EXPECT_EQ(window.shown, opened);
    EXPECT_TRUE(theApp.m_OptHistory.IsAtFirst());
    ASSERT_TRUE(theApp.GotoHistory(App::GOTOHISTORY_NEXT));
    EXPECT_EQ(window.ShownWidth(), 20);
    EXPECT_EQ(window.ShownHeight(), 30);
    EXPECT_TRUE(theApp.m_bModified);  // navigation leaves the flag alone

    // A new operation after an undo drops the redo branch.
    RunThreaded(OPTGUID_FLIP, new OptParam_Flip);
    EXPECT_TRUE(theApp.m_OptHistory.IsAtLast());
    EXPECT_EQ(theApp.m_OptHistory.size(), 3u);
    EXPECT_THROW(theApp.GotoHistory(5), CNotSupportedException);
    theApp.m_nAppState = App::APPSTATE_PROCESSING;
    EXPECT_FALSE(theApp.GotoHistory(App::GOTOHISTORY_PREVIOUS));
    theApp.m_nAppState = App::APPSTATE_EDITING;
}

TEST_F(EditingPeriod, EverySaveGivesUpTheTwoOldestSteps)
{
    Open(photo);
    for (int i = 0; i < 8; ++i) RunThreaded(OPTGUID_FLIP, new OptParam_Flip);
    ASSERT_EQ(theApp.m_OptHistory.size(), 9u);
    const auto* current = theApp.m_OptHistory.Current();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(theApp.SaveEditImageFileTo(Carrow::FileIO::ImageFormatPNG, (folder + L"s.png").c_str()), 0);
    EXPECT_EQ(theApp.m_OptHistory.size(), 3u);
    EXPECT_EQ(theApp.m_OptHistory.Current(), current);
    EXPECT_FALSE(theApp.m_bModified);
    QImage saved(QString::fromStdWString(folder + L"s.png"));
    EXPECT_EQ(saved.width(), 30);
}

TEST_F(EditingPeriod, OpeningADroppedFileClosesThePeriodFirst)
{
    Open(photo);
    window.closeResult = FALSE;  // the user kept the image
    EXPECT_FALSE(theApp.OpenImageFile(photo.c_str()));
    EXPECT_EQ(window.setImageCount, 1);
    window.closeResult = TRUE;
    EXPECT_TRUE(theApp.OpenImageFile(photo.c_str()));
    EXPECT_EQ(window.setImageCount, 2);
    EXPECT_EQ(theApp.m_OptHistory.size(), 1u);
}

TEST_F(EditingPeriod, CancellingTheJpegOptionsLeavesFileAndChangesAloneAndSaysNothing)
{
    const std::wstring jpeg = folder + L"photo.jpg";
    ASSERT_TRUE(AppTest::WriteTestPicture(jpeg, 30, 20));
    const auto bytesOf = [](const std::wstring& path) {
        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    };
    const std::string before = bytesOf(jpeg);
    Open(jpeg);
    RunThreaded(OPTGUID_FLIP, new OptParam_Flip);
    const BYTE* shown = window.shown;
    Carrow::FileIO::ScopedEncoderOptionsProvider cancel(std::make_shared<Carrow::FileIO::FixedEncoderOptionsProvider>(
        Carrow::FileIO::FixedEncoderOptionsProvider::Cancelled()));
    EXPECT_EQ(theApp.SaveEditImageFileTo(Carrow::FileIO::GUID_NULL, nullptr), 1);
    EXPECT_EQ(theApp.SaveEditImageFileTo(Carrow::FileIO::ImageFormatJPEG, (folder + L"new.jpg").c_str()), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(theApp.m_bModified);
    EXPECT_EQ(bytesOf(jpeg), before);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder + L"new.jpg")));
    EXPECT_EQ(std::wstring(theApp.GetEditFilePath()), jpeg);
    EXPECT_EQ(window.shown, shown);
}

TEST_F(EditingPeriod, AnEntryWithoutPixelsShowsAndSavesTheSnapshotBeforeIt)
{
    Open(photo);
    RunThreaded(OPTGUID_FLIP, new OptParam_Flip);
    const auto* flipped = dynamic_cast<const ImageData*>(theApp.m_OptHistory.Current()->m_pData);
    ASSERT_NE(flipped, nullptr);
    auto* unchanged = new OperationManage::Operation;  // an entry of the kind that keeps no pixels
    unchanged->m_Kind = OPTGUID_NOIMAGE;
    unchanged->m_pData = new ImageData;
    {
        HistoryLockGuard lock(HistoryMutex());
        theApp.m_OptHistory.Append(*unchanged);
    }
    EXPECT_TRUE(theApp.GotoHistory(App::GOTOHISTORY_PREVIOUS));
    EXPECT_TRUE(theApp.GotoHistory(App::GOTOHISTORY_NEXT));
    EXPECT_EQ(window.shown, flipped->m_Pixels.data());  // the walk back to the flip's snapshot

    // Saving gives up the two oldest steps: the Open entry, but not the
    // flip, whose pixels are on screen for the entry under the cursor.
    ASSERT_EQ(theApp.SaveEditImageFileTo(Carrow::FileIO::ImageFormatPNG, (folder + L"saved.png").c_str()), 0);
    EXPECT_EQ(theApp.m_OptHistory.size(), 2u);
    EXPECT_EQ(theApp.m_OptHistory.Get(0)->m_pData, flipped);
    const QImage saved = QImage(QString::fromStdWString(folder + L"saved.png")).convertToFormat(QImage::Format_RGB888);
    const QImage opened = QImage(QString::fromStdWString(photo)).convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(saved, opened.mirrored(true, false));
    EXPECT_TRUE(theApp.GotoHistory(App::GOTOHISTORY_PREVIOUS));
    EXPECT_EQ(window.shown, flipped->m_Pixels.data());
}

TEST_F(EditingPeriod, AnImageTheWindowRefusesOrAnUnknownReadResultOpensNothing)
{
    LogWatch log;
    window.failSetImage = true;
    EXPECT_FALSE(theApp.SetEditImageFile(photo.c_str()));
    EXPECT_TRUE(log.Contains("CCorvaneLoaderApp::SetEditImageFile: Failed to set image to MainDlg."));
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_IDLE);
    EXPECT_TRUE(theApp.m_OptHistory.empty());
    EXPECT_EQ(theApp.GetEditFilePath(), nullptr);
    window.failSetImage = false;

    theApp.SetImageFileReader([](Carrow::FileIO::ImageFile&, const wchar_t*) { return -9; });
    EXPECT_FALSE(theApp.SetEditImageFile(photo.c_str()));
    EXPECT_TRUE(log.Contains("Unknown Error! This code should not be executed. iRet = -9"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], Item(L"IDS_VELMIRA_MSG_UNKNOWN_ERROR"));
    // Any positive code is success.
    theApp.SetImageFileReader([](Carrow::FileIO::ImageFile& file, const wchar_t* path) {
        return file.FromFile(path) == 1 ? 7 : 0;
    });
    EXPECT_TRUE(theApp.SetEditImageFile(photo.c_str()));
    theApp.SetImageFileReader(nullptr);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(EditingPeriod, TheViewLetsGoOfThePixelsBeforeTheHistoryFreesThem)
{
    Open(photo);
    RunThreaded(OPTGUID_FLIP, new OptParam_Flip);
    theApp.EndEditImageFile();
    EXPECT_EQ(window.historyAtUnload, 2u);  // the snapshots were still there
    EXPECT_EQ(window.shown, nullptr);
    EXPECT_TRUE(theApp.m_OptHistory.empty());
}

class WorkerThread : public EditingPeriod {};

TEST_F(WorkerThread, ARotationRoundTripAppendsAndTimesTheOperation)
{
    Open(photo);
    LogWatch log;
    RunThreaded(OPTGUID_ROTATE, Turn(true), L"Rotate");
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_EQ(theApp.m_OptHistory.size(), 2u);
    EXPECT_TRUE(theApp.m_bModified);
    EXPECT_EQ(window.ShownWidth(), 20);
    EXPECT_EQ(window.calls.back(), "FocusImageView");
    EXPECT_TRUE(log.Contains("ImageProcessThread: Operation \"Rotate\" cost "));
    EXPECT_TRUE(log.Contains("ms. Returned: Success"));
}

TEST_F(WorkerThread, AFailingOperatorLeavesImageHistoryAndFlagAlone)
{
    Open(photo);
    BYTE* const before = window.shown;
    auto* bad = new OptParam_SpotRemoval;
    bad->m_nSpotSize = -5;  // refused by the library
    LogWatch log;
    RunThreaded(OPTGUID_SPOTREMOVAL, bad, L"Spot");
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_EQ(theApp.m_OptHistory.size(), 1u);
    EXPECT_FALSE(theApp.m_bModified);
    EXPECT_EQ(window.shown, before);
    EXPECT_EQ(window.updateImageCount, 0);
    EXPECT_TRUE(log.Contains("Failed to execute ImageProcess::RemoveSpot."));
    EXPECT_TRUE(log.Contains("Operation \"Spot\" cost "));
    EXPECT_TRUE(log.Contains("Returned: False"));

    log.Mark();
    RunThreaded(OPTGUID_NOIMAGE, nullptr, L"Nobody");
    EXPECT_TRUE(log.Contains("Operation \"Nobody\" cost "));
    EXPECT_TRUE(log.Contains("Returned: False"));
    EXPECT_EQ(theApp.m_OptHistory.size(), 1u);
}

TEST_F(WorkerThread, WithoutUndoOperationsWorkOnTheSnapshotItselfAndOnlyTheLatestStays)
{
    Open(photo);
    theApp.SetHistoryMode(App::HistoryMode::LatestOnly);
    const ImageData opened(*dynamic_cast<ImageData*>(theApp.m_OptHistory.Current()->m_pData));
    BYTE* const pixels = window.shown;
    for (int i = 0; i < 3; ++i) {
        auto* upsideDown = new OptParam_Flip;
        upsideDown->m_bVertical = TRUE;
        RunThreaded(OPTGUID_FLIP, upsideDown);
    }
    ASSERT_EQ(theApp.m_OptHistory.size(), 1u);
    const auto* latest = dynamic_cast<ImageData*>(theApp.m_OptHistory.Current()->m_pData);
    EXPECT_EQ(latest->m_Pixels.data(), pixels) << "no copy was made";
    EXPECT_EQ(window.shown, pixels);
    EXPECT_TRUE(theApp.m_bModified);
    // Three flips make one: row 0 of the buffer now holds the opened last row.
    const std::size_t stride = opened.m_Pixels.size() / 20;
    EXPECT_TRUE(std::equal(latest->m_Pixels.begin(), latest->m_Pixels.begin() + stride, opened.m_Pixels.end() - stride));

    // A failing operation gives the pixels back to the one entry.
    const std::vector<unsigned char> before = latest->m_Pixels;
    auto* bad = new OptParam_SpotRemoval;
    bad->m_nSpotSize = -5;
    RunThreaded(OPTGUID_SPOTREMOVAL, bad, L"Spot");
    ASSERT_EQ(theApp.m_OptHistory.size(), 1u);
    EXPECT_EQ(dynamic_cast<ImageData*>(theApp.m_OptHistory.Current()->m_pData)->m_Pixels, before);
    EXPECT_EQ(theApp.SaveEditImageFileTo(Carrow::FileIO::ImageFormatPNG, (folder + L"saved.png").c_str()), 0);
    EXPECT_EQ(QImage(QString::fromStdWString(folder + L"saved.png")).pixel(3, 0),
              QImage(QString::fromStdWString(photo)).pixel(3, 19));
}

TEST_F(WorkerThread, ASecondOperationWhileProcessingIsRefused)
{
    Open(photo);
    OperationManage::Operation* first = theApp.BeginProcessImage();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(window.viewEnabled);
    first->m_Kind = OPTGUID_ROTATE;
    first->m_pParam = Turn(true);
    LogWatch log;
    EXPECT_EQ(theApp.BeginProcessImage(), nullptr);  // a second R during the turn
    EXPECT_TRUE(log.Contains("CCorvaneLoaderApp::BeginProcessImage: Invalid AppState: 3"));
    ASSERT_TRUE(BeginImageProcessThread(first));
    ASSERT_TRUE(theApp.WaitWhileProcessing(20000));
    EXPECT_EQ(theApp.m_OptHistory.size(), 2u);
    EXPECT_EQ(window.ShownWidth(), 20);  // turned once
    EXPECT_TRUE(window.viewEnabled);
}

TEST_F(WorkerThread, AnOperationThatCannotBeShownIsCancelled)
{
    Open(photo);
    OperationManage::Operation* unset = theApp.BeginProcessImage();
    ASSERT_NE(unset, nullptr);
    LogWatch log;
    theApp.EndProcessImage(unset);  // kind never set
    EXPECT_TRUE(log.Contains("Invalid Operation, it should be canceledd."));
    EXPECT_EQ(theApp.m_OptHistory.size(), 1u);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);

    window.failUpdateImage = true;
    OperationManage::Operation* refused = theApp.BeginProcessImage();
    refused->m_Kind = OPTGUID_FLIP;
    theApp.EndProcessImage(refused);
    EXPECT_EQ(theApp.m_OptHistory.size(), 1u);
    EXPECT_FALSE(theApp.m_bModified);
    theApp.EndProcessImage(nullptr);
    theApp.CancelProcessImage(nullptr);
    EXPECT_EQ(log.Count("Invalid Argument."), 2);
}

TEST_F(WorkerThread, ProgressReportsAreDrainedUpToTheFinalOne)
{
    theApp.PostThreadMessage(WM_IMAGEPROCESS_PROGRESS, 1, 4);
    theApp.PostThreadMessage(WM_IMAGEPROCESS_PROGRESS, 2, 4);
    theApp.PostThreadMessage(WM_IMAGEPROCESS_PROGRESS, 4, 4);
    theApp.PostThreadMessage(WM_IMAGEPROCESS_PROGRESS, 1, 9);
    ASSERT_EQ(theApp.GetPendingThreadMessageCount(), 4u);
    theApp.OnImageProcessProgress(0, 0);  // takes (1,4), (2,4) and the final (4,4)
    EXPECT_EQ(theApp.GetPendingThreadMessageCount(), 1u);
    theApp.DispatchThreadMessages();
    EXPECT_EQ(theApp.GetPendingThreadMessageCount(), 0u);
}

TEST_F(EditingPeriod, APhotoNamedAtLaunchOpensOnceTheWindowIsUp)
{
    theApp.m_nAppState = App::APPSTATE_STARTING;
    theApp.SetLaunchFile(photo);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.setImageCount, 0);  // not before the window is initialised
    theApp.SetAppState(App::APPSTATE_IDLE);
    EXPECT_EQ(window.setImageCount, 0);  // nor inside its initialisation
    QCoreApplication::processEvents();
    EXPECT_EQ(window.setImageCount, 1);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_EQ(std::wstring(theApp.GetEditFilePath()), photo);
}

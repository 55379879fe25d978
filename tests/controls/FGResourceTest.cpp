#include "SkinFixture.h"

#include "controls/FGResource.h"
#include "platform/WinUser.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void WriteBmp(const QDir& dir, const QString& relative, QColor colour = Qt::red)
{
    QDir().mkpath(QFileInfo(dir.filePath(relative)).path());
    QImage image(2, 2, QImage::Format_RGB888);
    image.fill(colour);
    ASSERT_TRUE(image.save(dir.filePath(relative), "BMP"));
}

std::vector<std::wstring> Keys(const FGBitmapMap& map)
{
    std::vector<std::wstring> keys;
    for (const auto& [key, bitmap] : map) keys.push_back(key);
    return keys;
}

} // namespace

TEST(FGLoadBitmaps, KeysFollowTheFolderTree)
{
    QTemporaryDir tmp;
    const QDir root(tmp.path());
    WriteBmp(root, "Radio_Check.BMP");
    WriteBmp(root, "Menu/a.bmp");
    WriteBmp(root, "Menu/Sub/Deep.Bmp");
    WriteBmp(root, ".bmp");                                          // 4 characters: ignored
    WriteBmp(root, "notes.bmp.txt");                                 // wrong ending: ignored
    QFile fake(root.filePath("fake.bmp"));                           // not a BMP inside: skipped
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("not a bitmap");
    fake.close();

    FGBitmapMap bitmaps;
    FGBitmapPathMap paths;
    // A backslash at the end of the folder counts as a separator.
    FGLoadBitmaps((tmp.path() + "\\").toStdWString().c_str(), bitmaps, &paths, L"pre\\");

    const std::vector<std::wstring> expected = {L"menu\\a", L"pre\\radio_check", L"sub\\deep"};
    EXPECT_EQ(Keys(bitmaps), expected) << "the prefix reaches only the top folder's own files; nested "
                                          "folders use just their own name";
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(QString::fromStdWString(paths[L"sub\\deep"]), root.filePath("Menu/Sub/Deep.Bmp"))
        << "files load by their real name on a case-sensitive file system";
    for (const auto& [key, bitmap] : bitmaps) {
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->GetImage().size(), QSize(2, 2));
    }
    FGUnloadBitmaps(bitmaps);
    EXPECT_TRUE(bitmaps.empty());
}

TEST(FGLoadBitmaps, ReloadReplacesAndUnloadReleasesEveryHandle)
{
    QTemporaryDir tmp;
    const QDir root(tmp.path());
    WriteBmp(root, "x.bmp", Qt::red);
    const std::size_t handlesBefore = CountBitmapHandles();

    FGBitmapMap bitmaps;
    FGLoadBitmaps(tmp.path().toStdWString().c_str(), bitmaps);
    WriteBmp(root, "x.bmp", Qt::blue);
    FGLoadBitmaps(tmp.path().toStdWString().c_str(), bitmaps); // same key again
    ASSERT_EQ(bitmaps.size(), 1u);
    EXPECT_EQ(bitmaps[L"x"]->GetImage().pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(CountBitmapHandles(), handlesBefore + 1) << "the replaced bitmap is released";
    FGUnloadBitmaps(bitmaps);

    FGBitmapIdMap byId;
    byId[7] = new CBitmap;
    byId[7]->CreateFromImage(QImage(1, 1, QImage::Format_RGB32));
    byId[8] = nullptr;
    FGUnloadBitmaps(byId);
    EXPECT_TRUE(byId.empty());
    EXPECT_EQ(CountBitmapHandles(), handlesBefore);

    FGBitmapMap none;
    FGLoadBitmaps((tmp.path() + "/missing").toStdWString().c_str(), none);
    FGLoadBitmaps(nullptr, none);
    EXPECT_TRUE(none.empty());
}

TEST(FGLoadResource, ColourTableFontAndMetrics)
{
    LoadProgramSkin();
    EXPECT_EQ(FGGetColor(1), RGB(230, 230, 230));
    EXPECT_EQ(FGGetColor(2), RGB(0, 0, 0));
    EXPECT_EQ(FGGetColor(4), RGB(105, 110, 115));
    EXPECT_EQ(FGGetColor(14), RGB(120, 190, 220));
    EXPECT_EQ(FGGetColor(23), RGB(86, 104, 147));
    EXPECT_EQ(FGGetColor(24), RGB(255, 255, 255));
    EXPECT_EQ(FGGetBrush(false).color(), QColor(230, 230, 230));
    EXPECT_EQ(FGGetBrush(true).color(), QColor(255, 255, 255));

    EXPECT_EQ(FGGetColor(99), 0u);
    EXPECT_EQ(FGGetColor(99), 0u) << "an unknown index is added as black";

    const LOGFONTW& lf = FGGetLogFont();
    EXPECT_EQ(lf.lfHeight, -14);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(lf.lfQuality, 2);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Arial");
    EXPECT_EQ(FGGetFont().pixelSize(), 14);
    EXPECT_EQ(FGGetMenuMetric(FGMM_MENUBAR_HEIGHT), 24);
    EXPECT_EQ(FGGetMenuMetric(FGMM_MENUITEM_HEIGHT), 24);
    EXPECT_EQ(FGGetMenuMetric(FGMM_MENUITEM_GAP), 4);
}

TEST(FGLoadResource, TheProgramSkinHasEveryKeyTheControlsUse)
{
    LoadProgramSkin();
    const wchar_t* keys[] = {L"radio_uncheck", L"radio_uncheck_hot", L"radio_uncheck_down", L"radio_uncheck_dis",
                             L"radio_check", L"radio_check_hot", L"radio_check_down", L"radio_check_dis",
                             L"checkbox_uncheck", L"checkbox_uncheck_hot", L"checkbox_uncheck_down",
                             L"checkbox_uncheck_dis", L"checkbox_mid", L"checkbox_mid_hot", L"checkbox_mid_down",
                             L"checkbox_mid_dis", L"checkbox_check", L"checkbox_check_hot", L"checkbox_check_down",
                             L"checkbox_check_dis", L"menu_checkmark", L"toolbar_bk_start", L"toolbar_bk_end",
                             L"toolbar_bk_fill", L"toolbar_btn_normal", L"toolbar_btn_down", L"toolbar_btn_over",
                             L"toolbar_btn_disable"};
    for (const wchar_t* key : keys) EXPECT_NE(FGGetSkinBitmap(key), nullptr) << QString::fromWCharArray(key).toStdString();
    EXPECT_EQ(FGGetSkinBitmap(L"no_such_key"), nullptr);
}

TEST(FGLoadResource, AFilePathOrMissingFolderChangesNothing)
{
    LoadProgramSkin();
    QTemporaryDir tmp;
    const QString file = tmp.filePath("Skin");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    FGLoadResource(file.toStdWString().c_str());
    FGLoadResource((tmp.path() + "/missing").toStdWString().c_str());
    FGLoadResource(nullptr);
    EXPECT_EQ(FGGetColor(1), RGB(230, 230, 230));
    EXPECT_NE(FGGetSkinBitmap(L"radio_check"), nullptr);
}

TEST(FGBitmapToPixmap, MagentaBecomesSeeThrough)
{
    CBitmap bitmap;
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 255));
    image.setPixel(1, 0, qRgb(10, 20, 30));
    ASSERT_TRUE(bitmap.CreateFromImage(image));
    const QImage keyed = FGBitmapToPixmap(&bitmap, RGB(255, 0, 255)).toImage();
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(keyed.pixelColor(1, 0), QColor(10, 20, 30));
    const QImage plain = FGBitmapToPixmap(&bitmap, CLR_NONE).toImage();
    EXPECT_EQ(plain.pixelColor(0, 0), QColor(255, 0, 255));
    EXPECT_TRUE(FGBitmapToPixmap(nullptr, CLR_NONE).isNull());
}

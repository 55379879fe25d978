#include "controls/FGEdit.h"
#include "controls/FGResource.h"
#include "io/DialogEncoderOptionsProvider.h"
#include "io/EncoderDialogProvider.h"
#include "io/EncoderJpegDlg.h"
#include "io/EncoderTiffDlg.h"

#include "Wordhoard/LocalizeHelper.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include <functional>

namespace {

class EncoderDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const QString bin = QCoreApplication::applicationDirPath();
        FGLoadResource((bin + "/Skin").toStdWString().c_str());
        LocalizeHelper::Initialize();
        LocalizeHelper::LoadDictionary((bin + "/Lan.lc").toStdWString().c_str(), "Dictionary");
    }
    void TearDown() override { CFGDialog::SetModalHook({}); }

    // Runs `dialog` with a hook that acts on it like the user would.
    template <class TDialog>
    static INT_PTR RunWith(TDialog& dialog, const std::function<void(TDialog&)>& user)
    {
        CFGDialog::SetModalHook([&](CFGDialog&) -> INT_PTR {
            user(dialog);
            return IDCANCEL;
        });
        return dialog.DoModal();
    }
};

} // namespace

TEST_F(EncoderDialogs, JpegConfirmedUntouchedGivesQuality100AndKeepsMetadata)
{
    CEncoderJpegDlg dialog;
    const INT_PTR result = RunWith<CEncoderJpegDlg>(dialog, [](CEncoderJpegDlg& shown) {
        EXPECT_EQ(shown.windowTitle(), "JPEG Options");
        EXPECT_EQ(shown.size(), QSize(260, 100));
        EXPECT_EQ(shown.KeepExifCheckBox().GetCheck(), BST_CHECKED);
        EXPECT_EQ(shown.KeepExifCheckBox().text(), "Keep Exif and IPTC information");
        EXPECT_EQ(shown.QualityPanel().geometry(), QRect(10, 10, 240, 22)) << "as wide as the placeholder";
        EXPECT_EQ(shown.QualityPanel().GetLabel(0)->text(), "Quality");
        EXPECT_EQ(shown.QualityPanel().GetEdit(0)->text(), "100");
        EXPECT_EQ(shown.focusWidget(), &shown.OkButton());
        QTest::mouseClick(&shown.OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.m_nQuality, 100);
    EXPECT_EQ(dialog.m_bDropMetadata, FALSE);
    EXPECT_EQ(dialog.m_nCompression, 6);
}

TEST_F(EncoderDialogs, JpegChangesAreReadAtOkAndCancelLeavesTheResults)
{
    CEncoderJpegDlg dialog;
    RunWith<CEncoderJpegDlg>(dialog, [](CEncoderJpegDlg& shown) {
        shown.QualityPanel().GetEdit(0)->setText("75");
        QTest::mouseClick(&shown.KeepExifCheckBox(), Qt::LeftButton);
        QTest::keyClick(shown.QualityPanel().GetEdit(0), Qt::Key_Return); // Enter confirms
    });
    EXPECT_EQ(dialog.m_nQuality, 75);
    EXPECT_EQ(dialog.m_bDropMetadata, TRUE);

    CEncoderJpegDlg cancelled;
    const INT_PTR result = RunWith<CEncoderJpegDlg>(cancelled, [](CEncoderJpegDlg& shown) {
        shown.QualityPanel().GetEdit(0)->setText("10");
        QTest::mouseClick(&shown.KeepExifCheckBox(), Qt::LeftButton);
        QTest::keyClick(&shown, Qt::Key_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(cancelled.m_nQuality, 100);
    EXPECT_EQ(cancelled.m_bDropMetadata, TRUE) << "untouched after Cancel";
}

TEST_F(EncoderDialogs, TiffOffersOnlyNoneAndLzw)
{
    CEncoderTiffDlg dialog;
    const INT_PTR result = RunWith<CEncoderTiffDlg>(dialog, [](CEncoderTiffDlg& shown) {
        EXPECT_EQ(shown.windowTitle(), "TIFF Options");
        EXPECT_EQ(shown.size(), QSize(260, 170));
        const char* texts[5] = {"None", "LZW", "RLE", "CCITT G3", "CCITT G4"};
        for (int i = 0; i < CEncoderTiffDlg::kChoiceCount; ++i) {
            EXPECT_EQ(shown.RadioButton(i).text(), texts[i]);
            EXPECT_EQ(shown.RadioButton(i).isEnabled(), i < 2) << i;
            EXPECT_EQ(shown.RadioButton(i).GetCheck(), i == 0 ? BST_CHECKED : BST_UNCHECKED);
        }
        QTest::mouseClick(&shown.RadioButton(3), Qt::LeftButton); // disabled: no effect
        QTest::mouseClick(&shown.OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.m_nCompression, 6);
    EXPECT_EQ(dialog.m_bDropMetadata, FALSE);

    CEncoderTiffDlg lzw;
    RunWith<CEncoderTiffDlg>(lzw, [](CEncoderTiffDlg& shown) {
        QTest::mouseClick(&shown.RadioButton(1), Qt::LeftButton);
        QTest::mouseClick(&shown.KeepExifCheckBox(), Qt::LeftButton);
        EXPECT_EQ(shown.RadioButton(0).GetCheck(), BST_UNCHECKED);
        QTest::mouseClick(&shown.OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(lzw.m_nCompression, 2);
    EXPECT_EQ(lzw.m_bDropMetadata, TRUE);
    EXPECT_EQ(CEncoderTiffDlg::CompressionOfIndex(4), 4);
    EXPECT_EQ(CEncoderTiffDlg::CompressionOfIndex(-1), 6);
}

TEST_F(EncoderDialogs, TheDialogProviderHandsTheAnswersToTheSave)
{
    using Carrow::FileIO::EncoderDialog;
    Carrow::FileIO::DialogEncoderOptionsProvider<CEncoderJpegDlg, CEncoderTiffDlg> provider;
    CFGDialog::SetModalHook([](CFGDialog& shown) -> INT_PTR {
        auto& jpeg = dynamic_cast<CEncoderJpegDlg&>(shown);
        jpeg.QualityPanel().SetSliderValue(0, 60);
        QTest::mouseClick(&jpeg.OkButton(), Qt::LeftButton);
        return 0;
    });
    const auto jpeg = provider.AskEncoderOptions(EncoderDialog::Jpeg);
    EXPECT_TRUE(jpeg.bConfirmed);
    EXPECT_EQ(jpeg.nQuality, 60);
    EXPECT_EQ(jpeg.bDropMetadata, FALSE);

    CFGDialog::SetModalHook([](CFGDialog& shown) -> INT_PTR {
        EXPECT_NE(dynamic_cast<CEncoderTiffDlg*>(&shown), nullptr);
        shown.close(); // the close box cancels
        return 0;
    });
    EXPECT_FALSE(provider.AskEncoderOptions(EncoderDialog::Tiff).bConfirmed);

    // Installed as the default, the dialogs answer every save.
    Carrow::FileIO::InstallEncoderDialogs();
    int shown = 0;
    CFGDialog::SetModalHook([&](CFGDialog& dialog) -> INT_PTR {
        ++shown;
        auto& tiff = dynamic_cast<CEncoderTiffDlg&>(dialog);
        QTest::mouseClick(&tiff.RadioButton(1), Qt::LeftButton);
        QTest::mouseClick(&tiff.OkButton(), Qt::LeftButton);
        return 0;
    });
    const auto tiff = Carrow::FileIO::GetEncoderOptionsProvider()->AskEncoderOptions(EncoderDialog::Tiff);
    Carrow::FileIO::SetDefaultEncoderOptionsProvider(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(tiff.nCompression, 2);
}

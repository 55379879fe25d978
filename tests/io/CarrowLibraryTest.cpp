// Library start-up, the encoder lookup and the encoder options providers.

#include "IoTestSupport.h"
#include "io/Carrow.h"
#include "io/EncoderCatalog.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/IEncoderOptionsProvider.h"
#include "io/ImageFormatIds.h"
#include "io/ScopedEncoderOptionsProvider.h"

using namespace Carrow::FileIO;

TEST(CarrowLibrary, StartAndStopMayBeRepeated)
{
    // The test environment has started the library already.
    EXPECT_EQ(Carrow::InitCarrow(), 1);
    Carrow::UnInitCarrow();
    Carrow::UnInitCarrow(); // not started: nothing happens
    EXPECT_EQ(Carrow::InitCarrow(), 1);
    EXPECT_EQ(Carrow::InitCarrow(), 1);
}

TEST(CarrowLibrary, EncoderLookupByFormat)
{
    GUID clsid{};
    ASSERT_EQ(GetEncoderClsidFromFormat(ImageFormatBMP, clsid), 1);
    EXPECT_EQ(clsid, EncoderClsidBMP);
    ASSERT_EQ(GetEncoderClsidFromFormat(ImageFormatJPEG, clsid), 1);
    EXPECT_EQ(clsid, EncoderClsidJPEG);
    ASSERT_EQ(GetEncoderClsidFromFormat(ImageFormatPNG, clsid), 1);
    EXPECT_EQ(clsid, EncoderClsidPNG);
    ASSERT_EQ(GetEncoderClsidFromFormat(ImageFormatTIFF, clsid), 1);
    EXPECT_EQ(clsid, EncoderClsidTIFF);
    EXPECT_EQ(GuidToString(EncoderClsidJPEG), L"{557CF401-1A04-11D3-9A73-0000F81EF32E}");

    const IoTest::LogWatch log;
    const GUID before = clsid;
    EXPECT_EQ(GetEncoderClsidFromFormat(ImageFormatGIF, clsid), 0);
    EXPECT_EQ(GetEncoderClsidFromFormat(GUID_NULL, clsid), 0);
    EXPECT_EQ(clsid, before);
    const auto lines = log.NewLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("FileIO::ImageFile::GetEncoderClsidFromFormat: Format not supported."), std::string::npos)
        << lines[0];
}

TEST(CarrowLibrary, EncodersAcceptTheirOptionParameters)
{
    EXPECT_EQ(EncoderCatalog::SupportedParameters(EncoderClsidJPEG), std::vector<GUID>{EncoderQuality});
    EXPECT_EQ(EncoderCatalog::SupportedParameters(EncoderClsidTIFF), std::vector<GUID>{EncoderCompression});
    EXPECT_TRUE(EncoderCatalog::SupportedParameters(EncoderClsidBMP).empty());
    EXPECT_TRUE(EncoderCatalog::SupportedParameters(GUID_NULL).empty());
}

TEST(EncoderOptionsProviders, DefaultConfirmsTheUntouchedDialogValues)
{
    for (EncoderDialog dialog : {EncoderDialog::Jpeg, EncoderDialog::Tiff}) {
        const EncoderOptions options = GetEncoderOptionsProvider()->AskEncoderOptions(dialog);
        EXPECT_TRUE(options.bConfirmed);
        EXPECT_EQ(options.nQuality, 100);
        EXPECT_EQ(options.nCompression, 6);
        EXPECT_EQ(options.bDropMetadata, FALSE);
    }
}

TEST(EncoderOptionsProviders, InstalledProviderWinsUntilRemoved)
{
    EncoderOptions jpeg;
    jpeg.nQuality = 42;
    const auto fixed = std::make_shared<FixedEncoderOptionsProvider>(jpeg, FixedEncoderOptionsProvider::Cancelled());
    {
        const ScopedEncoderOptionsProvider scoped(fixed);
        EXPECT_EQ(GetEncoderOptionsProvider()->AskEncoderOptions(EncoderDialog::Jpeg).nQuality, 42);
        EXPECT_FALSE(GetEncoderOptionsProvider()->AskEncoderOptions(EncoderDialog::Tiff).bConfirmed);
    }
    EXPECT_EQ(fixed->AskCount(), 2);
    EXPECT_EQ(GetEncoderOptionsProvider()->AskEncoderOptions(EncoderDialog::Jpeg).nQuality, 100);

    // A replaced default (the application's dialogs) answers when nothing is installed.
    SetDefaultEncoderOptionsProvider(fixed);
    EXPECT_EQ(GetEncoderOptionsProvider()->AskEncoderOptions(EncoderDialog::Jpeg).nQuality, 42);
    SetDefaultEncoderOptionsProvider(nullptr);
    EXPECT_EQ(GetEncoderOptionsProvider()->AskEncoderOptions(EncoderDialog::Jpeg).nQuality, 100);
}

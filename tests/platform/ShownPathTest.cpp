// Paths that come back from a file dialog, which shows names that are not
// UTF-8 readably: they are mapped back to the real names.
#include <gtest/gtest.h>

#include <fstream>

#include "ScratchFolder.h"
#include "platform/ShownPath.h"
#include "platform/TextConvert.h"

TEST(ShownPath, AReadablyShownNameLeadsBackToItsFile)
{
    ScratchFolder folder;
    const std::string base = folder.Path().string();
    std::filesystem::create_directory(base + "/Fotos M\xFCller");
    std::ofstream(base + "/Fotos M\xFCller/caf\xE9.jpg") << "photo";
    std::ofstream(base + "/Fotos M\xFCller/plain.jpg") << "photo";
    const std::wstring shownFolder = Utf8ToWide(base) + L"/Fotos M\u00FCller";

    EXPECT_EQ(WideToFileName(ResolveShownPath(shownFolder + L"/caf\u00E9.jpg")), base + "/Fotos M\xFCller/caf\xE9.jpg");
    EXPECT_EQ(WideToFileName(ResolveShownPath(shownFolder + L"/new \u00E9.jpg")), base + "/Fotos M\xFCller/new \xC3\xA9.jpg")
        << "a new name stays as typed, in its real folder";
    EXPECT_EQ(ResolveShownPath(Utf8ToWide(base) + L"/elsewhere/x.jpg"), Utf8ToWide(base) + L"/elsewhere/x.jpg");
    const std::wstring real = FileNameToWide(base + "/Fotos M\xFCller/plain.jpg");
    EXPECT_EQ(ResolveShownPath(real), real);
}

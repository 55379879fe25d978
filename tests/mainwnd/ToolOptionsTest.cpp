// The option strip with its rotating recommendation, the spot remover's
// panel, and the About box with its links, including on the first run.
#include <QTest>

#include "MainWndTestSupport.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/CommandIds.h"
#include "controls/FGButton.h"
#include "controls/FGMultiSliderPanel.h"
#include "controls/FGStatic.h"
#include "imagewindow/ImageMover.h"
#include "imagewindow/tools/SpotRemover.h"
#include "mainwnd/AboutDlg.h"
#include "mainwnd/ProductLinks.h"

using namespace MainWndTest;
using ImageWindow::EmbeddedTool::SpotRemover;

namespace {

std::wstring LoaderLine(int number)
{
    const std::wstring key = L"IDS_CORVANELOADER_VISIT_TARNWICK_SINGLE_LINE" + std::to_wstring(number);
    return LocalizeHelper::GetDictionaryItem("Loader", key.c_str());
}

} // namespace

class ToolOptions : public MainWindowFixture {};

TEST_F(ToolOptions, TheRecommendationRunsThroughLinesOneTwoZeroAndStopsWithTheWindow)
{
    CreateWindow();
    CEmbeddedToolOptionDlg& strip = dialog->GetToolOptions();
    ASSERT_NE(LoaderLine(0), LoaderLine(1));
    EXPECT_EQ(strip.GetLinkCtrl().GetWindowText(), LoaderLine(0));
    EXPECT_TRUE(strip.IsLineTimerRunning());
    for (int expected : {1, 2, 0, 1}) {
        strip.OnTimer(CEmbeddedToolOptionDlg::TIMER_LINE);
        EXPECT_EQ(strip.GetLinkCtrl().GetWindowText(), LoaderLine(expected));
    }
    strip.OnTimer(7);  // another timer changes nothing
    EXPECT_EQ(strip.GetLinkCtrl().GetWindowText(), LoaderLine(1));
    EXPECT_EQ(strip.GetNextLine(), 2);

    // Both the line and the icon lead to the sibling product; the line ends
    // at the strip's right, the icon just before it.
    const std::wstring sibling = ProductLinks::SiblingPage(theApp.m_strProductCode);
    EXPECT_TRUE(strip.GetLinkCtrl().IsHyperLinkMode());
    EXPECT_EQ(strip.GetLinkCtrl().GetHyperLink(), sibling);
    EXPECT_EQ(strip.GetIconCtrl().GetHyperLink(), sibling);
    EXPECT_LE(strip.GetLinkCtrl().geometry().right(), strip.width());
    EXPECT_GE(strip.GetLinkCtrl().width(), CEmbeddedToolOptionDlg::LINK_WIDTH);
    EXPECT_EQ(strip.GetIconCtrl().geometry().left(), strip.GetLinkCtrl().geometry().left() - 20);

    dialog->CloseMainWindow();
    EXPECT_FALSE(strip.IsLineTimerRunning());
}

TEST_F(ToolOptions, ThePanelShowsTheToolsSizeAndHandsEveryChangeToIt)
{
    auto* tool = dynamic_cast<SpotRemover*>(theApp.GetProductTool());
    ASSERT_NE(tool, nullptr);
    tool->SetSize(42);
    CreateWindow();
    CEBDTO_SpotRemover& panel = dialog->GetSpotRemoverOptions();
    ASSERT_NE(panel.GetSliderPanel(), nullptr);
    EXPECT_EQ(panel.GetSize(), 42);
    SLIDER_ITEM_INFO item;
    ASSERT_TRUE(panel.GetSliderPanel()->GetSliderInfo(0, item));
    EXPECT_EQ(item.iValue, 42);
    EXPECT_EQ(item.iMin, 1);
    EXPECT_EQ(item.iMax, 500);

    panel.GetSliderPanel()->SetSliderValue(0, 77);  // as the slider moves
    EXPECT_EQ(tool->GetSize(), 77);
    EXPECT_EQ(panel.GetSize(), 77);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_LE(panel.geometry().bottom(), dialog->GetToolOptions().height());
}

TEST_F(ToolOptions, AStoredSizeOutOfRangeOpensAtFifteen)
{
    auto* tool = dynamic_cast<SpotRemover*>(theApp.GetProductTool());
    ASSERT_NE(tool, nullptr);
    for (int stored : {0, 600}) {
        tool->SetSize(stored);
        QWidget parent;  // made first, so the panel (its child) goes first
        CEBDTO_SpotRemover panel;
        ASSERT_TRUE(panel.Create(tool, &parent));
        EXPECT_EQ(panel.GetSize(), 15) << stored;
        EXPECT_EQ(tool->GetSize(), 15) << stored;  // the tool gets the start value too
    }
}

TEST_F(ToolOptions, ThePanelAcceptsOnlyTheSpotRemover)
{
    ImageWindow::EmbeddedTool::ImageMover mover;
    QWidget parent;
    CEBDTO_SpotRemover panel;
    EXPECT_FALSE(panel.Create(&mover, &parent));
    EXPECT_FALSE(panel.Create(nullptr, &parent));
    EXPECT_EQ(panel.GetSliderPanel(), nullptr);
    EXPECT_EQ(panel.parentWidget(), nullptr);
}

TEST_F(ToolOptions, TheFirstRunOpensTheAboutBoxOnceTheWindowIsUp)
{
    CreateWindow(false);
    Pump();
    ASSERT_EQ(modalDialogs, std::vector<std::string>{"CAboutDlg"});
    dialog.reset();
    theApp.SetMainWindow(nullptr);
    modalDialogs.clear();
    theApp.m_nAppState = CCorvaneLoaderApp::APPSTATE_STARTING;
    CreateWindow(true);  // a later run, with the placement stored
    Pump();
    EXPECT_TRUE(modalDialogs.empty());
    PressKey(Qt::Key_F1);
    EXPECT_EQ(modalDialogs, std::vector<std::string>{"CAboutDlg"});
}

TEST_F(ToolOptions, TheAboutBoxShowsTheTranslatedTextsAndLinks)
{
    CreateWindow();
    std::wstring caption, name, version, sibling, productLink, siblingLink, okText;
    bool okFocused = false;
    CFGDialog::SetModalHook([&](CFGDialog& modal) -> INT_PTR {
        auto& about = dynamic_cast<CAboutDlg&>(modal);
        caption = about.windowTitle().toStdWString();
        name = about.GetNameCtrl().GetWindowText();
        productLink = about.GetNameCtrl().GetHyperLink();
        sibling = about.GetSiblingLineCtrl().GetWindowText();
        siblingLink = about.GetSiblingIconCtrl().GetHyperLink();
        okText = about.GetOkButton().GetWindowText();
        okFocused = about.focusWidget() == &about.GetOkButton();
        QTest::keyClick(&about, Qt::Key_Escape);  // Escape closes the box
        return -1;
    });
    dialog->DispatchCommand(IDM_ABOUT);
    EXPECT_EQ(caption, dialog->GetAboutText());
    EXPECT_EQ(caption, L"About " + theApp.m_strAppName);
    EXPECT_EQ(name, theApp.m_strAppName);
    EXPECT_EQ(productLink, ProductLinks::ProductPage(theApp.m_strProductCode));
    EXPECT_EQ(siblingLink, ProductLinks::SiblingPage(theApp.m_strProductCode));
    EXPECT_EQ(sibling, LocalizeHelper::GetDictionaryItem("Loader", L"IDS_CORVANELOADER_VISIT_TARNWICK"));
    EXPECT_EQ(okText, LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_ABOUTDLG_BUTTON_OK"));
    EXPECT_TRUE(okFocused);
}

TEST(ProductLinksTest, AddressesCarryTheEditionAndNothingElse)
{
    EXPECT_EQ(ProductLinks::ProductPage(L"sr"), L"https://www.quillmark.com/corvaneloader/sr/");
    EXPECT_EQ(ProductLinks::SiblingPage(L"CST"), L"https://www.quillmark.com/tarnwick/?from=corvaneloader-cst");
    EXPECT_EQ(ProductLinks::ProductPage(L"a b/../c?"), L"https://www.quillmark.com/corvaneloader/abc/");
    EXPECT_EQ(ProductLinks::SiblingPage(L""), L"https://www.quillmark.com/tarnwick/");
}

// Every language's texts fit the fixed sizes of the boxes that show them:
// the message box buttons, the About box, the JPEG and TIFF options, the
// option strip's rotating line, the spot remover's slider label and the
// status bar's save progress. The
// About box and the strip would grow for a longer text; the shipped texts
// never make them. Each language runs with its dictionaries loaded as a user
// with that locale gets them, in the skin's font.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QFontMetrics>
#include <QLabel>

#include "MainWndTestSupport.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/AppMessageBox.h"
#include "app/CommandIds.h"
#include "controls/FGButton.h"
#include "controls/FGStatusBarCtrl.h"
#include "io/EncoderJpegDlg.h"
#include "io/EncoderTiffDlg.h"
#include "mainwnd/AboutDlg.h"
#include "mainwnd/EmbeddedToolOptionDlg.h"
#include "platform/SystemFolders.h"
#include "platform/WideFormat.h"
#include "support/ScopedEnv.h"

using namespace MainWndTest;

namespace {

::testing::AssertionResult Fits(const QWidget& widget, const QString& text, int needed, int available)
{
    if (needed <= available) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << widget.metaObject()->className() << " '" << text.toStdString()
                                         << "' needs " << needed << " pixels, has " << available;
}

// A label shows its text on one line within its width, or word-wrapped
// within its height.
::testing::AssertionResult ShowsWholeText(const QLabel& label)
{
    const QFontMetrics metrics(label.font());
    if (!label.wordWrap()) return Fits(label, label.text(), metrics.horizontalAdvance(label.text()), label.width());
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, label.width(), 10000), Qt::TextWordWrap, label.text());
    return Fits(label, label.text(), wrapped.height(), label.height());
}

// A push button keeps 4 pixels on each side for its frame; a check box or
// radio button puts its mark before the text; a group box's title sits 8
// pixels in, on a gap 8 pixels wider than the text.
::testing::AssertionResult ShowsWholeText(const CFGButton& button)
{
    const int textWidth = QFontMetrics(button.font()).horizontalAdvance(button.text());
    if (button.IsCheckBox() || button.IsRadioButton())
        return Fits(button, button.text(), button.sizeHint().width(), button.width());
    if (button.GetButtonType() == BS_GROUPBOX) return Fits(button, button.text(), textWidth + 24, button.width());
    return Fits(button, button.text(), textWidth + 8, button.width());
}

// Checks every visible label and button inside `window`.
void ExpectEveryTextFits(const QWidget& window)
{
    int checked = 0;
    for (const QWidget* child : window.findChildren<QWidget*>()) {
        if (!child->isVisibleTo(&window)) continue;
        if (const auto* label = qobject_cast<const QLabel*>(child); label && !label->text().isEmpty()) {
            EXPECT_TRUE(ShowsWholeText(*label));
            ++checked;
        } else if (const auto* button = dynamic_cast<const CFGButton*>(child); button && !button->text().isEmpty()) {
            EXPECT_TRUE(ShowsWholeText(*button));
            ++checked;
        }
    }
    EXPECT_GT(checked, 0) << window.metaObject()->className() << " shows no text";
}

// Opens `dialog` modally and checks its texts while it is up.
void ExpectEveryTextFitsWhenShown(CFGDialog& dialog)
{
    CFGDialog::SetModalHook([](CFGDialog& shown) -> INT_PTR {
        ExpectEveryTextFits(shown);
        return IDCANCEL;
    });
    dialog.DoModal();
    CFGDialog::SetModalHook({});
}

// The main window with the dictionaries of the locale the test runs in.
class TranslatedTextsFit : public MainWindowFixture, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        m_locale = std::make_unique<CorvaneTest::ScopedEnv>("LC_ALL", GetParam().c_str());
        LoadDictionaries();
    }
    void TearDown() override
    {
        CFGDialog::SetModalHook({});
        m_locale.reset();
        LoadDictionaries();
        MainWindowFixture::TearDown();
    }
    static void LoadDictionaries()
    {
        const std::wstring folder = theApp.m_strWorkingPath;
        LocalizeHelper::LoadDictionary((folder + L"Lan.lc").c_str(), "Dictionary");
        LocalizeHelper::LoadDictionary((folder + L"Loader.lc").c_str(), "Loader");
        LocalizeHelper::LoadDictionary((folder + L"Tool.lc").c_str(), "Tool");
    }

private:
    std::unique_ptr<CorvaneTest::ScopedEnv> m_locale;
};

} // namespace

TEST_P(TranslatedTextsFit, MessageBoxButtonsOfEveryKind)
{
    for (UINT type = MB_OK; type <= MB_CANCELTRYCONTINUE; ++type) {
        CFGDialog::SetModalHook([](CFGDialog& box) -> INT_PTR {
            ExpectEveryTextFits(box);
            return IDCANCEL;
        });
        ShowAppMessageBox(nullptr, theApp.m_strAppName, L"?", type | MB_ICONQUESTION);
    }
}

TEST_P(TranslatedTextsFit, AboutBoxAndSaveOptions)
{
    CreateWindow();
    CFGDialog::SetModalHook([](CFGDialog& about) -> INT_PTR {
        ExpectEveryTextFits(about);
        EXPECT_EQ(about.size(), QSize(CAboutDlg::CLIENT_WIDTH, CAboutDlg::CLIENT_HEIGHT));
        return IDOK;
    });
    dialog->DispatchCommand(IDM_ABOUT);
    CEncoderJpegDlg jpeg;
    ExpectEveryTextFitsWhenShown(jpeg);
    CEncoderTiffDlg tiff;
    ExpectEveryTextFitsWhenShown(tiff);
}

TEST_P(TranslatedTextsFit, OptionStripLinesToolOptionsAndSaveProgress)
{
    CreateWindow();
    dialog->resize(900, 600);
    // The status bar keeps 6 pixels on each side of a part's text.
    dialog->ShowStatusText(FormatWide(LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_MSG_SAVING"), L"100 %"));
    CFGStatusBarCtrl& status = dialog->GetStatusBar();
    const QString progress = QString::fromStdWString(status.GetText(CMainDlg::STATUS_IMAGEINFO));
    EXPECT_TRUE(Fits(status, progress, QFontMetrics(status.font()).horizontalAdvance(progress) + 12,
                     status.GetPartRect(CMainDlg::STATUS_IMAGEINFO).width()));
    CEmbeddedToolOptionDlg& strip = dialog->GetToolOptions();
    for (int line = 0; line < CEmbeddedToolOptionDlg::LINE_COUNT; ++line) {
        ExpectEveryTextFits(*dialog);
        EXPECT_EQ(strip.GetLinkCtrl().width(), CEmbeddedToolOptionDlg::LINK_WIDTH) << strip.GetLinkCtrl().GetWindowText();
        strip.OnTimer(CEmbeddedToolOptionDlg::TIMER_LINE);
    }
}

namespace {

// English ("C") and every language laid out beside the test program, as
// locale names ("de.UTF-8").
std::vector<std::string> Locales()
{
    std::vector<std::string> locales{"C.UTF-8"};
    const std::filesystem::path folder = std::filesystem::path(GetModuleFilePath()).parent_path();
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (std::filesystem::exists(entry.path() / "Lan.lc")) locales.push_back(entry.path().filename().string() + ".UTF-8");
    return locales;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Languages, TranslatedTextsFit, ::testing::ValuesIn(Locales()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param == "C.UTF-8" ? std::string("en") : info.param.substr(0, info.param.find('.'));
                         });

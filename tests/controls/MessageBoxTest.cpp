#include "SkinFixture.h"

#include "controls/FGButton.h"
#include "controls/FGMessageBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs the box with a hook that calls `inspect` on the shown box; returns
// DoModal's result. The hook answers 0 when the box did not end itself.
INT_PTR RunBox(CFGMessageBox& box, UINT type, const std::function<void(CFGMessageBox&)>& inspect)
{
    CFGDialog::SetModalHook([&](CFGDialog& dialog) -> INT_PTR {
        inspect(static_cast<CFGMessageBox&>(dialog));
        return 0;
    });
    const INT_PTR result = box.DoModal(type);
    CFGDialog::SetModalHook({});
    return result;
}

class MessageBox : public ::testing::Test {
protected:
    void SetUp() override { LoadProgramSkin(); }
    QFontMetrics Metrics() const { return QFontMetrics(FGGetFont()); }
};

} // namespace

TEST_F(MessageBox, OneLineShorterThanTheButtonsIsCentredBesideTheIcon)
{
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    CFGMessageBox box(&owner);
    box.SetText(L"Saved.", L"CorvaneLoader");
    RunBox(box, MB_YESNOCANCEL | MB_ICONQUESTION, [&](CFGMessageBox& shown) {
        const QSize button = CFGDialog::MapDialogUnits(50, 14);
        const int row = 3 * button.width() + 2 * 10;
        ASSERT_GT(row, Metrics().horizontalAdvance("Saved."));
        EXPECT_EQ(shown.size(), QSize(62 + row, 32 + button.height() + 40));
        const int lineHeight = Metrics().height();
        const RECT text = shown.GetTextRect();
        EXPECT_EQ(text.left, 52);
        EXPECT_EQ(text.top, 10 + (32 - lineHeight) / 2) << "the shorter text is centred beside the icon";
        EXPECT_EQ(shown.GetIconRect(), (RECT{10, 10, 42, 42}));
        EXPECT_EQ(shown.windowTitle(), "CorvaneLoader");
        // Buttons: Yes, No, Cancel from the left, 10 pixels apart, centred, 10 above the bottom.
        const int left = (shown.width() - row) / 2;
        int expectedLeft = left;
        for (UINT id : {6u, 7u, 2u}) {
            const QRect g = shown.GetButton(id)->geometry();
            EXPECT_EQ(g, QRect(expectedLeft, shown.height() - button.height() - 10, button.width(), button.height()));
            expectedLeft += button.width() + 10;
        }
        const QPoint offCentre = shown.frameGeometry().center() - owner.frameGeometry().center();
        EXPECT_LE(offCentre.manhattanLength(), 2) << "centred over the owner " << shown.frameGeometry().x() << ","
                                                  << shown.frameGeometry().y() << " " << shown.frameGeometry().width()
                                                  << "x" << shown.frameGeometry().height() << " owner "
                                                  << owner.frameGeometry().x() << "," << owner.frameGeometry().y() << " "
                                                  << owner.frameGeometry().width() << "x" << owner.frameGeometry().height();
        EXPECT_TRUE(shown.GetButton(6)->IsDefaultButton());
    });
}

TEST_F(MessageBox, FiveLinesCentreTheIconBesideTheText)
{
    CFGMessageBox box(nullptr);
    const std::wstring longest = L"The file could not be written to the folder you chose for it.";
    box.SetText((L"one\ntwo\r\n" + longest + L"\nfour\nfive").c_str(), L"Caption");
    ASSERT_EQ(box.GetLines().size(), 5u);
    EXPECT_EQ(box.GetLines()[1], L"two") << "a carriage return before the line feed is not text";
    RunBox(box, MB_OK | MB_ICONERROR, [&](CFGMessageBox& shown) {
        const int textHeight = 5 * Metrics().height();
        const int textWidth = Metrics().horizontalAdvance(QString::fromStdWString(longest));
        const QSize button = CFGDialog::MapDialogUnits(50, 14);
        EXPECT_EQ(shown.size(), QSize(62 + std::max(textWidth, button.width()), textHeight + button.height() + 40));
        EXPECT_EQ(shown.GetTextRect(), (RECT{52, 10, 52 + textWidth, 10 + textHeight}));
        const int shift = (textHeight - 32) / 2;
        EXPECT_EQ(shown.GetIconRect(), (RECT{10, 10 + shift, 42, 42 + shift}));
    });
}

TEST_F(MessageBox, ALongLineBreaksAtSpacesAndALongWordStaysWhole)
{
    CFGMessageBox box(nullptr);
    std::wstring sentence;
    for (int i = 0; i < 12; ++i) sentence += L"The picture could not be saved there. ";
    sentence.pop_back();
    const std::wstring path = L"/home/ann/" + std::wstring(120, L'x') + L".jpg";
    box.SetText((sentence + L"\n" + path).c_str(), L"Caption");
    RunBox(box, MB_OK | MB_ICONERROR, [&](CFGMessageBox& shown) {
        const std::vector<std::wstring>& lines = shown.GetLines();
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines.back(), path) << "a word wider than a line is not cut";
        std::wstring joined;
        int widest = 0;
        for (size_t i = 0; i + 1 < lines.size(); ++i) {
            joined += (i ? L" " : L"") + lines[i];
            widest = std::max(widest, Metrics().horizontalAdvance(QString::fromStdWString(lines[i])));
        }
        EXPECT_EQ(joined, sentence) << "only spaces become line breaks";
        EXPECT_LE(widest, 480);
        EXPECT_GT(widest, 480 - Metrics().horizontalAdvance("picture ")) << "lines are filled";
        EXPECT_EQ(shown.GetTextRect().bottom - shown.GetTextRect().top,
                  static_cast<int>(lines.size()) * Metrics().height());
    });
}

TEST_F(MessageBox, EachTypeShowsItsButtonsAndItsCloseBoxAnswer)
{
    struct Case {
        UINT type;
        std::vector<int> buttons;
        INT_PTR closeAnswer; // 0: the close box does nothing
    };
    const Case cases[] = {
        {MB_OK, {IDOK}, IDOK},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, IDCANCEL},
        {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, IDIGNORE},
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
        {MB_YESNO, {IDYES, IDNO}, IDNO},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDCANCEL},
        {MB_CANCELTRYCONTINUE, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, IDCANCEL},
        {7, {}, 0},
    };
    for (const Case& c : cases) {
        CFGMessageBox box(nullptr);
        box.SetText(L"Question?", L"App");
        const INT_PTR result = RunBox(box, c.type, [&](CFGMessageBox& shown) {
            EXPECT_EQ(shown.GetShownButtons(), c.buttons) << "type " << c.type;
            for (UINT id = 1; id <= 11; ++id) {
                const bool shownButton = std::find(c.buttons.begin(), c.buttons.end(), int(id)) != c.buttons.end();
                EXPECT_EQ(shown.GetButton(id)->isVisible(), shownButton) << "type " << c.type << " id " << id;
                EXPECT_EQ(shown.GetButton(id)->isEnabled(), shownButton);
            }
            shown.close(); // the close box
        });
        EXPECT_EQ(result, c.closeAnswer) << "type " << c.type;
    }
}

TEST_F(MessageBox, ButtonsEndTheBoxWithTheirIdAndCarryTheirTexts)
{
    CFGMessageBox box(nullptr);
    box.SetText(L"Save?", L"App");
    box.SetButtonText(IDYES, L"Ja");
    box.SetButtonText(12, L"ignored");
    EXPECT_EQ(box.GetButtonText(12), L"");
    EXPECT_EQ(box.GetButtonText(IDNO), L"No") << "default English text";
    const INT_PTR result = RunBox(box, MB_YESNOCANCEL, [](CFGMessageBox& shown) {
        EXPECT_EQ(shown.GetButton(IDYES)->text(), "Ja");
        QTest::mouseClick(shown.GetButton(IDNO), Qt::LeftButton);
    });
    EXPECT_EQ(result, IDNO);

    // Enter presses the first button; Escape answers as the close box does.
    EXPECT_EQ(RunBox(box, MB_YESNO, [](CFGMessageBox& shown) { QTest::keyClick(&shown, Qt::Key_Return); }), IDYES);
    EXPECT_EQ(RunBox(box, MB_YESNO, [](CFGMessageBox& shown) { QTest::keyClick(&shown, Qt::Key_Escape); }), IDNO);
}

TEST_F(MessageBox, IconFollowsTheIconFlags)
{
    const std::pair<UINT, UINT> cases[] = {{MB_ICONERROR, MB_ICONHAND},
                                           {MB_ICONQUESTION, MB_ICONQUESTION},
                                           {MB_ICONEXCLAMATION, MB_ICONEXCLAMATION},
                                           {MB_ICONINFORMATION, MB_ICONASTERISK},
                                           {0, MB_ICONASTERISK},
                                           {0x70, MB_ICONASTERISK}};
    for (const auto& [flags, icon] : cases) {
        CFGMessageBox box(nullptr);
        box.SetText(L"x", L"y");
        RunBox(box, MB_OK | flags, [&](CFGMessageBox& shown) { EXPECT_EQ(shown.GetIconType(), icon) << flags; });
    }
}

TEST_F(MessageBox, WithoutAHookTheRealModalLoopRuns)
{
    CFGMessageBox box(nullptr);
    box.SetText(L"Replace the file?", L"App");
    QTimer::singleShot(0, [&box] {
        ASSERT_TRUE(box.isVisible());
        EXPECT_TRUE(box.isModal());
        QTest::mouseClick(box.GetButton(IDRETRY), Qt::LeftButton);
    });
    EXPECT_EQ(box.DoModal(MB_RETRYCANCEL | MB_ICONEXCLAMATION), IDRETRY);
    EXPECT_FALSE(box.isVisible());
}

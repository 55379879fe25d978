// The static text, buttons and edit box.

#include "SkinFixture.h"

#include "controls/FGButton.h"
#include "controls/FGEdit.h"
#include "controls/FGStatic.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override { LoadProgramSkin(); }
    void TearDown() override { CFGStatic::SetShellOpenHandler({}); }
};

} // namespace

TEST_F(Controls, HyperlinkOpensItsAddressOrItsText)
{
    std::vector<std::wstring> opened;
    CFGStatic::SetShellOpenHandler([&](const std::wstring& address) { opened.push_back(address); });
    MessageRecorder parent;
    CFGStatic link;
    link.Create(L"www.example.org", WS_VISIBLE, RECT{0, 0, 150, 20}, &parent, 1001);
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_TRUE(opened.empty()) << "a plain static opens nothing";
    EXPECT_EQ(link.cursor().shape(), Qt::ArrowCursor);

    link.EnableHyperLinkMode(TRUE);
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&link, Qt::LeftButton);
    link.SetHyperLink(L"https://example.org/product");
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"www.example.org", L"https://example.org/product"}));

    EXPECT_EQ(link.SetTextColor(RGB(200, 0, 0)), FGGetColor(2));
    EXPECT_EQ(link.GetDrawTextColor(), RGB(0, 0, 200)) << "the link stays blue";
    link.EnableHyperLinkMode(FALSE);
    EXPECT_EQ(link.GetDrawTextColor(), RGB(200, 0, 0));
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor) << "the notify style stays";
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 2u) << "outside hyperlink mode a click opens nothing";
}

TEST_F(Controls, ThreeStateCheckBoxCyclesAndReportsClicks)
{
    MessageRecorder parent;
    CFGButton box;
    box.Create(L"Keep", WS_VISIBLE | BS_AUTO3STATE, RECT{0, 0, 120, 20}, &parent, 2003);
    EXPECT_EQ(box.CurrentBitmapKey(), L"checkbox_uncheck");
    std::vector<int> states;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(&box, Qt::LeftButton);
        states.push_back(box.GetCheck());
    }
    EXPECT_EQ(states, (std::vector<int>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));
    ASSERT_EQ(parent.Count(WM_COMMAND), 3);
    EXPECT_EQ(parent.received[0].wParam, MAKELONG(2003, BN_CLICKED));
    EXPECT_EQ(parent.received[0].lParam, FGControlParam(&box));
    box.SetCheck(BST_INDETERMINATE);
    box.setEnabled(false);
    EXPECT_EQ(box.CurrentBitmapKey(), L"checkbox_mid_dis");

    CFGButton twoState;
    twoState.SetButtonStyle(BS_AUTOCHECKBOX);
    twoState.SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(twoState.GetCheck(), BST_CHECKED) << "a two-state box has no third state";
}

TEST_F(Controls, RadioButtonsOfAGroupExcludeEachOther)
{
    MessageRecorder parent;
    CFGButton a, b, other, group;
    a.Create(L"A", WS_VISIBLE | BS_AUTORADIOBUTTON, RECT{0, 0, 60, 20}, &parent, 1);
    b.Create(L"B", WS_VISIBLE | BS_AUTORADIOBUTTON, RECT{0, 20, 60, 40}, &parent, 2);
    other.Create(L"C", WS_VISIBLE | BS_AUTORADIOBUTTON, RECT{0, 40, 60, 60}, &parent, 3);
    other.SetRadioGroup(1);
    group.Create(L"Group", WS_VISIBLE | BS_GROUPBOX, RECT{0, 0, 100, 100}, &parent, 4);
    a.SetCheck(BST_CHECKED);
    other.SetCheck(BST_CHECKED);
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(a.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(b.GetCheck(), BST_CHECKED);
    EXPECT_EQ(other.GetCheck(), BST_CHECKED) << "another group is left alone";
    EXPECT_EQ(b.CurrentBitmapKey(), L"radio_check");
    b.setEnabled(false);
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(parent.Count(WM_COMMAND), 1) << "a disabled radio button reports nothing";
    EXPECT_TRUE(group.testAttribute(Qt::WA_TransparentForMouseEvents)) << "a group box takes no clicks";
}

TEST_F(Controls, NumberEditReadsLikeTheRuntimeAndClamps)
{
    MessageRecorder parent;
    CFGEdit edit;
    edit.Create(WS_VISIBLE | ES_CENTER, RECT{0, 0, 60, 20}, &parent, 102);
    edit.SetNumberMode(TRUE);
    edit.SetRange(1, 100);
    int value = 0;
    for (const auto& [text, expected] : std::vector<std::pair<QString, int>>{
             {"42", 42}, {"  7x", 7}, {"", 1}, {"abc", 1}, {"-5", 1}, {"250", 100}, {"99999999999", 100}}) {
        edit.setText(text);
        EXPECT_EQ(edit.GetValue(value), expected) << text.toStdString();
    }
    edit.SetRange(5, 1); // an empty range is ignored: no clamping
    edit.setText("-5");
    EXPECT_EQ(edit.GetValue(value), -5);

    EXPECT_EQ(parent.Count(WM_COMMAND), 8) << "every text change reports EN_CHANGE";
    EXPECT_EQ(HIWORD(static_cast<DWORD>(parent.received.back().wParam)), EN_CHANGE);
    EXPECT_EQ(LOWORD(static_cast<DWORD>(parent.received.back().wParam)), 102);

    edit.SetFloatMode(TRUE);
    edit.SetRange(0.5, 3.0);
    edit.SetPrecision(2);
    edit.SetValue(1.25);
    EXPECT_EQ(edit.GetWindowText(), L"1.25");
    edit.SetValue(7.0);
    EXPECT_EQ(edit.GetWindowText(), L"3.00");
    double real = 0;
    edit.setText("0.1");
    EXPECT_DOUBLE_EQ(edit.GetValue(real), 0.5);

    edit.SetFloatMode(FALSE);
    edit.SetRange(0, 50);
    edit.SetStep(5);
    edit.SetValue(10);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.GetWindowText(), L"15");
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.GetWindowText(), L"5");
    edit.clear();
    QTest::keyClicks(&edit, "1a2");
    EXPECT_EQ(edit.GetWindowText(), L"12") << "number mode takes no letters";
}

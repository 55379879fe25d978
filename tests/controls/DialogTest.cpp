#include "SkinFixture.h"

#include "controls/FGButton.h"
#include "controls/FGDialog.h"
#include "controls/FGEdit.h"
#include "controls/FGMenubar.h"
#include "controls/FGStatic.h"
#include "controls/FGTooltipCtrl.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace {

// A dialog that records its life: how often it was initialised and laid out
// and which commands reached it.
class ProbeDialog : public CFGDialog {
public:
    explicit ProbeDialog(DWORD style, QWidget* parent = nullptr) : CFGDialog(500, parent), m_ok(this)
    {
        SetStyle(style);
        m_ok.SetDlgCtrlID(IDOK);
        m_ok.SetButtonStyle(BS_DEFPUSHBUTTON);
        m_ok.SetWindowText(L"OK");
    }
    int adjusted{0};
    std::vector<UINT> commands;
    CFGButton m_ok;

protected:
    void AdjustCtrls() override
    {
        ++adjusted;
        m_ok.setGeometry(10, 10, 80, 24);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        commands.push_back(LOWORD(static_cast<DWORD>(wParam)));
        return CFGDialog::OnCommand(wParam, lParam);
    }
};

class Dialog : public ::testing::Test {
protected:
    void SetUp() override { LoadProgramSkin(); }
};

} // namespace

TEST_F(Dialog, EscapeAndEnterNeverCloseAChildPanel)
{
    QWidget window;
    window.resize(400, 300);
    ProbeDialog panel(WS_CHILD | WS_VISIBLE);
    ASSERT_TRUE(panel.Create(1001, &window));
    window.show();
    EXPECT_FALSE(panel.isWindow());
    EXPECT_EQ(panel.adjusted, 1) << "OnInitDialog lays the controls out";
    EXPECT_EQ(panel.GetMenubar(), nullptr) << "a child dialog has no menu bar";
    QTest::keyClick(&panel, Qt::Key_Escape);
    QTest::keyClick(&panel, Qt::Key_Return);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.commands, (std::vector<UINT>{IDCANCEL, IDOK}));

    RECT client{};
    panel.GetClientRect(&client);
    EXPECT_EQ(client, (RECT{0, 0, panel.width(), panel.height()}));
    QMenu menu;
    menu.addAction("File");
    EXPECT_EQ(panel.SetMenu(&menu), FALSE);
}

TEST_F(Dialog, EscapeAndEnterEndAPopupDialog)
{
    ProbeDialog dialog(WS_POPUP | WS_CAPTION);
    CFGDialog::SetModalHook([](CFGDialog& shown) -> INT_PTR {
        QTest::keyClick(&shown, Qt::Key_Escape);
        return 99;
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    CFGDialog::SetModalHook([](CFGDialog& shown) -> INT_PTR {
        QTest::keyClick(&shown, Qt::Key_Return); // presses the default button
        return 99;
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    CFGDialog::SetModalHook([](CFGDialog&) -> INT_PTR { return 42; });
    EXPECT_EQ(dialog.DoModal(), 42) << "a dialog the hook leaves open returns the hook's answer";
    CFGDialog::SetModalHook({});
}

TEST_F(Dialog, PopupMenuBarTakesTheTopOfTheClientArea)
{
    ProbeDialog dialog(WS_POPUP | WS_CAPTION);
    CFGDialog::SetModalHook([](CFGDialog& shown) -> INT_PTR {
        EXPECT_NE(shown.GetMenubar(), nullptr);
        EXPECT_FALSE(shown.GetMenubar()->isVisible()) << "hidden until a menu is set";
        EXPECT_EQ(shown.SetMenu(nullptr), FALSE);
        QMenu menu;
        menu.addAction("Open");
        menu.addAction("Close");
        EXPECT_EQ(shown.SetMenu(&menu), TRUE);
        EXPECT_EQ(shown.GetMenubar()->GetItemCount(), 2);
        RECT client{};
        shown.GetClientRect(&client);
        EXPECT_EQ(client.top, shown.GetMenubar()->height());
        const QPoint origin = shown.mapToGlobal(QPoint(0, 0));
        POINT p{origin.x() + 5, origin.y() + 30};
        shown.ScreenToClient(&p);
        EXPECT_EQ(p.x, 5);
        EXPECT_EQ(p.y, 30 - 24);
        return IDCANCEL;
    });
    dialog.DoModal();
    CFGDialog::SetModalHook({});
}

TEST_F(Dialog, StandardChildrenGetTheSkinColours)
{
    QLineEdit editable, readOnly, disabled;
    readOnly.setReadOnly(true);
    disabled.setEnabled(false);
    const FGCtlColor e = CFGDialog::CtlColorFor(&editable);
    EXPECT_EQ(e.handling, FGCtlColor::Skin);
    EXPECT_EQ(*e.text, RGB(0, 0, 0));
    EXPECT_EQ(*e.background, RGB(255, 255, 255));
    EXPECT_EQ(e.brushColour, 24u);
    const FGCtlColor r = CFGDialog::CtlColorFor(&readOnly);
    EXPECT_EQ(*r.text, RGB(0, 0, 0));
    EXPECT_EQ(*r.background, RGB(230, 230, 230));
    const FGCtlColor d = CFGDialog::CtlColorFor(&disabled);
    EXPECT_EQ(*d.text, FGGetColor(3));
    EXPECT_EQ(*d.background, RGB(230, 230, 230));

    QLabel label;
    EXPECT_EQ(*CFGDialog::CtlColorFor(&label).text, RGB(0, 0, 0));
    CFGStatic skinned;
    CFGEdit skinnedEdit;
    EXPECT_EQ(CFGDialog::CtlColorFor(&skinned).handling, FGCtlColor::ControlOwn);
    EXPECT_EQ(CFGDialog::CtlColorFor(&skinnedEdit).handling, FGCtlColor::ControlOwn);
    CFGButton group;
    group.SetButtonStyle(BS_GROUPBOX);
    EXPECT_EQ(*CFGDialog::CtlColorFor(&group).text, RGB(0, 0, 0));

    // A dialog keeps the colours in step when an edit changes state.
    CFGDialog dialog;
    auto* child = new QLineEdit(&dialog);
    CFGDialog::SetModalHook([&](CFGDialog&) -> INT_PTR {
        EXPECT_EQ(child->palette().color(QPalette::Base), QColor(255, 255, 255));
        child->setReadOnly(true);
        EXPECT_EQ(child->palette().color(QPalette::Base), QColor(230, 230, 230));
        return IDCANCEL;
    });
    dialog.DoModal();
    CFGDialog::SetModalHook({});

    // The skinned edit colours itself by the same rules.
    EXPECT_EQ(CFGEdit::ColoursFor(false, false), std::make_pair(FGGetColor(3), RGB(230, 230, 230)));
}

TEST_F(Dialog, TooltipsFontAndItems)
{
    ProbeDialog dialog(WS_POPUP);
    EXPECT_EQ(dialog.SetCtrlTooptip(IDOK, L"Confirm"), TRUE);
    EXPECT_EQ(dialog.GetTooltipCtrl()->GetToolText(&dialog.m_ok), L"Confirm");
    EXPECT_EQ(dialog.SetCtrlTooptip(12345, L"nobody"), FALSE);
    EXPECT_EQ(dialog.SetDlgItemText(IDOK, L"Go"), TRUE);
    EXPECT_EQ(dialog.GetDlgItemText(IDOK), L"Go");
    EXPECT_EQ(dialog.SetDlgItemText(777, L"x"), FALSE);
    QFont big("Arial");
    big.setPixelSize(30);
    dialog.SetChildsFont(&big);
    EXPECT_EQ(dialog.m_ok.font().pixelSize(), 30);
    dialog.SetChildsFont(nullptr);
    EXPECT_EQ(dialog.m_ok.font().pixelSize(), 14);
    const QSize units = CFGDialog::MapDialogUnits(4, 8);
    EXPECT_GT(units.width(), 3);
    EXPECT_EQ(units.height(), QFontMetrics(FGGetFont()).height());
}

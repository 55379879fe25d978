#include "SkinFixture.h"

#include "controls/FGEdit.h"
#include "controls/FGMultiSliderCtrl.h"
#include "controls/FGMultiSliderPanel.h"
#include "controls/FGSliderCtrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

namespace {

SLIDER_ITEM_INFO IntOption(const wchar_t* name, int min, int max, int value)
{
    SLIDER_ITEM_INFO item;
    item.strName = name;
    item.bEditable = 1;
    item.iMin = min;
    item.iMax = max;
    item.iValue = value;
    return item;
}

SLIDER_ITEM_INFO FloatOption(const wchar_t* name, float min, float max, float value, int precision = 2)
{
    SLIDER_ITEM_INFO item;
    item.strName = name;
    item.bEditable = 1;
    item.bInteger = 0;
    item.iPrecision = precision;
    item.fMin = min;
    item.fMax = max;
    item.fValue = value;
    return item;
}

// The clone stamp's three pen options.
std::vector<SLIDER_ITEM_INFO> PenOptions()
{
    return {IntOption(L"Radius", 0, 250, 2), IntOption(L"Hardness", 1, 100, 100), IntOption(L"Opacity", 1, 100, 100)};
}

class MultiSlider : public ::testing::Test {
protected:
    void SetUp() override { LoadProgramSkin(); }
};

} // namespace

TEST_F(MultiSlider, SetSliderInfoAcceptsOneToNineOptions)
{
    CFGMultiSliderPanel panel;
    std::vector<SLIDER_ITEM_INFO> items(10, IntOption(L"x", 0, 10, 5));
    EXPECT_EQ(panel.SetSliderInfo(items.data(), 10, 70, 150, 40, 5), 0);
    EXPECT_EQ(panel.SetSliderInfo(items.data(), 0, 70, 150, 40, 5), 0);
    EXPECT_EQ(panel.SetSliderInfo(nullptr, 3, 70, 150, 40, 5), 0);
    EXPECT_EQ(panel.GetSliderCount(), 0) << "a refused call changes nothing";
    EXPECT_EQ(panel.SetSliderInfo(items.data(), 9, 70, 150, 40, 5), 1);
    EXPECT_EQ(panel.GetSliderCount(), 9);
    SLIDER_ITEM_INFO out;
    EXPECT_EQ(panel.GetSliderInfo(9, out), 0);
    EXPECT_EQ(panel.GetSliderInfo(-1, out), 0);
    EXPECT_EQ(panel.GetSliderInfo(8, out), 1);
    EXPECT_EQ(out.iValue, 5);
    EXPECT_EQ(panel.Create(0, 0, nullptr, 1, FALSE), 0) << "a child panel needs a parent";
}

TEST_F(MultiSlider, ClonePenPopupSizeSummaryAndOneClosedMessage)
{
    MessageRecorder parent;
    parent.resize(400, 200);
    CFGMultiSliderCtrl line(&parent);
    line.setGeometry(0, 0, 260, 20);
    const std::vector<SLIDER_ITEM_INFO> pen = PenOptions();
    ASSERT_EQ(line.SetSliderInfo(pen.data(), 3, 70, 150, 40, 5), 1);
    EXPECT_EQ(line.GetWindowText(), L"Radius: 2 Hardness: 100 Opacity: 100 ");
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

    QTest::mouseClick(&line, Qt::LeftButton, {}, QPoint(10, 10));
    CFGMultiSliderPanel& popup = line.GetPanel();
    ASSERT_TRUE(popup.IsCreated());
    EXPECT_TRUE(popup.IsPopup());
    EXPECT_EQ(popup.size(), QSize(270, 76));
    EXPECT_EQ(popup.pos(), line.mapToGlobal(QPoint(0, line.height())));
    EXPECT_EQ(popup.GetSlider(0)->geometry(), QRect(75, 5, 150, 20));
    EXPECT_EQ(popup.GetEdit(2)->geometry(), QRect(225, 49, 40, 20));
    EXPECT_EQ(FGGetDlgCtrlID(popup.GetSlider(1)), 111u);

    // Move the radius to 40 by typing, then click elsewhere: the pop-up closes.
    popup.GetEdit(0)->setText("40");
    QTest::mouseClick(parent.windowHandle(), Qt::LeftButton, {}, QPoint(390, 190));
    QApplication::processEvents();
    EXPECT_FALSE(popup.IsCreated());
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(parent.Count(WM_FGMULTISLIDER_CLOSED), 1);
    EXPECT_EQ(parent.Count(WM_FGMULTISLIDER_CHANGED), 0) << "the line keeps change messages to itself";
    EXPECT_EQ(line.GetWindowText(), L"Radius: 40 Hardness: 100 Opacity: 100 ");
    SLIDER_ITEM_INFO radius;
    ASSERT_EQ(line.GetSliderInfo(0, radius), 1);
    EXPECT_EQ(radius.iValue, 40);

    // It opens again with the values chosen before; closing twice sends once.
    ASSERT_TRUE(line.OpenPanel());
    EXPECT_FALSE(line.OpenPanel()) << "already open";
    EXPECT_EQ(popup.GetSlider(0)->GetPos(), 40);
    popup.DestroyWindow();
    popup.DestroyWindow();
    EXPECT_EQ(parent.Count(WM_FGMULTISLIDER_CLOSED), 2);
}

TEST_F(MultiSlider, FloatingPointOptionUsesHundredthsOnTheSlider)
{
    MessageRecorder parent;
    CFGMultiSliderPanel panel;
    SLIDER_ITEM_INFO scale = FloatOption(L"Scale", 0.5f, 3.0f, 1.25f);
    ASSERT_EQ(panel.SetSliderInfo(&scale, 1, 50, 150, 40, 0), 1);
    ASSERT_EQ(panel.Create(0, 0, &parent, 7, FALSE), 1);
    EXPECT_EQ(panel.GetDlgCtrlID(), 7u);
    CFGSliderCtrl* slider = panel.GetSlider(0);
    EXPECT_EQ(slider->GetRangeMin(), 50);
    EXPECT_EQ(slider->GetRangeMax(), 300);
    EXPECT_EQ(slider->GetPos(), 125);
    EXPECT_EQ(panel.GetEdit(0)->GetWindowText(), L"1.25");

    panel.SetSliderValue(0, 9.0); // clamped to 3.00
    SLIDER_ITEM_INFO out;
    panel.GetSliderInfo(0, out);
    EXPECT_FLOAT_EQ(out.fValue, 3.0f);
    EXPECT_EQ(panel.GetEdit(0)->GetWindowText(), L"3.00");
    panel.SetSliderValue(0, 2); // the integer form does nothing for a floating-point option
    panel.GetSliderInfo(0, out);
    EXPECT_FLOAT_EQ(out.fValue, 3.0f);
    EXPECT_GT(parent.Count(WM_FGMULTISLIDER_CHANGED), 0) << "a child panel reports to its parent";
}

TEST_F(MultiSlider, OpeningThePanelNeverChangesAFloatingPointValue)
{
    // 0.53 x 100 is 52.99999 in single precision; truncating would turn the
    // value into 0.52 just by opening the panel.
    MessageRecorder parent;
    for (float value : {0.53f, 0.57f, 2.51f, 1.13f}) {
        CFGMultiSliderPanel panel;
        SLIDER_ITEM_INFO item = FloatOption(L"v", 0.0f, 10.0f, value);
        panel.SetSliderInfo(&item, 1, 50, 100, 40, 0);
        ASSERT_EQ(panel.Create(0, 0, &parent, 1, FALSE), 1);
        SLIDER_ITEM_INFO out;
        panel.GetSliderInfo(0, out);
        EXPECT_FLOAT_EQ(out.fValue, value);
    }
}

TEST_F(MultiSlider, SliderAndEditMoveTogether)
{
    MessageRecorder parent;
    parent.resize(300, 100);
    CFGMultiSliderPanel panel;
    SLIDER_ITEM_INFO size = IntOption(L"Size", 1, 500, 10);
    size.iStep = 5;
    panel.SetSliderInfo(&size, 1, 70, 150, 40, 0);
    ASSERT_EQ(panel.Create(0, 0, &parent, 1001, FALSE), 1);
    panel.SetNotifyWnd(&parent);
    parent.show();
    CFGSliderCtrl* slider = panel.GetSlider(0);
    slider->SetLineSize(3);
    parent.received.clear();

    // A press jumps straight to the pressed point and posts thumb-track moves.
    const QRect channel = slider->GetChannelRect();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(channel.right(), 10));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(channel.right(), 10));
    EXPECT_EQ(slider->GetPos(), slider->PosFromPoint(channel.right()));
    EXPECT_GT(slider->GetPos(), 490);
    QApplication::processEvents(); // posted WM_HSCROLL
    SLIDER_ITEM_INFO out;
    panel.GetSliderInfo(0, out);
    EXPECT_EQ(out.iValue, slider->GetPos());
    EXPECT_EQ(panel.GetEdit(0)->GetWindowText(), std::to_wstring(out.iValue));
    EXPECT_GT(parent.Count(WM_FGMULTISLIDER_CHANGED), 0);

    // An arrow key moves by the line size, never to the minimum.
    panel.SetSliderValue(0, 200);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    panel.GetSliderInfo(0, out);
    EXPECT_EQ(out.iValue, 203);
    QTest::keyClick(slider, Qt::Key_Left);
    QTest::keyClick(slider, Qt::Key_Left);
    panel.GetSliderInfo(0, out);
    EXPECT_EQ(out.iValue, 197);

    // Typing a number moves the slider; out-of-range numbers are clamped.
    panel.GetEdit(0)->setText("42");
    EXPECT_EQ(slider->GetPos(), 42);
    panel.GetEdit(0)->setText("9999");
    panel.GetSliderInfo(0, out);
    EXPECT_EQ(out.iValue, 500);
    panel.SetSliderValue(0, -7);
    panel.GetSliderInfo(0, out);
    EXPECT_EQ(out.iValue, 1);

    // Locked notifications send nothing; a closed child panel keeps set values.
    panel.LockNotify();
    parent.received.clear();
    panel.GetEdit(0)->setText("50");
    EXPECT_EQ(parent.Count(WM_FGMULTISLIDER_CHANGED), 0);
    panel.DestroyWindow();
    EXPECT_EQ(parent.Count(WM_FGMULTISLIDER_CLOSED), 0);
    panel.SetSliderValue(0, 77);
    panel.GetSliderInfo(0, out);
    EXPECT_EQ(out.iValue, 77);
}

TEST_F(MultiSlider, SummaryKeepsAFloatingPointValueApartFromTheNextLabel)
{
    CFGMultiSliderPanel panel;
    std::wstring text = L"stale";
    panel.ToString(text);
    EXPECT_EQ(text, L"");
    SLIDER_ITEM_INFO items[3] = {FloatOption(L"Zoom", 0, 8, 1.5f, 1), IntOption(L"Size", 0, 9, 3),
                                 FloatOption(L"Gamma", 0, 5, 2.25f, 3)};
    panel.SetSliderInfo(items, 3, 10, 10, 10, 0);
    panel.ToString(text);
    EXPECT_EQ(text, L"Zoom: 1.5 Size: 3 Gamma: 2.250");
}

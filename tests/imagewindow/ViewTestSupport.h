#pragma once
// Helpers of the image view tests: hand-built bottom-up bitmaps, a parent
// widget that records the view's notifications, a tool that records the
// hooks it hears, and a fixture with a created, shown view.

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QStyle>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "imagewindow/IEmbeddedTool.h"
#include "imagewindow/ImageWindow.h"
#include "platform/NotifyEvent.h"

namespace ViewTest {

/// A bottom-up DIB whose pixel at (x, y) (row 0 at the top) is colour(x, y)
/// as 0x00RRGGBB.
struct TestDib {
    BITMAPINFO info{};
    std::vector<BYTE> pixels;

    TestDib(int width, int height, int bits, const std::function<QRgb(int, int)>& colour)
    {
        const std::size_t stride = DibStride(width, static_cast<WORD>(bits));
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB,
                          static_cast<DWORD>(stride * height), 0, 0, 0, 0};
        pixels.assign(stride * height, 0xEE);  // padding bytes keep a visible value
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                BYTE* p = pixels.data() + stride * (height - 1 - y) + x * (bits / 8);
                const QRgb c = colour(x, y);
                p[0] = static_cast<BYTE>(qBlue(c));
                p[1] = static_cast<BYTE>(qGreen(c));
                p[2] = static_cast<BYTE>(qRed(c));
            }
    }
};

/// A settings blob of little-endian 32-bit integers.
inline std::vector<BYTE> Int32Blob(std::initializer_list<int> values)
{
    std::vector<BYTE> blob;
    for (int v : values)
        for (int shift = 0; shift < 32; shift += 8) blob.push_back(static_cast<BYTE>((v >> shift) & 0xFF));
    return blob;
}

/// Asymmetric test pattern: every pixel of a picture up to 256 × 256 differs.
inline QRgb Pattern(int x, int y) { return qRgb(x & 0xFF, y & 0xFF, (x * 7 + y * 13) & 0xFF); }

struct Notification {
    UINT code;
    HWND from;
    UINT_PTR id;
    WPARAM wParam;
    bool posted;
};

/// The view's parent: records every notification; returns `result` to sent ones.
class NotifyRecorder : public QWidget {
public:
    std::vector<Notification> received;
    LRESULT result{0};

    std::vector<UINT> Codes() const
    {
        std::vector<UINT> codes;
        for (const auto& n : received) codes.push_back(n.code);
        return codes;
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != CNotifyEvent::EventType()) return QWidget::event(e);
        auto* notify = static_cast<CNotifyEvent*>(e);
        const NMHDR& h = notify->GetHeader();
        received.push_back({h.code, h.hwndFrom, h.idFrom, notify->GetWParam(), notify->IsPosted()});
        if (notify->IsPosted()) notify->TakeHeader();  // the receiver frees the posted header
        notify->SetResult(result);
        return true;
    }
};

/// A tool that logs every hook by name and consumes what `consume` names.
class RecordingTool final : public ImageWindow::IEmbeddedTool {
public:
    std::vector<std::string> calls;
    std::vector<UINT> keys;
    std::vector<UINT_PTR> timers;
    std::vector<CPoint> points;
    bool consume{false};
    int loadResult{1};

    RecordingTool() : IEmbeddedTool(L"recording_tool", 1) {}

    int Count(const std::string& name) const { return static_cast<int>(std::count(calls.begin(), calls.end(), name)); }

    int OnLoad(ImageWindow::CImageWindow& view) override
    {
        calls.push_back("OnLoad");
        if (!loadResult) return 0;
        return IEmbeddedTool::OnLoad(view);
    }
    int OnUnload() override { return Log("OnUnload", 1); }
    int OnPrePaint(QPainter&, CRect&) override { return Log("OnPrePaint", 0); }
    int OnPostPaint(QPainter&, CRect&) override { return Log("OnPostPaint", 0); }
    int OnSetCursor(QWidget*, UINT, UINT) override
    {
        if (consume) GetView()->SetCursor(Qt::PointingHandCursor);
        return Log("OnSetCursor", consume);
    }
    int OnTimer(UINT_PTR id) override
    {
        timers.push_back(id);
        return Log("OnTimer", 0);
    }
    int OnLButtonDown(UINT, CPoint p) override { return LogPoint("OnLButtonDown", p, consume); }
    int OnLButtonUp(UINT, CPoint p) override { return LogPoint("OnLButtonUp", p, consume); }
    int OnLButtonDblClk(UINT, CPoint p) override { return LogPoint("OnLButtonDblClk", p, consume); }
    int OnMouseMove(UINT, CPoint p) override { return LogPoint("OnMouseMove", p, consume); }
    int OnMouseWheel(UINT, short, CPoint) override { return Log("OnMouseWheel", consume); }
    int OnKeyDown(UINT vk, UINT, UINT) override { return LogKey("OnKeyDown", vk); }
    int OnKeyUp(UINT vk, UINT, UINT) override { return LogKey("OnKeyUp", vk); }
    int OnSysKeyDown(UINT vk, UINT, UINT) override { return LogKey("OnSysKeyDown", vk); }
    int OnSysKeyUp(UINT vk, UINT, UINT) override { return LogKey("OnSysKeyUp", vk); }
    int OnCaptureChanged(QWidget*) override { return Log("OnCaptureChanged", 0); }
    void OnZoomChanged() override { calls.push_back("OnZoomChanged"); }

private:
    int Log(const char* name, int result)
    {
        calls.push_back(name);
        return result;
    }
    int LogPoint(const char* name, CPoint p, int result)
    {
        points.push_back(p);
        return Log(name, result);
    }
    int LogKey(const char* name, UINT vk)
    {
        keys.push_back(vk);
        return Log(name, consume);
    }
};

constexpr UINT kViewId = 1002;
constexpr COLORREF kGrey = RGB(150, 150, 150);

/// A shown parent with a created, shown view filling it.
class ViewFixture : public ::testing::Test {
protected:
    NotifyRecorder parent;
    ImageWindow::CImageWindow view;

    void SetUp() override { CreateView(300, 200); }

    void CreateView(int width, int height)
    {
        parent.resize(width, height);
        ASSERT_EQ(view.Create(RECT{0, 0, width, height}, &parent, kViewId, kGrey), 1);
        view.show();
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    void Show(TestDib& dib, double zoom = 1.0)
    {
        ASSERT_EQ(view.SetBitmap(dib.info, dib.pixels.data()), 1);
        ASSERT_EQ(view.SetZoom(zoom), 1);
    }

    static int Extent() { return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

    CRect Usable() const
    {
        CRect r;
        view.GetClientRect(&r);
        return r;
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, at, view.mapToGlobal(at), button, held, modifiers);
        QApplication::sendEvent(&view, &event);
    }
    void Press(QPoint at) { Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void Release(QPoint at) { Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
    void DoubleClick(QPoint at) { Mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton); }
    void Move(QPoint at, Qt::MouseButtons held = Qt::NoButton) { Mouse(QEvent::MouseMove, at, Qt::NoButton, held); }
    /// The view's client point showing image pixel (x, y).
    QPoint At(int x, int y)
    {
        POINT p{x, y};
        view.FromBitmapToWnd(p);
        return {p.x, p.y};
    }
    /// A drag through image points, with time for a brush's tracking thread
    /// to sample each position. It first samples the press point, so the
    /// stroke's path starts there.
    void Drag(std::initializer_list<QPoint> imagePoints)
    {
        std::vector<QPoint> points;
        for (const QPoint& p : imagePoints) points.push_back(At(p.x(), p.y()));
        Press(points.front());
        QTest::qWait(40);
        for (std::size_t i = 1; i < points.size(); ++i) {
            QTest::qWait(25);
            Move(points[i], Qt::LeftButton);
        }
        QTest::qWait(25);
        Release(points.back());
    }
    /// Puts the pointer over the view (as the user would), which also moves it
    /// there; it passes a neighbouring pixel first so the move is never empty.
    void Hover(QPoint at)
    {
        QCursor::setPos(view.mapToGlobal(at + QPoint(1, 0)));
        QApplication::processEvents();
        QCursor::setPos(view.mapToGlobal(at));
        QApplication::processEvents();
    }

    QImage Screen()
    {
        QApplication::processEvents();
        return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

/// A view showing a Pattern picture of the given size and depth with a tool
/// of type ToolT loaded; the notifications of the set-up are forgotten.
template <typename ToolT>
class ToolFixture : public ViewFixture {
protected:
    ToolFixture(int width, int height, int bits) : dib(width, height, bits, Pattern) {}

    void SetUp() override
    {
        ViewFixture::SetUp();
        Show(dib);
        ASSERT_EQ(view.LoadEmbeddedTool(tool), 1);
        parent.received.clear();
    }

    ToolT tool;
    TestDib dib;
};

} // namespace ViewTest

// viewfold_gallery: shows a photograph in the image view, makes selections
// with the region selector by sending it mouse input as a person's arrives,
// and saves what the view shows as PNG files.
//
//   viewfold_gallery <output-folder> [photo]
//
// The photo defaults to opencv-doc's fruits.jpg; without it a drawn picture
// is used. Writes selection_fit_phase0.png and _phase1.png (an ellipse at the
// fit-to-window zoom, one border phase apart), selection_zoom200_phase0.png
// and _phase1.png (the same at 200 %, scrolled so the view cuts through it),
// selection_feathered.png with selection_feathered_mask.png (a rectangle
// feathered by 20 pixels: the view, and the photo dimmed outside the
// selection by its soft mask), selection_moving.png (that selection dragged
// half off the picture), selection_dragging.png (a rectangle being dragged,
// its inverting outline) and selection_wand.png (the magic wand); then, with
// the red-eye tool, redeye_fit.png and redeye_zoom200.png (its rubber band
// while a rectangle is dragged, at the fit-to-window zoom and at 200 %).
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include "imagewindow/ImageWindow.h"
#include "imagewindow/tools/RedeyeReduction.h"
#include "imagewindow/tools/RegionSelector.h"

using ImageWindow::CImageWindow;
using ImageWindow::EmbeddedTool::RedeyeReduction;
using ImageWindow::EmbeddedTool::RegionSelector;

namespace {

constexpr int kViewWidth = 640, kViewHeight = 440;

struct Photo {
    BITMAPINFO info{};
    std::vector<BYTE> pixels;
};

QImage LoadPicture(const QString& path)
{
    QImage picture(path);
    if (!picture.isNull()) return picture.convertToFormat(QImage::Format_RGB32);
    picture = QImage(800, 600, QImage::Format_RGB32);
    QPainter p(&picture);
    p.fillRect(picture.rect(), QColor(90, 140, 200));
    p.setBrush(QColor(200, 120, 40));
    p.drawEllipse(QRect(200, 150, 400, 300));
    return picture;
}

// The picture as the program holds it: a 32-bit bottom-up DIB.
Photo ToDib(const QImage& picture)
{
    Photo photo;
    const int w = picture.width(), h = picture.height();
    photo.info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 32, BI_RGB, static_cast<DWORD>(w * 4 * h), 0, 0, 0, 0};
    photo.pixels.resize(static_cast<std::size_t>(w) * 4 * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(photo.pixels.data() + static_cast<std::size_t>(h - 1 - y) * w * 4, picture.constScanLine(y),
                    static_cast<std::size_t>(w) * 4);
    return photo;
}

class Gallery {
public:
    Gallery(const QDir& out, Photo& photo) : m_Out(out)
    {
        m_Parent.resize(kViewWidth, kViewHeight);
        m_View.Create(RECT{0, 0, kViewWidth, kViewHeight}, &m_Parent, 1002, RGB(150, 150, 150));
        m_View.show();
        m_Parent.show();
        m_View.SetBitmap(photo.info, photo.pixels.data());
        m_View.LoadEmbeddedTool(m_Tool);
        QApplication::processEvents();
    }

    double FitZoom() const
    {
        return std::min(double(kViewWidth) / m_View.iBmpWidth(), double(kViewHeight) / m_View.iBmpHeight());
    }

    // A drag with the left button from `from` to `to` (window coordinates).
    void Drag(QPoint from, QPoint to, bool release = true)
    {
        Send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        for (int step = 1; step <= 8; ++step)
            Send(QEvent::MouseMove, from + (to - from) * step / 8, Qt::NoButton, Qt::LeftButton);
        if (release) Release(to);
        QApplication::processEvents();
    }

    void Release(QPoint at) { Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }

    // Saves the view, then waits for the next border step and saves again.
    bool SaveTwoPhases(const char* stem)
    {
        bool ok = Save(QString("%1_phase0.png").arg(stem));
        const unsigned phase = m_View.Selection().Phase();
        for (int i = 0; i < 40 && m_View.Selection().Phase() == phase; ++i) {
            QThread::msleep(20);
            QApplication::processEvents();
        }
        return ok && Save(QString("%1_phase1.png").arg(stem));
    }

    bool Save(const QString& name) { return Save(Grab(), name); }

    bool Save(const QImage& picture, const QString& name)
    {
        const QString path = m_Out.filePath(name);
        if (!picture.save(path, "PNG")) {
            std::fprintf(stderr, "viewfold_gallery: cannot write %s\n", qPrintable(path));
            return false;
        }
        std::printf("%s\n", qPrintable(path));
        return true;
    }

    QImage Grab()
    {
        QApplication::processEvents();
        return m_View.grab().toImage();
    }

    // The photo dimmed outside the selection by its soft mask.
    QImage MaskPicture(const QImage& photo)
    {
        QImage shown = photo.copy();
        const std::vector<BYTE>& mask = m_View.vSelectMask();
        for (int y = 0; y < shown.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x) {
                const int m = mask[static_cast<std::size_t>(y) * shown.width() + x];
                const auto dim = [m](int c) { return c * (64 + 191 * m / 255) / 255; };
                row[x] = qRgb(dim(qRed(row[x])), dim(qGreen(row[x])), dim(qBlue(row[x])));
            }
        }
        return shown;
    }

    CImageWindow& View() { return m_View; }
    RegionSelector& Tool() { return m_Tool; }
    /// Puts the red-eye tool in the region selector's place.
    void LoadRedeyeTool() { m_View.LoadEmbeddedTool(m_Redeye); }

private:
    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, m_View.mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&m_View, &event);
    }

    QDir m_Out;
    QWidget m_Parent;
    CImageWindow m_View;
    RegionSelector m_Tool;
    RedeyeReduction m_Redeye;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: viewfold_gallery <output-folder> [photo]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    const QImage picture =
        LoadPicture(argc == 3 ? QString::fromLocal8Bit(argv[2]) : "/usr/share/doc/opencv-doc/examples/data/fruits.jpg");
    Photo photo = ToDib(picture);
    Gallery gallery(out, photo);
    CImageWindow& view = gallery.View();
    RegionSelector& tool = gallery.Tool();

    view.SetZoom(gallery.FitZoom());
    tool.SetSelectMode(RegionSelector::SELECTMODE_ELLIPSE);
    gallery.Drag({140, 90}, {460, 330});
    bool ok = gallery.SaveTwoPhases("selection_fit");

    view.SetZoom(2.0);
    const CPoint centre = view.GetDispPosition();
    view.SetDispPosition(centre.x + 150, centre.y + 120);
    ok &= gallery.SaveTwoPhases("selection_zoom200");

    view.SetZoom(gallery.FitZoom());
    tool.SetSelectMode(RegionSelector::SELECTMODE_RECTANGLE);
    tool.SetFeatheringRadius(20);
    gallery.Drag({120, 100}, {420, 300});
    ok &= gallery.Save("selection_feathered.png");
    ok &= gallery.Save(gallery.MaskPicture(picture), "selection_feathered_mask.png");

    tool.SetFeatheringRadius(0);
    gallery.Drag({200, 150}, {330, 230}, false);  // a press inside the selection drags it
    ok &= gallery.Save("selection_moving.png");
    gallery.Release({330, 230});

    tool.SetSelectOverlapMode(RegionSelector::OVERLAPMODE_ADD);
    gallery.Drag({150, 300}, {300, 400}, false);
    ok &= gallery.Save("selection_dragging.png");
    gallery.Release({300, 400});

    view.ClearSelection();  // a click inside a selection would take it away instead
    tool.SetSelectOverlapMode(RegionSelector::OVERLAPMODE_NEW);
    tool.SetSelectMode(RegionSelector::SELECTMODE_MAGICWAND);
    tool.SetTorlerance(40);
    gallery.Drag({250, 250}, {250, 250});
    ok &= gallery.Save("selection_wand.png");

    view.ClearSelection();
    gallery.LoadRedeyeTool();
    view.SetZoom(gallery.FitZoom());
    gallery.Drag({380, 260}, {250, 170}, false);  // dragged up and to the left
    ok &= gallery.Save("redeye_fit.png");
    gallery.Release({250, 170});
    view.SetZoom(2.0);
    gallery.Drag({200, 140}, {420, 300}, false);
    ok &= gallery.Save("redeye_zoom200.png");
    gallery.Release({420, 300});
    return ok ? 0 : 1;
}

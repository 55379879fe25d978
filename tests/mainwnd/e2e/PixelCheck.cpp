// Helper of the end-to-end run of the real program: makes the photo with a
// dark spot and a hair the run repairs, and checks the photos the program saved.
//
//   e2e_pixelcheck make  CLEAN SPOTTED        writes both photos (PNG)
//   e2e_pixelcheck check CLEAN SPOTTED SAVED  exit 0 when SAVED has the spot
//                                             repaired and nothing else changed
//   e2e_pixelcheck stroke CLEAN SPOTTED SAVED exit 0 when SAVED has the hair
//                                             healed, nothing changed away
//                                             from it, and the spot still there
//   e2e_pixelcheck same A B                   exit 0 when A and B have the
//                                             same pixels
//   e2e_pixelcheck hair                       prints the hair's corners, "x,y" a line
//   e2e_pixelcheck grab SCREEN                writes a screenshot of the whole
//                                             screen (run on the X display)
//   e2e_pixelcheck clone SPOTTED STROKED SCREEN LEFT TOP DX DY X0 X1 Y RADIUS
//                                             exit 0 when STROKED is SPOTTED with
//                                             a clone stroke along row Y from X0
//                                             to X1 (pen RADIUS) copying from the
//                                             offset (DX, DY), and the screenshot
//                                             SCREEN shows SPOTTED to the last
//                                             byte near (LEFT, TOP)
//
// The photo is 240 x 160 pixels: soft gradients with a fine texture, as a
// sky or a wall in a photograph, and in SPOTTED a dark spot of radius 3 at
// its centre (120, 80) and a dark hair 3 pixels wide along a bent line
// (kHair), row 0 at the top.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdio>
#include <cstdlib>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QString>

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;
constexpr int kSpotX = 120;
constexpr int kSpotY = 80;
constexpr int kSpotRadius = 3;
// A click may land a few image pixels beside the spot; the spot remover's
// square (15 pixels) then still covers it. Nothing farther away may change.
constexpr int kRepairRadius = 14;

// The hair's corners, and how far from its line a healing stroke along it
// may change pixels: half the spot size 15 and room for a hand that is a
// pixel or two off.
constexpr int kHair[][2] = {{20, 30}, {110, 42}, {205, 24}};
constexpr double kHairHalfWidth = 1.5;
constexpr double kStrokeReach = 8.0 + 3.0;

double HairDistance(int x, int y)
{
    double best = 1e9;
    for (std::size_t i = 1; i < std::size(kHair); ++i) {
        const double ax = kHair[i - 1][0], ay = kHair[i - 1][1], bx = kHair[i][0], by = kHair[i][1];
        const double dx = bx - ax, dy = by - ay;
        const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        best = std::min(best, std::hypot(x - (ax + t * dx), y - (ay + t * dy)));
    }
    return best;
}

int Texture(int x, int y)
{
    unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int>((h >> 24) % 7) - 3;  // -3 ... 3
}

QImage CleanPhoto()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int t = Texture(x, y);
            image.setPixel(x, y, qRgb(110 + x / 4 + t, 150 + y / 4 + t, 190 - x / 6 + t));
        }
    return image;
}

bool InCircle(int x, int y, int radius)
{
    return (x - kSpotX) * (x - kSpotX) + (y - kSpotY) * (y - kSpotY) <= radius * radius;
}

int Make(const char* cleanPath, const char* spottedPath)
{
    const QImage clean = CleanPhoto();
    QImage spotted = clean;
    for (int y = kSpotY - kSpotRadius; y <= kSpotY + kSpotRadius; ++y)
        for (int x = kSpotX - kSpotRadius; x <= kSpotX + kSpotRadius; ++x)
            if (InCircle(x, y, kSpotRadius)) spotted.setPixel(x, y, qRgb(25, 20, 18));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (HairDistance(x, y) <= kHairHalfWidth) spotted.setPixel(x, y, qRgb(30, 24, 22));
    if (!clean.save(QString::fromLocal8Bit(cleanPath), "PNG") ||
        !spotted.save(QString::fromLocal8Bit(spottedPath), "PNG")) {
        std::fprintf(stderr, "cannot write the photos\n");
        return 2;
    }
    return 0;
}

QImage Load(const char* path)
{
    return QImage(QString::fromLocal8Bit(path)).convertToFormat(QImage::Format_RGB888);
}

int ChannelDistance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

bool SameSizes(const QImage& clean, const QImage& spotted, const QImage& saved)
{
    if (!saved.isNull() && saved.size() == spotted.size() && clean.size() == spotted.size()) return true;
    std::fprintf(stderr, "saved photo missing or of another size\n");
    return false;
}

int Check(const char* cleanPath, const char* spottedPath, const char* savedPath)
{
    const QImage clean = Load(cleanPath), spotted = Load(spottedPath), saved = Load(savedPath);
    if (!SameSizes(clean, spotted, saved)) return 1;
    int changedOutside = 0, changedInside = 0;
    double spotDistance = 0.0, spotDistanceBefore = 0.0;
    int spotPixels = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool changed = saved.pixel(x, y) != spotted.pixel(x, y);
            if (!InCircle(x, y, kRepairRadius)) changedOutside += changed ? 1 : 0;
            else changedInside += changed ? 1 : 0;
            if (InCircle(x, y, kSpotRadius)) {
                spotDistance += ChannelDistance(saved.pixel(x, y), clean.pixel(x, y));
                spotDistanceBefore += ChannelDistance(spotted.pixel(x, y), clean.pixel(x, y));
                ++spotPixels;
            }
        }
    spotDistance /= spotPixels;
    spotDistanceBefore /= spotPixels;
    std::printf("changed near the spot: %d, changed elsewhere: %d, spot distance to the clean photo: %.1f (was %.1f)\n",
                changedInside, changedOutside, spotDistance, spotDistanceBefore);
    // Repaired: the spot's pixels lie within a few levels of the clean photo.
    const bool repaired = changedInside > 0 && spotDistance < 0.15 * spotDistanceBefore;
    return repaired && changedOutside == 0 ? 0 : 1;
}

// The hair is healed: its pixels lie within a few levels of the clean photo
// (mean) and none stays dark; nothing farther than a stroke's reach from it
// changed, so the spot is still there.
int CheckStroke(const char* cleanPath, const char* spottedPath, const char* savedPath)
{
    const QImage clean = Load(cleanPath), spotted = Load(spottedPath), saved = Load(savedPath);
    if (!SameSizes(clean, spotted, saved)) return 1;
    int changedAway = 0, hairPixels = 0, stillDark = 0;
    double distance = 0.0, before = 0.0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double d = HairDistance(x, y);
            if (d > kStrokeReach) changedAway += saved.pixel(x, y) != spotted.pixel(x, y) ? 1 : 0;
            if (d > kHairHalfWidth) continue;
            ++hairPixels;
            distance += ChannelDistance(saved.pixel(x, y), clean.pixel(x, y));
            before += ChannelDistance(spotted.pixel(x, y), clean.pixel(x, y));
            stillDark += ChannelDistance(saved.pixel(x, y), clean.pixel(x, y)) > 90 ? 1 : 0;
        }
    std::printf("hair pixels %d: distance to the clean photo %.1f (was %.1f), still dark %d; changed away from it: %d\n",
                hairPixels, distance / hairPixels, before / hairPixels, stillDark, changedAway);
    return distance < 0.1 * before && stillDark == 0 && changedAway == 0 ? 0 : 1;
}

int Same(const char* aPath, const char* bPath)
{
    const QImage a = Load(aPath), b = Load(bPath);
    const bool same = !a.isNull() && a == b;
    std::printf("%s and %s %s\n", aPath, bPath, same ? "have the same pixels" : "differ");
    return same ? 0 : 1;
}

int PrintHair()
{
    for (const auto& corner : kHair) std::printf("%d,%d\n", corner[0], corner[1]);
    return 0;
}

// The mouse lands within this many pixels of where the run aimed it (the
// view centres the photo, which rounds).
constexpr int kAimError = 2;

struct CloneStroke {
    int dx, dy;      // source - destination
    int x0, x1, y;   // the stroke's path, image pixels
    int radius;      // the pen's
    double DistanceToPath(int x, int y0) const
    {
        const int nearest = std::clamp(x, std::min(x0, x1), std::max(x0, x1));
        return std::hypot(x - nearest, y0 - y);
    }
};

bool Between(int value, int a, int b) { return value >= std::min(a, b) - 1 && value <= std::max(a, b) + 1; }

// Every changed pixel lies near the path and is the photo's pixel mixed with
// the one at the offset; near the path's middle line it is that one exactly.
int CheckClone(const QImage& spotted, const QImage& stroked, const CloneStroke& stroke)
{
    int copied = 0, faults = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const QRgb d = spotted.pixel(x, y), r = stroked.pixel(x, y);
            const int sx = x + stroke.dx, sy = y + stroke.dy;
            const bool sourceInside = sx >= 0 && sy >= 0 && sx < kWidth && sy < kHeight;
            const QRgb s = sourceInside ? spotted.pixel(sx, sy) : d;
            const double distance = stroke.DistanceToPath(x, y);
            bool good = true;
            // Beside the path (not beyond its ends, where the last stamp may
            // fall short of the release by the stamps' spacing) the pen's
            // full weight copies the source whole.
            const bool besidePath = x >= std::min(stroke.x0, stroke.x1) && x <= std::max(stroke.x0, stroke.x1);
            if (besidePath && distance <= stroke.radius - 1 - kAimError) good = r == s;
            else if (distance > stroke.radius + kAimError) good = r == d;
            else good = Between(qRed(r), qRed(d), qRed(s)) && Between(qGreen(r), qGreen(d), qGreen(s)) &&
                        Between(qBlue(r), qBlue(d), qBlue(s));
            copied += r == s && r != d;
            if (!good && faults++ < 10) std::fprintf(stderr, "pixel (%d, %d) at %.1f from the path is wrong\n", x, y, distance);
        }
    std::printf("clone stroke: %d pixels copied whole, %d wrong\n", copied, faults);
    return faults == 0 && copied > 0 ? 0 : 1;
}

// The screenshot shows `photo` whole, its top-left corner within a few
// pixels of (left, top).
bool ShowsAt(const QImage& screen, const QImage& photo, int left, int top)
{
    if (left < 0 || top < 0 || left + kWidth > screen.width() || top + kHeight > screen.height()) return false;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (screen.pixel(left + x, top + y) != photo.pixel(x, y)) return false;
    return true;
}

bool Shows(const QImage& screen, const QImage& photo, int left, int top)
{
    for (int dy = -2 * kAimError; dy <= 2 * kAimError; ++dy)
        for (int dx = -2 * kAimError; dx <= 2 * kAimError; ++dx)
            if (ShowsAt(screen, photo, left + dx, top + dy)) return true;
    return false;
}

int Clone(char** argv)
{
    const QImage spotted = Load(argv[2]), stroked = Load(argv[3]), screen = Load(argv[4]);
    if (spotted.size() != QSize(kWidth, kHeight) || stroked.size() != spotted.size() || screen.isNull()) {
        std::fprintf(stderr, "a photo is missing or of another size\n");
        return 1;
    }
    const CloneStroke stroke{std::atoi(argv[7]), std::atoi(argv[8]), std::atoi(argv[9]), std::atoi(argv[10]),
                             std::atoi(argv[11]), std::atoi(argv[12])};
    const int result = CheckClone(spotted, stroked, stroke);
    if (!Shows(screen, spotted, std::atoi(argv[5]), std::atoi(argv[6]))) {
        std::fprintf(stderr, "after Ctrl+Z the window does not show the photo as it was opened\n");
        return 1;
    }
    return result;
}

int Grab(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot take the screenshot\n");
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QString command = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    if (argc == 3 && command == QLatin1String("grab")) return Grab(argc, argv);
    if (argc == 4 && command == QLatin1String("make")) return Make(argv[2], argv[3]);
    if (argc == 5 && command == QLatin1String("check")) return Check(argv[2], argv[3], argv[4]);
    if (argc == 5 && command == QLatin1String("stroke")) return CheckStroke(argv[2], argv[3], argv[4]);
    if (argc == 4 && command == QLatin1String("same")) return Same(argv[2], argv[3]);
    if (argc == 2 && command == QLatin1String("hair")) return PrintHair();
    if (argc == 13 && command == QLatin1String("clone")) return Clone(argv);
    std::fprintf(stderr, "usage: %s make CLEAN SPOTTED | check CLEAN SPOTTED SAVED | stroke CLEAN SPOTTED SAVED |"
                         " same A B | hair | grab SCREEN |"
                         " clone SPOTTED STROKED SCREEN LEFT TOP DX DY X0 X1 Y RADIUS\n", argv[0]);
    return 2;
}

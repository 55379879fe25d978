// Helper of the end-to-end run of the real program: makes the photo with a
// dark spot the run repairs, and checks the photo the program saved.
//
//   e2e_pixelcheck make  CLEAN SPOTTED        writes both photos (PNG)
//   e2e_pixelcheck check CLEAN SPOTTED SAVED  exit 0 when SAVED has the spot
//                                             repaired and nothing else changed
//
// The photo is 240 x 160 pixels: soft gradients with a fine texture, as a
// sky or a wall in a photograph, and in SPOTTED a dark spot of radius 3 at
// its centre (120, 80), row 0 at the top.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QImage>
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
    if (!clean.save(QString::fromLocal8Bit(cleanPath), "PNG") ||
        !spotted.save(QString::fromLocal8Bit(spottedPath), "PNG")) {
        std::fprintf(stderr, "cannot write the photos\n");
        return 2;
    }
    return 0;
}

int ChannelDistance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

int Check(const char* cleanPath, const char* spottedPath, const char* savedPath)
{
    const QImage clean = QImage(QString::fromLocal8Bit(cleanPath)).convertToFormat(QImage::Format_RGB888);
    const QImage spotted = QImage(QString::fromLocal8Bit(spottedPath)).convertToFormat(QImage::Format_RGB888);
    const QImage saved = QImage(QString::fromLocal8Bit(savedPath)).convertToFormat(QImage::Format_RGB888);
    if (saved.isNull() || saved.size() != spotted.size() || clean.size() != spotted.size()) {
        std::fprintf(stderr, "saved photo missing or of another size\n");
        return 1;
    }
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

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && QString::fromLatin1(argv[1]) == QLatin1String("make")) return Make(argv[2], argv[3]);
    if (argc == 5 && QString::fromLatin1(argv[1]) == QLatin1String("check")) return Check(argv[2], argv[3], argv[4]);
    std::fprintf(stderr, "usage: %s make CLEAN SPOTTED | check CLEAN SPOTTED SAVED\n", argv[0]);
    return 2;
}

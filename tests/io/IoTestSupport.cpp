#include "IoTestSupport.h"

#include <QImageWriter>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/wait.h>

#include "io/Carrow.h"
#include "platform/TextConvert.h"
#include "support/PrivateLogFolder.h"

namespace IoTest {

namespace {

// The library is started once for the whole test program, as the
// application does at start-up, with a log of the program's own.
class CarrowEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_logFolder.emplace("test_io");
        ASSERT_EQ(Carrow::InitCarrow(), 1);
    }
    void TearDown() override
    {
        Carrow::UnInitCarrow();
        m_logFolder.reset();
    }

private:
    std::optional<CorvaneTest::PrivateLogFolder> m_logFolder;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new CarrowEnvironment);

} // namespace

std::wstring WidePath(const fs::path& path)
{
    return Utf8ToWide(path.string());
}

QImage PatternImage(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int alpha = (x * 37 + y * 11) % 256;
            image.setPixel(x, y, qRgba((x * 29 + y * 3) % 256, (y * 31 + x) % 256, (x * y + 7 * x + 13 * y) % 256, alpha));
        }
    }
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(width - 1, height - 1, qRgba(0, 0, 255, 0));
    return image.convertToFormat(format);
}

QImage SmoothImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(255 * x / width, 255 * y / height, 128 + 100 * (x - y) / (width + height)));
        }
    }
    return image;
}

void WriteWithQt(const QImage& image, const fs::path& path, const char* format, int quality)
{
    QImageWriter writer(QString::fromStdString(path.string()), format);
    if (quality >= 0) writer.setQuality(quality);
    ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();
}

TIFF* StartRgbTiff(const fs::path& path, uint32_t width, uint32_t height, int samples)
{
    TIFF* tiff = TIFFOpen(path.string().c_str(), "w");
    if (!tiff) return nullptr;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    return tiff;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<BYTE> RowsOf(const Carrow::FileIO::ImageFile& file, BITMAPINFO* info)
{
    BITMAPINFO header{};
    const auto* bits = static_cast<const BYTE*>(file.GetImageDataInfo(header));
    if (info) *info = header;
    if (!bits) return {};
    return std::vector<BYTE>(bits, bits + header.bmiHeader.biSizeImage);
}

int MaxPixelDifference(const Carrow::FileIO::ImageFile& file, const QImage& expected, bool compareAlpha)
{
    BITMAPINFO info{};
    const auto* bits = static_cast<const BYTE*>(file.GetImageDataInfo(info));
    const BITMAPINFOHEADER& h = info.bmiHeader;
    if (!bits || h.biWidth != expected.width() || h.biHeight != expected.height()) return -1;
    const QImage argb = expected.convertToFormat(QImage::Format_ARGB32);
    const std::size_t stride = h.biSizeImage / static_cast<DWORD>(h.biHeight);
    const int bytes = h.biBitCount / 8;
    int worst = 0;
    for (int y = 0; y < h.biHeight; ++y) {
        const BYTE* row = bits + static_cast<std::size_t>(h.biHeight - 1 - y) * stride;
        for (int x = 0; x < h.biWidth; ++x) {
            const QRgb want = argb.pixel(x, y);
            const BYTE* p = row + x * bytes;
            worst = std::max({worst, std::abs(p[0] - qBlue(want)), std::abs(p[1] - qGreen(want)),
                              std::abs(p[2] - qRed(want))});
            if (compareAlpha && bytes == 4) worst = std::max(worst, std::abs(p[3] - qAlpha(want)));
        }
    }
    return worst;
}

bool HaveExiv2Tool()
{
    int status = -1;
    RunShell("command -v exiv2 >/dev/null 2>&1", &status);
    return status == 0;
}

std::string RunShell(const std::string& command, int* exitStatus)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        if (exitStatus) *exitStatus = -1;
        return output;
    }
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    if (exitStatus) *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::map<std::string, std::vector<std::string>> ReadMetadataWithExiv2(const fs::path& path)
{
    std::map<std::string, std::vector<std::string>> keys;
    std::istringstream lines(RunShell("exiv2 -q -PEIkv " + ShellQuote(path.string()) + " 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line)) {
        const auto space = line.find(' ');
        if (space == std::string::npos) {
            if (!line.empty()) keys[line].emplace_back();
            continue;
        }
        const auto value = line.find_first_not_of(' ', space);
        keys[line.substr(0, space)].push_back(value == std::string::npos ? std::string() : line.substr(value));
    }
    return keys;
}

} // namespace IoTest

// corvane-batch end to end: the program is run as a user would run it, on
// pictures written for each test, and its output is checked with Qt and with
// the independent exiv2 tool.
#include <filesystem>
#include <fstream>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct RunResult {
    int status{-1};
    std::string out;
    std::string err;
};

RunResult RunProgram(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

RunResult Batch(const QStringList& args)
{
    return RunProgram(QCoreApplication::applicationDirPath() + "/corvane-batch", args);
}

// A photo-like picture: smooth shading with some texture, row 0 at the top.
QImage MakePhoto(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(90 + x % 50 + y / 4, 120 + (x * y) % 23, 150 - y / 3 + (x % 7)));
    return image;
}

class BatchTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = QDir::tempPath() + "/corvane-batch-tests-" + QString::number(QCoreApplication::applicationPid()) + "/" +
                 info->name();
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
    }
    QString Path(const char* name) const { return folder + "/" + name; }

    QString folder;
};

int Difference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

TEST_F(BatchTool, RemovesADustSpotAndChangesNothingElse)
{
    QImage photo = MakePhoto(160, 120);
    for (int y = 49; y <= 51; ++y)
        for (int x = 69; x <= 71; ++x) photo.setPixel(x, y, qRgb(15, 12, 10));  // dust at (70, 50)
    ASSERT_TRUE(photo.save(Path("in.png")));
    const RunResult run = Batch({"--spot", "70,50", Path("in.png"), Path("out.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage out = QImage(Path("out.png")).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(out.size(), photo.size());
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x) {
            const bool inSquare = std::abs(x - 70) <= 7 && std::abs(y - 50) <= 7;
            if (inSquare) continue;
            ASSERT_EQ(out.pixel(x, y), photo.pixel(x, y)) << x << "," << y;
        }
    }
    const QRgb neighbour = photo.pixel(70, 42);
    EXPECT_LT(Difference(out.pixel(70, 50), neighbour), 40) << "the dust is still there";
}

TEST_F(BatchTool, KeepsExifAndIptcOfAJpeg)
{
    ASSERT_TRUE(MakePhoto(200, 150).save(Path("in.jpg"), "JPEG", 92));
    const RunResult tag = RunProgram("exiv2", {"-M", "set Exif.Image.Artist Ada Corvane", "-M",
                                        "set Iptc.Application2.Caption Harbour at dawn", Path("in.jpg")});
    ASSERT_EQ(tag.status, 0) << tag.err;
    const RunResult run = Batch({"--spot", "20,20", "--quality", "90", Path("in.jpg"), Path("out.jpg")});
    ASSERT_EQ(run.status, 0) << run.err;
    const RunResult read = RunProgram("exiv2", {"-PEIkv", Path("out.jpg")});
    EXPECT_NE(read.out.find("Exif.Image.Artist"), std::string::npos) << read.out;
    EXPECT_NE(read.out.find("Ada Corvane"), std::string::npos) << read.out;
    EXPECT_NE(read.out.find("Iptc.Application2.Caption"), std::string::npos) << read.out;
    EXPECT_NE(read.out.find("Harbour at dawn"), std::string::npos) << read.out;

    const RunResult dropped = Batch({"--drop-metadata", Path("in.jpg"), Path("bare.jpg")});
    ASSERT_EQ(dropped.status, 0) << dropped.err;
    EXPECT_EQ(RunProgram("exiv2", {"-PEIkv", Path("bare.jpg")}).out.find("Ada Corvane"), std::string::npos);
}

TEST_F(BatchTool, TurnsAJpegLeftRightSideUp)
{
    QImage photo = MakePhoto(240, 160);
    for (int y = 0; y < 40; ++y)
        for (int x = 200; x < 240; ++x) photo.setPixel(x, y, qRgb(230, 20, 20));  // red top-right corner
    ASSERT_TRUE(photo.save(Path("in.jpg"), "JPEG", 95));
    const RunResult run = Batch({"--rotate", "left", Path("in.jpg"), Path("out.jpg")});
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage out(Path("out.jpg"));
    ASSERT_EQ(out.width(), 160);
    ASSERT_EQ(out.height(), 240);
    // Turned left, the top-right corner comes to the top-left.
    EXPECT_LT(Difference(out.pixel(15, 15), qRgb(230, 20, 20)), 30);
    EXPECT_GT(Difference(out.pixel(145, 15), qRgb(230, 20, 20)), 60);
    EXPECT_GT(Difference(out.pixel(15, 225), qRgb(230, 20, 20)), 60);

    const RunResult info = Batch({"--info", Path("out.jpg")});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("FromFile: 1\nWidth: 160\nHeight: 240\nBitsPerPixel: 24\n"), std::string::npos) << info.out;
}

TEST_F(BatchTool, AppliesASpotsFileToSeveralPhotos)
{
    QImage photo = MakePhoto(100, 80);
    photo.setPixel(30, 30, qRgb(0, 0, 0));
    photo.setPixel(60, 40, qRgb(0, 0, 0));
    ASSERT_TRUE(photo.save(Path("a.png")));
    ASSERT_TRUE(photo.save(Path("b.bmp")));
    std::ofstream(Path("spots.txt").toStdString()) << "# dust on the sensor\n30,30\n\n60,40,9  # smaller\n";
    QDir().mkpath(Path("out"));
    const RunResult run = Batch({"--spots-file", Path("spots.txt"), "-o", Path("out"), Path("a.png"), Path("b.bmp")});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* name : {"out/a.png", "out/b.bmp"}) {
        const QImage out(Path(name));
        ASSERT_FALSE(out.isNull()) << name;
        EXPECT_LT(Difference(out.pixel(30, 30), photo.pixel(30, 33)), 40) << name;
        EXPECT_LT(Difference(out.pixel(60, 40), photo.pixel(60, 43)), 40) << name;
    }
}

TEST_F(BatchTool, ReportsBadInputWithMessageAndStatus)
{
    std::ofstream(Path("bad.txt").toStdString()) << "10,10\n10;12\n";
    ASSERT_TRUE(MakePhoto(50, 40).save(Path("in.png")));
    const RunResult badSpots = Batch({"--spots-file", Path("bad.txt"), Path("in.png"), Path("out.png")});
    EXPECT_EQ(badSpots.status, 2);
    EXPECT_NE(badSpots.err.find("bad.txt:2:"), std::string::npos) << badSpots.err;

    const RunResult missing = Batch({Path("missing.png"), Path("out.png")});
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("corvane-batch: "), std::string::npos);
    EXPECT_FALSE(QFile::exists(Path("out.png")));

    const RunResult info = Batch({"--info", Path("missing.png")});
    EXPECT_EQ(info.status, 1);
    EXPECT_NE(info.out.find("FromFile: 0"), std::string::npos);
    EXPECT_GT(info.err.size(), 20u);

    EXPECT_EQ(Batch({"--rotate", "up", Path("in.png"), Path("out.png")}).status, 2);
    EXPECT_EQ(Batch({"--quality", "0", Path("in.png"), Path("out.jpg")}).status, 2);
    EXPECT_NE(Batch({Path("in.png"), Path("out.gif")}).status, 0);
}

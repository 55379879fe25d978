// corvane-batch end to end: the program is run as a user would run it, on
// pictures written for each test, and its output is checked with Qt and with
// the independent exiv2 tool.
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include "CorvaneVersion.h"
#include "support/RedEyeFace.h"
#include "support/TempFolder.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

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

QString BatchProgram() { return QCoreApplication::applicationDirPath() + "/corvane-batch"; }

RunResult Batch(const QStringList& args) { return RunProgram(BatchProgram(), args); }

// Runs corvane-batch with its log in `logFolder` and returns its exit status
// and peak memory in bytes (-1, 0 when it could not run).
std::pair<int, long> BatchWithPeakMemory(const QStringList& args, const std::filesystem::path& logFolder)
{
    const std::string program = BatchProgram().toStdString();
    std::vector<std::string> strings{program};
    for (const QString& arg : args) strings.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (std::string& text : strings) argv.push_back(text.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return {-1, 0};
    if (pid == 0) {
        setenv("CORVANE_LOG_DIR", logFolder.c_str(), 1);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return {-1, 0};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss * 1024L};
}

int CountLines(const std::filesystem::path& file)
{
    std::ifstream in(file);
    int lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
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
    QString Path(const char* name) const { return QString::fromStdString(scratch.File(name).string()); }

    CorvaneTest::TempFolder scratch;  ///< the test's own folder, removed after it
};

int Difference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

using CorvaneTest::RedEyeFace;

// "X0,Y0,X1,Y1,AMOUNT" of a rectangle (right and bottom exclusive).
QString RedeyeArgument(const QRect& box, int amount)
{
    return QString("%1,%2,%3,%4,%5")
        .arg(box.left())
        .arg(box.top())
        .arg(box.right() + 1)
        .arg(box.bottom() + 1)
        .arg(amount);
}

QImage ReadRgb(const QString& path) { return QImage(path).convertToFormat(QImage::Format_RGB888); }

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

TEST_F(BatchTool, RefusesOutputsThatWouldShareANameBeforeWritingAnything)
{
    QDir().mkpath(Path("a"));
    QDir().mkpath(Path("b"));
    QDir().mkpath(Path("out"));
    ASSERT_TRUE(MakePhoto(40, 30).save(Path("a/IMG_0001.png")));
    ASSERT_TRUE(MakePhoto(40, 30).save(Path("b/IMG_0001.png")));
    ASSERT_TRUE(MakePhoto(40, 30).save(Path("a/IMG_0002.png")));
    const RunResult run =
        Batch({"-o", Path("out"), Path("a/IMG_0002.png"), Path("a/IMG_0001.png"), Path("b/IMG_0001.png")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(Path("a/IMG_0001.png").toStdString() + " and " + Path("b/IMG_0001.png").toStdString()),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(QDir(Path("out")).isEmpty()) << "nothing is written, not even the photo without a twin";

    EXPECT_EQ(Batch({"-o", Path("missing"), Path("a/IMG_0002.png")}).status, 2);
    EXPECT_EQ(Batch({"-o", Path("out"), Path("a/IMG_0002.png"), Path("a/IMG_0002.png")}).status, 2);
}

TEST_F(BatchTool, KeepsNoUndoCopiesAndLogsASummaryPerPhoto)
{
    ASSERT_TRUE(MakePhoto(1500, 1000).save(Path("in.bmp")));
    std::ofstream spots(Path("spots.txt").toStdString());
    for (int i = 0; i < 40; ++i) spots << 40 + i * 35 << ',' << 50 + (i % 20) * 45 << '\n';
    spots.close();
    CorvaneTest::TempFolder logs;
    const auto [oneStatus, onePeak] = BatchWithPeakMemory({"--spot", "40,50", Path("in.bmp"), Path("one.bmp")},
                                                          logs.File("one"));
    const auto [manyStatus, manyPeak] =
        BatchWithPeakMemory({"--spots-file", Path("spots.txt"), Path("in.bmp"), Path("many.bmp")}, logs.File("many"));
    ASSERT_EQ(oneStatus, 0);
    ASSERT_EQ(manyStatus, 0);
    // Each undo copy would be 4.5 MB: 40 of them would add 180 MB. Sanitizers
    // hold freed memory back and give each thread caches of its own, so
    // their builds cannot tell.
    const long photoBytes = 1500 * 1000 * 3;
    if (!kSanitized) {
        EXPECT_LT(manyPeak - onePeak, 2 * photoBytes) << onePeak << " bytes for one spot, " << manyPeak << " for 40";
    }
    // The log grows by the lines of a photo, not by lines per spot.
    const auto manyLog = logs.File("many") / "CorvaneLoader.log";
    EXPECT_LE(CountLines(manyLog), CountLines(logs.File("one") / "CorvaneLoader.log") + 2);
    std::ifstream log(manyLog);
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_NE(text.str().find("INFO corvane-batch RunBatch: '" + Path("in.bmp").toStdString() + "' saved as '" +
                              Path("many.bmp").toStdString() +
                              "': 40 spots removed, 0 strokes healed, 0 red-eye rectangles treated, 0 turns and flips, "),
              std::string::npos)
        << text.str();
}

TEST_F(BatchTool, ASpotWhollyOutsideThePhotoFailsThatPhoto)
{
    ASSERT_TRUE(MakePhoto(60, 40).save(Path("in.png")));
    const RunResult outside = Batch({"--spot", "100000,100000", "--spot", "-2147483648,5", Path("in.png"), Path("out.png")});
    EXPECT_EQ(outside.status, 1);
    EXPECT_NE(outside.err.find("the spot at 100000,100000 lies wholly outside the 60x40 photo"), std::string::npos)
        << outside.err;
    EXPECT_NE(outside.err.find("the spot at -2147483648,5 lies wholly outside"), std::string::npos) << outside.err;
    EXPECT_FALSE(QFile::exists(Path("out.png")));
    // A square that reaches into the photo from outside is repaired.
    EXPECT_EQ(Batch({"--spot", "-7,-7", Path("in.png"), Path("out.png")}).status, 0);
}

TEST_F(BatchTool, HealsAHairAlongAStrokeInOrderWithTheSpots)
{
    // A dark hair along row 40 from column 20 to 140, and dust at (80, 42)
    // on it: the spot removed after the stroke sees the healed hair.
    QImage photo = MakePhoto(160, 100);
    for (int x = 20; x <= 140; ++x)
        for (int y = 39; y <= 41; ++y) photo.setPixel(x, y, qRgb(20, 15, 12));
    ASSERT_TRUE(photo.save(Path("in.png")));
    const RunResult run = Batch({"--stroke", "9:20,40:80,40:140,40", "--spot", "80,42,7", Path("in.png"), Path("out.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage out = QImage(Path("out.png")).convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 160; ++x) {
            const bool nearHair = x >= 15 && x <= 145 && y >= 35 && y <= 45;
            if (!nearHair) {
                ASSERT_EQ(out.pixel(x, y), photo.pixel(x, y)) << x << "," << y;
            }
        }
    for (int x = 20; x <= 140; ++x) EXPECT_LT(Difference(out.pixel(x, 40), photo.pixel(x, 34)), 45) << x;

    // The same repairs one by one, in that order, give the very same photo.
    ASSERT_EQ(Batch({"--stroke", "9:20,40:80,40:140,40", Path("in.png"), Path("step.png")}).status, 0);
    ASSERT_EQ(Batch({"--spot", "80,42,7", Path("step.png"), Path("steps.png")}).status, 0);
    EXPECT_EQ(QImage(Path("steps.png")).convertToFormat(QImage::Format_RGB888), out);
}

TEST_F(BatchTool, RefusesAbsurdStrokesAndFailsAPhotoAStrokeMisses)
{
    ASSERT_TRUE(MakePhoto(60, 40).save(Path("in.png")));
    std::string tooMany = "9";
    for (int i = 0; i <= 10000; ++i) tooMany += ":10,10";
    const std::pair<std::string, const char*> refused[] = {
        {"0:10,10", "--stroke: the size 0 is not 1 to 500"},
        {"501:10,10", "--stroke: the size 501 is not 1 to 500"},
        {tooMany, "--stroke: more than 10000 points"},
        {"9", "--stroke takes SIZE:X1,Y1[:X2,Y2...]: 9"},
        {"9:10,10:", "--stroke takes SIZE:X1,Y1[:X2,Y2...]"},
        {"9:10;10", "--stroke takes SIZE:X1,Y1[:X2,Y2...]"},
        {"nine:10,10", "--stroke takes SIZE:X1,Y1[:X2,Y2...]"},
    };
    for (const auto& [stroke, reason] : refused) {
        const RunResult run = Batch({"--stroke", QString::fromStdString(stroke), Path("in.png"), Path("out.png")});
        EXPECT_EQ(run.status, 2) << stroke.substr(0, 40);
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
    const RunResult outside = Batch({"--stroke", "9:-20,-20:-20,90", Path("in.png"), Path("out.png")});
    EXPECT_EQ(outside.status, 1);
    EXPECT_NE(outside.err.find("the stroke from -20,-20 to -20,90 lies wholly outside the 60x40 photo"), std::string::npos)
        << outside.err;
    EXPECT_FALSE(QFile::exists(Path("out.png")));
    // One point heals a disk; a stroke that reaches in from outside heals its part.
    EXPECT_EQ(Batch({"--stroke", "9:30,20", "--stroke", "9:-4,-20:-4,90", Path("in.png"), Path("out.png")}).status, 0);
}

TEST_F(BatchTool, TakesOnlyRegularSpotsFilesOfSaneSizeAndLines)
{
    ASSERT_TRUE(MakePhoto(60, 40).save(Path("in.png")));
    QDir().mkpath(Path("folder"));
    ASSERT_EQ(mkfifo(Path("pipe").toLocal8Bit().constData(), 0600), 0);
    std::ofstream(Path("long.txt").toStdString()) << "10,10 # " << std::string(2000, 'x') << "\n";
    std::ofstream(Path("comments.txt").toStdString()) << "# no dust today\n\n";
    std::ofstream(Path("huge.txt").toStdString()) << "10,10\n";
    std::filesystem::resize_file(std::filesystem::path(Path("huge.txt").toStdString()), 9u << 20);
    const std::pair<QString, const char*> refused[] = {
        {Path("folder"), "is not a regular file"},        {"/dev/zero", "is not a regular file"},
        {Path("pipe"), "is not a regular file"},          {Path("huge.txt"), "is larger than 8 MiB"},
        {Path("long.txt"), "long.txt:1: line longer than 1024 bytes"},
        {Path("comments.txt"), "holds no spots"},       {Path("missing.txt"), "No such file or directory"},
    };
    for (const auto& [file, reason] : refused) {
        const RunResult run = Batch({"--spots-file", file, Path("in.png"), Path("out.png")});
        EXPECT_EQ(run.status, 2) << file.toStdString();
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
    EXPECT_FALSE(QFile::exists(Path("out.png")));

    // A byte-order mark and Windows line ends, as a spreadsheet saves them.
    QImage photo = MakePhoto(60, 40);
    photo.setPixel(30, 20, qRgb(0, 0, 0));
    ASSERT_TRUE(photo.save(Path("dusty.png")));
    std::ofstream(Path("bom.txt").toStdString(), std::ios::binary) << "\xEF\xBB\xBF" "30,20,5\r\n";
    const RunResult bom = Batch({"--spots-file", Path("bom.txt"), Path("dusty.png"), Path("out.png")});
    ASSERT_EQ(bom.status, 0) << bom.err;
    EXPECT_LT(Difference(QImage(Path("out.png")).pixel(30, 20), photo.pixel(30, 23)), 40);
}

TEST_F(BatchTool, HelpAndVersionAnswerWithoutAPhoto)
{
    const RunResult help = Batch({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    ASSERT_NE(help.out.find("usage: corvane-batch"), std::string::npos);
    EXPECT_EQ(Batch({"-h"}).out, help.out);
    // The README shows the same text, as an indented block.
    std::ifstream readme(std::string(std::getenv("CORVANE_TEST_DATA")) + "/../../README.md");
    std::stringstream readmeText;
    readmeText << readme.rdbuf();
    std::string block;
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) block += "    " + line + "\n";
    EXPECT_NE(readmeText.str().find(block), std::string::npos) << "README lacks:\n" << block;

    const RunResult version = Batch({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("corvane-batch ") + CORVANE_VERSION + "\n");
    EXPECT_NE(std::string(CORVANE_VERSION).find('.'), std::string::npos);
}

TEST_F(BatchTool, TakesTheRedOutOfBothEyesOfAJpegAndKeepsItsExif)
{
    ASSERT_TRUE(RedEyeFace::Draw().save(Path("face.jpg"), "JPEG", 95));
    const RunResult tag = RunProgram("exiv2", {"-M", "set Exif.Image.Artist Ada Corvane", Path("face.jpg")});
    ASSERT_EQ(tag.status, 0) << tag.err;
    const QImage before = ReadRgb(Path("face.jpg"));
    const QRect eyes[] = {RedEyeFace::EyeBox(0), RedEyeFace::EyeBox(1)};
    const QStringList redeyes{"--redeye", RedeyeArgument(eyes[0], 40), "--redeye", RedeyeArgument(eyes[1], 40)};

    // Into a TIFF, which keeps the Exif and every pixel as it was repaired.
    const RunResult run = Batch(redeyes + QStringList{Path("face.jpg"), Path("face.tif")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    RedEyeFace::ExpectRepaired(before, ReadRgb(Path("face.tif")), {eyes[0], eyes[1]}, 40);
    EXPECT_NE(RunProgram("exiv2", {"-PEkv", Path("face.tif")}).out.find("Ada Corvane"), std::string::npos);
}

TEST_F(BatchTool, RedeyeRectanglesAreThePhotosAsOpenedAndComeBeforeTheTurns)
{
    QImage face = RedEyeFace::Draw();
    face.setPixel(120, 20, qRgb(10, 10, 10));  // dust on the forehead
    ASSERT_TRUE(face.save(Path("face.png")));
    const RunResult run = Batch({"--rotate", "left", "--redeye", RedeyeArgument(RedEyeFace::EyeBox(0), 50), "--spot",
                                 "120,20", Path("face.png"), Path("out.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    // Turned left, pixel (x, y) of the face comes to (y, width - 1 - x).
    const QImage out = ReadRgb(Path("out.png"));
    ASSERT_EQ(out.size(), QSize(RedEyeFace::kHeight, RedEyeFace::kWidth));
    const auto turned = [&](QPoint p) { return out.pixel(p.y(), RedEyeFace::kWidth - 1 - p.x()); };
    const QPoint pupil0 = RedEyeFace::kEyes[0].centre + QPoint(3, 3);
    const QPoint pupil1 = RedEyeFace::kEyes[1].centre + QPoint(3, 3);
    EXPECT_LT(qRed(turned(pupil0)), 30);            // the eye in the rectangle
    EXPECT_EQ(turned(pupil1), face.pixel(pupil1));  // the other eye stays red
    EXPECT_LT(Difference(turned(QPoint(120, 20)), face.pixel(120, 24)), 30);  // the dust is gone
}

TEST_F(BatchTool, RefusesBadRedeyeRectanglesWithAClearMessage)
{
    ASSERT_TRUE(RedEyeFace::Draw().save(Path("face.png")));
    const std::pair<const char*, const char*> refused[] = {
        {"50,50,10,60", "the rectangle is reversed"}, {"10,60,50,50", "the rectangle is reversed"},
        {"10,10,10,60", "the rectangle is empty"},     {"10,10,50,50,0", "AMOUNT must be 1 to 100"},
        {"10,10,50,50,1000", "AMOUNT must be 1 to 100"}, {"ten,10,50,50", "whole numbers"},
        {"10,10,50", "whole numbers"},                {"10,10,50,50,5,5", "whole numbers"},
        {"0,0,4294967296,50", "whole numbers"},       {"", "whole numbers"},
    };
    for (const auto& [value, reason] : refused) {
        const RunResult run = Batch({"--redeye", value, Path("face.png"), Path("out.png")});
        EXPECT_EQ(run.status, 2) << value;
        EXPECT_NE(run.err.find(std::string("--redeye")), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
    EXPECT_FALSE(QFile::exists(Path("out.png")));

    const RunResult outside = Batch({"--redeye", "240,0,400,180", "--redeye", "-50,-50,0,10", Path("face.png"),
                                     Path("out.png")});
    EXPECT_EQ(outside.status, 1);
    EXPECT_NE(outside.err.find("the red-eye rectangle 240,0,400,180 lies wholly outside the 240x180 photo"),
              std::string::npos)
        << outside.err;
    EXPECT_NE(outside.err.find("the red-eye rectangle -50,-50,0,10 lies wholly outside"), std::string::npos);
    EXPECT_FALSE(QFile::exists(Path("out.png")));

    // The largest rectangle holds the whole photo: it is treated, with a note.
    const RunResult whole = Batch({"--redeye", "0,0,2147483647,2147483647,40", Path("face.png"), Path("out.png")});
    ASSERT_EQ(whole.status, 0) << whole.err;
    EXPECT_NE(whole.err.find("reaches beyond the 240x180 photo; only its part on the photo is treated"),
              std::string::npos)
        << whole.err;
    // The lips, red but no pupil, stay as they were.
    RedEyeFace::ExpectRepaired(RedEyeFace::Draw(), ReadRgb(Path("out.png")),
                               {RedEyeFace::EyeBox(0), RedEyeFace::EyeBox(1)}, 40);
}

// Speed of loading and saving a 24-megapixel photograph with
// Carrow::FileIO::ImageFile, next to other programs on the same pixels in the
// same run:
// - JPEG: FromFile against `djpeg` (to PPM, output discarded) and ToFile at
//   quality 90 against `cjpeg -quality 90`;
// - PNG: ToFile against OpenCV's `cv::imwrite` with its default settings,
//   with the sizes of both files;
// - TIFF: FromFile and ToFile (LZW) against `cv::imread` and `cv::imwrite`
//   (OpenCV writes LZW by default).
//
// The photograph is made once per run in a temporary folder: a real photo
// from OpenCV's sample data upscaled to 6000 x 4000 with grain added, about
// 8 MB as a JPEG. ToFile includes what a save costs for real: the options
// lookup, the encoding straight into a temporary file, flushing it to disk and
// renaming it over the target. Run from the build's bin folder:
//   ./bench_ImageFileSpeed
// Medians of the repetitions and the ratios ours/other are printed at the end.

#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "io/AtomicFileWriter.h"
#include "io/Carrow.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ImageEncoder.h"
#include "io/ImageFile.h"
#include "io/ScopedEncoderOptionsProvider.h"
#include "platform/TextConvert.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace Carrow::FileIO;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr double kGrainSigma = 9.0;
constexpr int kQuality = 90;

const char* const kSourcePhotos[] = {
    "/usr/share/doc/opencv-doc/examples/data/aloeL.jpg",
    "/usr/share/doc/opencv-doc/examples/data/fruits.jpg",
    "/usr/share/doc/opencv-doc/examples/data/baboon.jpg",
};

struct Workspace {
    fs::path folder;
    fs::path jpeg;  // the photograph
    fs::path ppm;   // the same pixels for cjpeg
    fs::path tiff;  // the same pixels as an LZW TIFF, written by OpenCV
    cv::Mat photo;  // the same pixels, top-down BGR, for OpenCV's writers
    std::uintmax_t jpegBytes{};
};

Workspace g_workspace;
std::map<std::string, std::uintmax_t> g_fileBytes;  // written file sizes by name

// The sample photo as a top-down BGR matrix, read with our own decoder.
cv::Mat LoadSamplePhoto()
{
    for (const char* path : kSourcePhotos) {
        ImageFile file;
        if (!fs::exists(path) || file.FromFile(Utf8ToWide(path).c_str()) != 1) continue;
        BITMAPINFO info{};
        auto* bits = static_cast<BYTE*>(file.GetImageDataInfo(info));
        const BITMAPINFOHEADER& h = info.bmiHeader;
        if (h.biBitCount != 24) continue;
        const cv::Mat bottomUp(h.biHeight, h.biWidth, CV_8UC3, bits, h.biSizeImage / h.biHeight);
        cv::Mat topDown;
        cv::flip(bottomUp, topDown, 0);
        return topDown;
    }
    return {};
}

cv::Mat MakeGrainyPhoto()
{
    const cv::Mat sample = LoadSamplePhoto();
    if (sample.empty()) return {};
    cv::Mat large;
    cv::resize(sample, large, cv::Size(kWidth, kHeight), 0, 0, cv::INTER_CUBIC);
    cv::Mat grain(large.size(), CV_16SC3);
    cv::theRNG().state = 20240607;
    cv::randn(grain, cv::Scalar::all(0), cv::Scalar::all(kGrainSigma));
    cv::Mat noisy;
    large.convertTo(noisy, CV_16SC3);
    noisy += grain;
    noisy.convertTo(large, CV_8UC3);
    return large;
}

bool WriteJpeg(const cv::Mat& topDown, const fs::path& path)
{
    cv::Mat bottomUp;
    cv::flip(topDown, bottomUp, 0);
    const DibView view{bottomUp.data, kWidth, kHeight, bottomUp.step, PixelFormat24bppRGB, 2835, 2835};
    LONG quality = kQuality;
    const std::vector<EncoderParameter> parameters{{EncoderQuality, 1, EncoderParameterValueTypeLong, &quality}};
    AtomicFileWriter writer(path.string());
    return writer.Open() && ImageEncoder::Encode(view, EncoderClsidJPEG, parameters, {}, writer) == Status::Ok &&
           writer.Commit();
}

bool WritePpm(const cv::Mat& topDown, const fs::path& path)
{
    cv::Mat rgb;
    cv::cvtColor(topDown, rgb, cv::COLOR_BGR2RGB);
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << kWidth << ' ' << kHeight << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data), static_cast<std::streamsize>(rgb.total() * 3));
    return static_cast<bool>(out);
}

bool PrepareWorkspace()
{
    g_workspace.folder = fs::temp_directory_path() / "corvane-bench-imagefile";
    fs::create_directories(g_workspace.folder);
    g_workspace.jpeg = g_workspace.folder / "photo.jpg";
    g_workspace.ppm = g_workspace.folder / "photo.ppm";
    g_workspace.tiff = g_workspace.folder / "photo.tif";
    const cv::Mat photo = MakeGrainyPhoto();
    if (photo.empty() || !WriteJpeg(photo, g_workspace.jpeg) || !WritePpm(photo, g_workspace.ppm)) return false;
    // The other formats get the pixels as our JPEG decoder gives them, so
    // both sides of each pair encode exactly the same image.
    ImageFile decoded;
    if (decoded.FromFile(Utf8ToWide(g_workspace.jpeg.string()).c_str()) != 1) return false;
    BITMAPINFO info{};
    auto* bits = static_cast<BYTE*>(decoded.GetImageDataInfo(info));
    const cv::Mat bottomUp(kHeight, kWidth, CV_8UC3, bits, info.bmiHeader.biSizeImage / kHeight);
    cv::flip(bottomUp, g_workspace.photo, 0);
    if (!cv::imwrite(g_workspace.tiff.string(), g_workspace.photo)) return false;
    g_workspace.jpegBytes = fs::file_size(g_workspace.jpeg);
    return true;
}

// Runs a program with its output discarded; true when it exited with 0.
bool RunTool(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_FromFile(benchmark::State& state)
{
    static ImageFile file; // kept across iterations: the pixel buffer is reused
    const std::wstring path = Utf8ToWide(g_workspace.jpeg.string());
    for (auto _ : state) {
        if (file.FromFile(path.c_str()) != 1) state.SkipWithError("FromFile failed");
    }
}

void BM_Djpeg(benchmark::State& state)
{
    for (auto _ : state) {
        if (!RunTool({"djpeg", "-outfile", "/dev/null", g_workspace.jpeg.string()})) state.SkipWithError("djpeg failed");
    }
}

// The photograph as loaded once, shared by the saving benchmarks.
ImageFile& LoadedPhoto()
{
    static ImageFile file;
    if (!file.IsValid()) file.FromFile(Utf8ToWide(g_workspace.jpeg.string()).c_str());
    return file;
}

// Saves the loaded photograph as `name` in `format`, recording the file size.
void SaveAs(benchmark::State& state, const char* name, const GUID& format)
{
    const ImageFile& file = LoadedPhoto();
    if (!file.IsValid()) {
        state.SkipWithError("FromFile failed");
        return;
    }
    EncoderOptions options;
    options.nQuality = kQuality;
    options.nCompression = EncoderValueCompressionLZW;
    options.bDropMetadata = FALSE;
    const ScopedEncoderOptionsProvider scoped(std::make_shared<FixedEncoderOptionsProvider>(options));
    const fs::path target = g_workspace.folder / name;
    const std::wstring wide = Utf8ToWide(target.string());
    for (auto _ : state) {
        if (file.ToFile(wide.c_str(), format) != 1) state.SkipWithError("ToFile failed");
    }
    g_fileBytes[name] = fs::file_size(target);
}

void BM_ToFile(benchmark::State& state)
{
    SaveAs(state, "ours.jpg", ImageFormatJPEG);
}

void BM_Cjpeg(benchmark::State& state)
{
    const std::string target = (g_workspace.folder / "cjpeg.jpg").string();
    for (auto _ : state) {
        if (!RunTool({"cjpeg", "-quality", "90", "-outfile", target, g_workspace.ppm.string()}))
            state.SkipWithError("cjpeg failed");
    }
}

void BM_ToFilePng(benchmark::State& state)
{
    SaveAs(state, "ours.png", ImageFormatPNG);
}

// OpenCV's writer with its default settings, into a file like ours.
void CvWrite(benchmark::State& state, const char* name)
{
    const std::string target = (g_workspace.folder / name).string();
    for (auto _ : state) {
        if (!cv::imwrite(target, g_workspace.photo)) state.SkipWithError("cv::imwrite failed");
    }
    g_fileBytes[name] = fs::file_size(target);
}

void BM_CvImwritePng(benchmark::State& state)
{
    CvWrite(state, "opencv.png");
}

void BM_FromFileTiff(benchmark::State& state)
{
    static ImageFile file;
    const std::wstring path = Utf8ToWide(g_workspace.tiff.string());
    for (auto _ : state) {
        if (file.FromFile(path.c_str()) != 1) state.SkipWithError("FromFile failed");
    }
}

void BM_CvImreadTiff(benchmark::State& state)
{
    for (auto _ : state) {
        if (cv::imread(g_workspace.tiff.string()).empty()) state.SkipWithError("cv::imread failed");
    }
}

void BM_ToFileTiff(benchmark::State& state)
{
    SaveAs(state, "ours.tif", ImageFormatTIFF);
}

void BM_CvImwriteTiff(benchmark::State& state)
{
    CvWrite(state, "opencv.tif");
}

BENCHMARK(BM_FromFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(9);
BENCHMARK(BM_Djpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(9);
BENCHMARK(BM_ToFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(9);
BENCHMARK(BM_Cjpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(9);
BENCHMARK(BM_ToFilePng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);
BENCHMARK(BM_CvImwritePng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);
BENCHMARK(BM_FromFileTiff)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);
BENCHMARK(BM_CvImreadTiff)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);
BENCHMARK(BM_ToFileTiff)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);
BENCHMARK(BM_CvImwriteTiff)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);

// Prints the usual table, then the medians side by side with their ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nPhoto: %d x %d, %.1f MB as JPEG (quality %d)\n", kWidth, kHeight,
                    static_cast<double>(g_workspace.jpegBytes) / 1e6, kQuality);
        PrintPair("JPEG decode", "BM_FromFile", "BM_Djpeg");
        PrintPair("JPEG encode", "BM_ToFile", "BM_Cjpeg");
        PrintPair("PNG encode", "BM_ToFilePng", "BM_CvImwritePng");
        PrintSizes("PNG", "ours.png", "opencv.png");
        PrintPair("TIFF decode", "BM_FromFileTiff", "BM_CvImreadTiff");
        PrintPair("TIFF encode (LZW)", "BM_ToFileTiff", "BM_CvImwriteTiff");
        PrintSizes("TIFF", "ours.tif", "opencv.tif");
    }

private:
    void PrintPair(const char* what, const std::string& ours, const std::string& tool)
    {
        if (!m_medians.count(ours) || !m_medians.count(tool)) return;
        std::printf("%s: ours %.1f ms, other %.1f ms, ratio %.2f\n", what, m_medians[ours], m_medians[tool],
                    m_medians[ours] / m_medians[tool]);
    }

    static void PrintSizes(const char* what, const std::string& ours, const std::string& other)
    {
        if (!g_fileBytes.count(ours) || !g_fileBytes.count(other)) return;
        std::printf("%s size: ours %.2f MB, other %.2f MB, ratio %.3f\n", what, g_fileBytes[ours] / 1e6,
                    g_fileBytes[other] / 1e6, static_cast<double>(g_fileBytes[ours]) / g_fileBytes[other]);
    }

    std::map<std::string, double> m_medians;
};

} // namespace

int main(int argc, char** argv)
{
    Carrow::InitCarrow();
    if (!PrepareWorkspace()) {
        std::fprintf(stderr, "Could not make the test photograph (is opencv-doc installed?)\n");
        return 1;
    }
    // Interleaved repetitions spread the noise of a shared machine evenly.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.push_back(interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    // Colours only on a terminal, so a saved report stays plain text.
    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(g_workspace.folder, ignored);
    Carrow::UnInitCarrow();
    return 0;
}

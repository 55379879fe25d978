// Speed of loading and saving a 24-megapixel JPEG photograph with
// Carrow::FileIO::ImageFile, next to libjpeg-turbo's own tools on the same
// file in the same run: FromFile against `djpeg` (to PPM, output discarded)
// and ToFile at quality 90 against `cjpeg -quality 90`.
//
// The photograph is made once per run in a temporary folder: a real photo
// from OpenCV's sample data upscaled to 6000 x 4000 with grain added, about
// 8 MB as a JPEG. ToFile includes what a save costs for real: the options
// lookup, the encoding straight into a temporary file, flushing it to disk and
// renaming it over the target. Run from the build's bin folder:
//   ./bench_ImageFileSpeed
// Medians of the repetitions and the ratios ours/tool are printed at the end.

#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
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
    std::uintmax_t jpegBytes{};
};

Workspace g_workspace;

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
    const cv::Mat photo = MakeGrainyPhoto();
    if (photo.empty() || !WriteJpeg(photo, g_workspace.jpeg) || !WritePpm(photo, g_workspace.ppm)) return false;
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

void BM_ToFile(benchmark::State& state)
{
    static ImageFile file;
    if (!file.IsValid() && file.FromFile(Utf8ToWide(g_workspace.jpeg.string()).c_str()) != 1) {
        state.SkipWithError("FromFile failed");
        return;
    }
    EncoderOptions options;
    options.nQuality = kQuality;
    options.bDropMetadata = FALSE;
    const ScopedEncoderOptionsProvider scoped(std::make_shared<FixedEncoderOptionsProvider>(options));
    const std::wstring target = Utf8ToWide((g_workspace.folder / "ours.jpg").string());
    for (auto _ : state) {
        if (file.ToFile(target.c_str(), GUID_NULL) != 1) state.SkipWithError("ToFile failed");
    }
}

void BM_Cjpeg(benchmark::State& state)
{
    const std::string target = (g_workspace.folder / "cjpeg.jpg").string();
    for (auto _ : state) {
        if (!RunTool({"cjpeg", "-quality", "90", "-outfile", target, g_workspace.ppm.string()}))
            state.SkipWithError("cjpeg failed");
    }
}

BENCHMARK(BM_FromFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(9);
BENCHMARK(BM_Djpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(9);
BENCHMARK(BM_ToFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(9);
BENCHMARK(BM_Cjpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(9);

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
        PrintPair("decode", "BM_FromFile", "BM_Djpeg");
        PrintPair("encode", "BM_ToFile", "BM_Cjpeg");
    }

private:
    void PrintPair(const char* what, const std::string& ours, const std::string& tool)
    {
        if (!m_medians.count(ours) || !m_medians.count(tool)) return;
        std::printf("%s: ours %.1f ms, tool %.1f ms, ratio %.2f\n", what, m_medians[ours], m_medians[tool],
                    m_medians[ours] / m_medians[tool]);
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

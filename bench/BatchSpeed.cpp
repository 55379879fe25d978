// corvane-batch on a 24-megapixel photo with 10,000 dust spots: wall time
// and peak memory of the whole run, against the goals
//   - peak memory (the child's maximum resident set) at most 4 x the photo's
//     pixel bytes (6000 x 4000 x 3 = 72 MB, so 288 MB);
//   - time per spot, that is (run with the spots - run without them) / spots,
//     which leaves out start-up, one open and one save, at most 1.2 x the
//     time of RemoveSpot alone at the same spot size.
//
// The photo is the grainy 6000 x 4000 fruits of bench_SpotSpeed with 10,000
// dark specks (radius 3) painted on a 125 x 80 grid, saved as a JPEG of
// quality 95; the spots file names each speck with the default size 15.
// Each repetition runs, one after the other so that they share the machine's
// load: corvane-batch without spots (IN OUT), corvane-batch with the spots
// file, and in this process ImageProcess::RemoveSpot at the same 10,000
// places on the same decoded photo (the baseline, timed as a whole; its
// buffers warmed by a first call). The counters:
//   per_spot_ms   batch time per spot
//   alone_ms      RemoveSpot alone per spot
//   ratio         per_spot_ms / alone_ms (goal <= 1.2)
//   peak_MB       corvane-batch's peak memory with the spots
//   peak_ratio    peak / pixel bytes (goal <= 4)
//   base_s        the run without spots (start-up, open, save)
// bench_SpotSpeed's BM_RemoveSpot/15/24 (one speck, repaired again and
// again) is the other reference; run it in the same session.
//
// Everything the runs write (photo, outputs, log, settings) lives in a
// temporary folder removed at the end.
//
// Usage: bench_BatchSpeed [Google Benchmark flags]; corvane-batch must be
// beside it (the build's bin folder).

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "GrainyPhoto.h"
#include "Tinctor/ImageProcess.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kColumns = 125;
constexpr int kRows = 80;
constexpr int kSpotSize = 15;
constexpr double kPixelBytes = double(kWidth) * kHeight * 3;

struct Spot {
    int x;
    int y;
};

std::vector<Spot> GridSpots()
{
    std::vector<Spot> spots;
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column)
            spots.push_back({kWidth / kColumns / 2 + column * (kWidth / kColumns), kHeight / kRows / 2 + row * (kHeight / kRows)});
    return spots;
}

// The photo, the spots file and the folders the batch writes to, made once
// and removed when the program ends.
struct Workspace {
    fs::path folder;
    fs::path photo;
    fs::path spotsFile;
    std::vector<Spot> spots;

    Workspace()
    {
        std::string pattern = (fs::temp_directory_path() / "corvane-bench-batch-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
        folder = pattern;
        spots = GridSpots();
        cv::Mat image = GrainyPhoto::Make(kWidth, kHeight);
        for (const Spot& s : spots) cv::circle(image, cv::Point(s.x, s.y), 3, cv::Scalar(20, 20, 25), cv::FILLED, cv::LINE_AA);
        photo = folder / "photo.jpg";
        cv::imwrite(photo.string(), image, {cv::IMWRITE_JPEG_QUALITY, 95});
        spotsFile = folder / "spots.txt";
        std::ofstream out(spotsFile);
        for (const Spot& s : spots) out << s.x << ',' << s.y << '\n';
        for (const char* name : {"CORVANE_LOG_DIR", "CORVANE_CONFIG_DIR", "CORVANE_MACHINE_DIR", "CORVANE_SHARED_DIR",
                                 "CORVANE_RUNTIME_DIR", "XDG_RUNTIME_DIR"})
            setenv(name, (folder / name).c_str(), 1);
    }
    ~Workspace()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

Workspace& TheWorkspace()
{
    static Workspace workspace;
    return workspace;
}

struct ChildRun {
    double seconds{0};
    double peakBytes{0};
    int status{-1};
};

// Runs corvane-batch (beside this program) with `args` and waits for it.
// fork, not posix_spawn: a child made by vfork inherits the peak memory of
// this process in its own count, a forked one only the memory in use now,
// which is small while no photo is held here.
ChildRun RunBatch(const std::vector<std::string>& args)
{
    const std::string program = (fs::read_symlink("/proc/self/exe").parent_path() / "corvane-batch").string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    ChildRun run;
    const pid_t pid = fork();
    if (pid < 0) return run;
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, STDOUT_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakBytes = double(usage.ru_maxrss) * 1024;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// RemoveSpot alone at the spots on a fresh copy of the photo: seconds per spot.
double RemoveSpotAlonePerSpot(const Workspace& workspace)
{
    GrainyPhoto::ProgramImage image =
        GrainyPhoto::ToProgramImage(cv::imread(workspace.photo.string(), cv::IMREAD_COLOR), 24);
    const int half = kSpotSize / 2;
    // Warms the library's working memory, as the batch's first spot does.
    ImageProcess::RemoveSpot(image.pixels, image.header, kSpotSize, POINT{10, 10}, 0.8f, nullptr);
    const auto start = std::chrono::steady_clock::now();
    for (const Spot& s : workspace.spots)
        ImageProcess::RemoveSpot(image.pixels, image.header, 2 * half + 1, POINT{s.x - half, s.y - half}, 0.8f, nullptr);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / workspace.spots.size();
}

void BM_BatchTenThousandSpots(benchmark::State& state)
{
    Workspace& workspace = TheWorkspace();
    const std::string photo = workspace.photo.string();
    for (auto _ : state) {
        const ChildRun base = RunBatch({photo, (workspace.folder / "plain.jpg").string()});
        const ChildRun full =
            RunBatch({"--spots-file", workspace.spotsFile.string(), photo, (workspace.folder / "repaired.jpg").string()});
        if (base.status != 0 || full.status != 0) state.SkipWithError("corvane-batch failed");
        const double alone = RemoveSpotAlonePerSpot(workspace);
        const double perSpot = (full.seconds - base.seconds) / workspace.spots.size();
        state.SetIterationTime(full.seconds);
        state.counters["per_spot_ms"] = perSpot * 1e3;
        state.counters["alone_ms"] = alone * 1e3;
        state.counters["ratio"] = perSpot / alone;
        state.counters["peak_MB"] = full.peakBytes / 1e6;
        state.counters["peak_ratio"] = full.peakBytes / kPixelBytes;
        state.counters["base_s"] = base.seconds;
    }
}

} // namespace

BENCHMARK(BM_BatchTenThousandSpots)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();

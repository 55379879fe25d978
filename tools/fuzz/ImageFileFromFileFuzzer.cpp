// libFuzzer target: ImageFile::FromFile on arbitrary file contents, and for
// every image that loads, a save of it (the encoders and the metadata
// writing then see what the fuzzer put into the Exif and IPTC data).

#include <QCoreApplication>
#include <QtGlobal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "Tracewell/Log.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/IEncoderOptionsProvider.h"
#include "io/ImageFile.h"
#include "io/ImageMetadata.h"
#include "platform/TextConvert.h"

using namespace Carrow::FileIO;

namespace {

// Decoding is bounded well below libFuzzer's memory limit.
constexpr std::size_t kMaxImageBytes = 64u << 20;
// Saving is exercised on images small enough to keep the run fast.
constexpr LONG kMaxSavedPixels = 512 * 512;
constexpr unsigned kLogTrimInterval = 4096;

std::string g_folder;
std::wstring g_input;
std::wstring g_output;
unsigned g_runs = 0;

void DropQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

void RemoveWorkFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
}

bool WriteInput(const uint8_t* data, size_t size)
{
    const std::string path = WideToUtf8(g_input);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return done == size;
}

void SaveSmallImage(const ImageFile& file, uint8_t choice)
{
    BITMAPINFO info{};
    if (!file.GetImageDataInfo(info)) return;
    if (static_cast<std::int64_t>(info.bmiHeader.biWidth) * info.bmiHeader.biHeight > kMaxSavedPixels) return;
    static const GUID kFormats[] = {ImageFormatJPEG, ImageFormatTIFF, ImageFormatPNG, ImageFormatBMP};
    file.ToFile(g_output.c_str(), kFormats[choice % 4]);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(DropQtMessage);
    // Memory-backed when possible: every run writes the input and often a
    // saved copy, and a save flushes its file to disk.
    char shared[] = "/dev/shm/corvane-fuzz-XXXXXX";
    char temporary[] = "/tmp/corvane-fuzz-XXXXXX";
    const char* pattern = ::mkdtemp(shared);
    if (!pattern) pattern = ::mkdtemp(temporary);
    if (!pattern) std::abort();
    g_folder = pattern;
    std::atexit(RemoveWorkFolder);
    g_input = Utf8ToWide(g_folder + "/input");
    g_output = Utf8ToWide(g_folder + "/output");
    ::setenv("CORVANE_LOG_DIR", g_folder.c_str(), 1);
    InitLog();
    ImageMetadata::RouteExiv2Messages(true);
    ImageFile::SetMaxImageBytes(kMaxImageBytes);
    EncoderOptions keep;
    keep.nQuality = 90;
    keep.nCompression = EncoderValueCompressionLZW;
    keep.bDropMetadata = FALSE;
    SetEncoderOptionsProvider(std::make_shared<FixedEncoderOptionsProvider>(keep));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!WriteInput(data, size)) return 0;
    ImageFile file;
    if (file.FromFile(g_input.c_str()) == 1 && size > 0) SaveSmallImage(file, data[size - 1]);
    // Every failed load writes a log line; keep the file from growing without end.
    if (++g_runs % kLogTrimInterval == 0) ::truncate((g_folder + "/CorvaneLoader.log").c_str(), 0);
    return 0;
}

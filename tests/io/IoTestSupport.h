#pragma once
// Helpers of the image-file tests: temporary folders, reference images made
// with Qt (an encoder independent of ours), pixel comparison against
// top-down QImages, the exiv2 command-line tool as an independent metadata
// reader, and a view of the log lines a call wrote.

#include <QImage>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tiffio.h>

#include "io/ImageFile.h"
#include "support/LogWatch.h"
#include "support/TempFolder.h"

namespace IoTest {

namespace fs = std::filesystem;

/// A fresh folder under the system's temporary folder, removed at the end.
using TempFolder = CorvaneTest::TempFolder;

/// Wide form of a path.
std::wstring WidePath(const fs::path& path);

/// An image of `width` x `height` whose pixels differ from row to row and
/// column to column (so a flip or a shift shows), with alpha from 0 to 255
/// for formats that have it.
QImage PatternImage(int width, int height, QImage::Format format);

/// A smooth image (gradients) that JPEG reproduces closely.
QImage SmoothImage(int width, int height);

/// Writes `image` with Qt's writer for `format` ("png", "jpeg", "bmp", "tiff").
void WriteWithQt(const QImage& image, const fs::path& path, const char* format, int quality = -1);

std::string ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::string& bytes);

/// Largest difference of any colour channel (and alpha when `compareAlpha`)
/// between the bottom-up rows of `file` and the top-down `expected`; -1 when
/// the sizes differ.
int MaxPixelDifference(const Carrow::FileIO::ImageFile& file, const QImage& expected, bool compareAlpha);

/// The rows and header of a loaded file.
std::vector<BYTE> RowsOf(const Carrow::FileIO::ImageFile& file, BITMAPINFO* info = nullptr);

/// True when the exiv2 program is installed.
bool HaveExiv2Tool();

/// Runs `command` through the shell; returns its standard output.
std::string RunShell(const std::string& command, int* exitStatus = nullptr);

/// Quotes `text` for the shell.
std::string ShellQuote(const std::string& text);

/// Exif and IPTC data of `path` as the exiv2 program reads them: key -> values
/// (several for repeated keys such as IPTC keywords).
std::map<std::string, std::vector<std::string>> ReadMetadataWithExiv2(const fs::path& path);

/// Opens `path` for writing with libtiff and sets the fields of an 8-bit
/// RGB picture of `width` x `height` with `samples` samples per pixel; the
/// caller adds the layout, writes the data and closes it. Null on failure.
TIFF* StartRgbTiff(const fs::path& path, uint32_t width, uint32_t height, int samples = 3);

/// Lines the log gained since construction.
using LogWatch = CorvaneTest::LogWatch;

} // namespace IoTest

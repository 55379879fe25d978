#pragma once
// The log lines a test caused: a watch remembers where the log file ended
// and reads what was written after that. Header only, because it asks the
// log library (Tracewell) for the file, and only the test programs that use
// the watch link that library. The log file is shared by every process that
// logs into the same folder, so lines of other programs running at the same
// time can show up too.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "Tracewell/Log.h"
#include "platform/TextConvert.h"

namespace CorvaneTest {

/// Reads the log lines written since construction or the last Mark().
class LogWatch {
public:
    LogWatch() { Mark(); }

    /// Forgets the lines written so far.
    void Mark()
    {
        std::error_code error;
        const auto size = std::filesystem::file_size(WideToUtf8(GetLogFilePath()), error);
        m_offset = error ? 0 : size;
    }

    /// Every new line (UTF-8, without its line feed), in order.
    std::vector<std::string> NewLines() const
    {
        std::ifstream in(WideToUtf8(GetLogFilePath()), std::ios::binary);
        in.seekg(static_cast<std::streamoff>(m_offset));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    /// True when a new line contains `text`.
    bool Contains(const std::string& text) const { return Count(text) > 0; }

    /// Number of new lines that contain `text`.
    int Count(const std::string& text) const
    {
        int count = 0;
        for (const std::string& line : NewLines()) count += line.find(text) != std::string::npos ? 1 : 0;
        return count;
    }

private:
    std::uintmax_t m_offset{0};
};

} // namespace CorvaneTest

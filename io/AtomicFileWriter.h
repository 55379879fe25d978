#pragma once
// Replaces a file only once its new contents are complete: the bytes go to a
// temporary file in the target's folder, which is flushed to disk, given the
// target's permissions and owner, and renamed over the target. Any failure
// before the rename leaves the old file exactly as it was, and the temporary
// file is removed. Paths are the file system's bytes (see WideToFileName).
//
// A write past the process's file-size limit fails like a full disk instead
// of ending the program: the first writer catches SIGXFSZ for the process
// (unless someone else handles it already).

#include <cstddef>
#include <string>

#include "io/ByteSink.h"

namespace Carrow::FileIO {

class AtomicFileWriter final : public ByteSink {
public:
    /// The system calls that finish a file, replaceable so that tests can see
    /// their order or make one fail. A null member means the real call.
    struct SystemCalls {
        int (*fsync)(int fd){};
        int (*rename)(const char* from, const char* to){};
    };

    /// Installs `calls` for every later Commit; returns the previous set. For
    /// tests; not while another thread saves.
    static SystemCalls SetSystemCalls(const SystemCalls& calls);

    /// A writer for `targetPath`; a symbolic link there is followed, so
    /// the file it points at is replaced and the link stays.
    explicit AtomicFileWriter(const std::string& targetPath);

    /// Removes the temporary file unless Commit succeeded.
    ~AtomicFileWriter() override;

    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /// True when `targetPath` could be written: it is either absent or a
    /// writable regular file, and its folder is an existing directory where
    /// files can be created (needed for the temporary file).
    static bool CanReplace(const std::string& targetPath);

    /// Creates the temporary file. False (with LastError set) when it cannot.
    bool Open();

    bool Write(const void* data, std::size_t size) override;

    /// Makes the written bytes the target's contents (see the class comment).
    /// False when any step failed; the target is then untouched.
    bool Commit();

    /// errno of the first failure, 0 when none.
    int LastError() const { return m_nError; }

private:
    void Fail(int error);
    void CopyOwnerAndMode() const;

    std::string m_target;
    std::string m_tempPath;
    int m_fd{-1};
    int m_nError{};
    bool m_bCommitted{};
};

} // namespace Carrow::FileIO

// Replacing a file only once the new one is safely on disk: the temporary
// file is flushed before it is renamed over the target, and a failed flush
// leaves the target as it was.

#include <string>
#include <vector>

#include <unistd.h>

#include "IoTestSupport.h"
#include "io/AtomicFileWriter.h"

using namespace Carrow::FileIO;
using namespace IoTest;

namespace {

std::vector<std::string> g_calls;
bool g_failFlush = false;

std::string PathOfDescriptor(int fd)
{
    char target[4096] = {};
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

int RecordFlush(int fd)
{
    g_calls.push_back("fsync " + PathOfDescriptor(fd));
    if (!g_failFlush) return ::fsync(fd);
    errno = EIO;
    return -1;
}

int RecordRename(const char* from, const char* to)
{
    g_calls.push_back(std::string("rename ") + from + " " + to);
    return ::rename(from, to);
}

class AtomicFileWriterCalls : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        g_failFlush = false;
        m_previous = AtomicFileWriter::SetSystemCalls({RecordFlush, RecordRename});
        WriteBytes(m_folder.File("photo.jpg"), "the old photo");
    }
    void TearDown() override { AtomicFileWriter::SetSystemCalls(m_previous); }

    bool Replace(const std::string& bytes)
    {
        AtomicFileWriter writer(m_folder.File("photo.jpg").string());
        return writer.Open() && writer.Write(bytes.data(), bytes.size()) && writer.Commit();
    }

    TempFolder m_folder;
    AtomicFileWriter::SystemCalls m_previous;
};

} // namespace

TEST_F(AtomicFileWriterCalls, TheTemporaryFileIsFlushedBeforeItReplacesTheTarget)
{
    ASSERT_TRUE(Replace("the new photo"));
    ASSERT_EQ(g_calls.size(), 2u);
    const std::string temporary = g_calls[0].substr(6);
    EXPECT_EQ(g_calls[0].substr(0, 6), "fsync ");
    EXPECT_NE(temporary, m_folder.File("photo.jpg").string()) << "the flush is of the new file, not the old";
    EXPECT_EQ(g_calls[1], "rename " + temporary + " " + m_folder.File("photo.jpg").string());
    EXPECT_EQ(ReadBytes(m_folder.File("photo.jpg")), "the new photo");
}

TEST_F(AtomicFileWriterCalls, AFailedFlushLeavesTheTargetAsItWas)
{
    g_failFlush = true;
    EXPECT_FALSE(Replace("the new photo"));
    ASSERT_EQ(g_calls.size(), 1u) << "nothing is renamed after a failed flush";
    EXPECT_EQ(ReadBytes(m_folder.File("photo.jpg")), "the old photo");
    EXPECT_EQ(m_folder.Entries(), std::vector<std::string>{"photo.jpg"});
}

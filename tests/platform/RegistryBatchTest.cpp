// Registry batches: several changes stored in one step or not at all, other
// threads held back meanwhile, and a lost transaction never turning the rest
// of a batch into separate commits.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "ScratchFolder.h"
#include "platform/Registry.h"
#include "platform/RegistryBatch.h"
#include "platform/RegistryHive.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Quillmark\\BatchTest";

class RegistryBatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegSetErrorReporter([this](const std::wstring&, const std::wstring& message) { m_problems.push_back(message); });
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
        m_outside = std::make_unique<CRegistryHive>(m_folders.UserHive(), RegistryErrorReporter());
        ASSERT_EQ(m_outside->Open(), ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(m_key);
        RegSetErrorReporter(nullptr);
    }

    LONG Put(const wchar_t* name, DWORD value)
    {
        return RegSetValueEx(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    }

    // The value as a separate connection to the hive file sees it, as another
    // process would. (That connection is opened before any batch: opening
    // checks the file under the write lock, which a batch holds.)
    std::optional<DWORD> Outside(const wchar_t* name)
    {
        CRegistryHive::KeyId key = 0;
        CRegistryHive::Value value;
        if (m_outside->OpenKey(CRegistryHive::kRootKey, {L"Software", L"Quillmark", L"BatchTest"}, key) !=
                ERROR_SUCCESS ||
            m_outside->QueryValue(key, name, value) != ERROR_SUCCESS || value.data.size() != 4)
            return std::nullopt;
        return value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (DWORD(value.data[3]) << 24);
    }

    ScopedRegistryFolders m_folders;
    std::unique_ptr<CRegistryHive> m_outside;
    HKEY m_key{nullptr};
    std::vector<std::wstring> m_problems;
};

} // namespace

TEST_F(RegistryBatchTest, CommitStoresEveryChangeAtOnce)
{
    ASSERT_EQ(Put(L"a", 1), ERROR_SUCCESS);
    CRegistryBatch batch(HKEY_CURRENT_USER);
    ASSERT_EQ(batch.GetStartResult(), ERROR_SUCCESS);
    ASSERT_EQ(Put(L"a", 2), ERROR_SUCCESS);
    ASSERT_EQ(Put(L"b", 2), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValue(m_key, L"missing"), ERROR_FILE_NOT_FOUND); // a failed call undoes only itself
    ASSERT_EQ(Put(L"c", 2), ERROR_SUCCESS);
    EXPECT_EQ(Outside(L"a"), 1u) << "nothing is visible outside before the commit";
    EXPECT_EQ(Outside(L"b"), std::nullopt);

    EXPECT_EQ(batch.Commit(), ERROR_SUCCESS);
    EXPECT_EQ(Outside(L"a"), 2u);
    EXPECT_EQ(Outside(L"b"), 2u);
    EXPECT_EQ(Outside(L"c"), 2u);
    EXPECT_TRUE(m_problems.empty());
}

TEST_F(RegistryBatchTest, BatchEndedWithoutCommitKeepsNothing)
{
    ASSERT_EQ(Put(L"a", 1), ERROR_SUCCESS);
    {
        CRegistryBatch batch(m_key); // any open handle names its hive
        ASSERT_EQ(batch.GetStartResult(), ERROR_SUCCESS);
        ASSERT_EQ(Put(L"a", 2), ERROR_SUCCESS);
        ASSERT_EQ(Put(L"b", 2), ERROR_SUCCESS);
        CRegistryBatch inner(HKEY_CURRENT_USER);
        EXPECT_EQ(inner.GetStartResult(), ERROR_BUSY);
        EXPECT_EQ(inner.Commit(), ERROR_SUCCESS) << "an inner batch joins the outer one";
    }
    EXPECT_EQ(Outside(L"a"), 1u);
    EXPECT_EQ(Outside(L"b"), std::nullopt);
    DWORD value = 0, size = 4;
    EXPECT_EQ(RegQueryValueEx(m_key, L"a", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(CRegistryBatch(reinterpret_cast<HKEY>(0x7777)).GetStartResult(), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryBatchTest, OtherThreadsWaitForTheBatch)
{
    std::atomic<bool> written{false};
    std::optional<CRegistryBatch> batch;
    batch.emplace(HKEY_CURRENT_USER);
    ASSERT_EQ(batch->GetStartResult(), ERROR_SUCCESS);
    std::thread other([&] {
        EXPECT_EQ(Put(L"other", 5), ERROR_SUCCESS);
        written = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(written) << "the other thread's call joined or passed the batch";
    ASSERT_EQ(Put(L"own", 4), ERROR_SUCCESS);
    EXPECT_EQ(batch->Commit(), ERROR_SUCCESS);
    other.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(Outside(L"own"), 4u);
    EXPECT_EQ(Outside(L"other"), 5u);
}

TEST(RegistryHiveBatch, LostTransactionFailsTheRestOfTheBatch)
{
    ScratchFolder folder;
    std::vector<std::wstring> problems;
    CRegistryHive hive(folder.File("hive.sqlite"),
                       [&](const std::wstring&, const std::wstring& message) { problems.push_back(message); });
    const BYTE one[4] = {1, 0, 0, 0};
    ASSERT_EQ(hive.SetValue(CRegistryHive::kRootKey, L"kept", REG_DWORD, one, 4), ERROR_SUCCESS);
    ASSERT_EQ(hive.BeginBatch(), ERROR_SUCCESS);
    EXPECT_EQ(hive.BeginBatch(), ERROR_BUSY);
    const BYTE two[4] = {2, 0, 0, 0};
    ASSERT_EQ(hive.SetValue(CRegistryHive::kRootKey, L"kept", REG_DWORD, two, 4), ERROR_SUCCESS);
    hive.Close(); // the connection, and with it the open transaction, is gone

    // Later calls of the batch must not commit one by one.
    EXPECT_NE(hive.SetValue(CRegistryHive::kRootKey, L"late", REG_DWORD, two, 4), ERROR_SUCCESS);
    EXPECT_NE(hive.EndBatch(true), ERROR_SUCCESS);
    EXPECT_EQ(problems.size(), 1u);
    EXPECT_EQ(hive.EndBatch(true), ERROR_INVALID_PARAMETER) << "the batch is over";

    CRegistryHive::Value value;
    ASSERT_EQ(hive.QueryValue(CRegistryHive::kRootKey, L"kept", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, std::vector<BYTE>(one, one + 4));
    EXPECT_EQ(hive.QueryValue(CRegistryHive::kRootKey, L"late", value), ERROR_FILE_NOT_FOUND);
}

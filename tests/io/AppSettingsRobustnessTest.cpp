// The settings store against damage: a garbage or truncated hive file is set
// aside and replaced, and a process killed in the middle of saving leaves
// every value of one completed Save.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "RegistryTestSupport.h"
#include "io/AppSettings.h"
#include "platform/Registry.h"

using namespace Carrow::RegistryIO;
using RegistryTest::fs::path;
using RegistryTest::HasLine;
using RegistryTest::Joined;
using Desc = CAppSettings::Item::ITEM_DESC;

namespace {

namespace fs = std::filesystem;

const wchar_t kCompany[] = L"Quillmark";
const wchar_t kProduct[] = L"Robustness";
const wchar_t kKeyPath[] = L"software\\Quillmark\\Robustness";

constexpr int kNumbers = 24;
constexpr int kTexts = 8;
constexpr int kBlocks = 8;
constexpr int kShared = 4;
constexpr size_t kBlockSize = 2048;

std::wstring ItemName(wchar_t prefix, int index)
{
    return prefix + std::to_wstring(100 + index).substr(1);
}

// Many items whose values all follow from one generation number.
std::vector<Desc> GenerationItems()
{
    std::vector<Desc> items;
    for (int i = 0; i < kNumbers; ++i) items.push_back({TRUE, ItemName(L'n', i), CAppSettings::ITEMTYPE_DWORD});
    for (int i = 0; i < kTexts; ++i) items.push_back({TRUE, ItemName(L't', i), CAppSettings::ITEMTYPE_STRING});
    for (int i = 0; i < kBlocks; ++i) items.push_back({TRUE, ItemName(L'b', i), CAppSettings::ITEMTYPE_BINARY});
    for (int i = 0; i < kShared; ++i) items.push_back({FALSE, ItemName(L's', i), CAppSettings::ITEMTYPE_DWORD});
    return items;
}

std::wstring GenerationText(DWORD generation) { return L"generation " + std::to_wstring(generation); }

std::vector<BYTE> GenerationBlock(DWORD generation, int index)
{
    std::vector<BYTE> block(kBlockSize, static_cast<BYTE>(generation + index));
    for (int i = 0; i < 4; ++i) block[i] = static_cast<BYTE>(generation >> (8 * i));
    return block;
}

CAppSettings MakeSettings()
{
    CAppSettings settings(kCompany, kProduct);
    const auto items = GenerationItems();
    settings.AddItems(items.data(), static_cast<UINT>(items.size()));
    return settings;
}

void SetGeneration(CAppSettings& settings, DWORD generation)
{
    for (int i = 0; i < kNumbers; ++i) settings.SetItemValue(ItemName(L'n', i).c_str(), generation);
    for (int i = 0; i < kTexts; ++i) settings.SetItemValue(ItemName(L't', i).c_str(), GenerationText(generation).c_str());
    for (int i = 0; i < kBlocks; ++i) {
        const auto block = GenerationBlock(generation, i);
        settings.SetItemValue(ItemName(L'b', i).c_str(), block.data(), static_cast<DWORD>(block.size()));
    }
    for (int i = 0; i < kShared; ++i) settings.SetItemValue(ItemName(L's', i).c_str(), generation);
}

DWORD NumberOf(CAppSettings& settings, const std::wstring& name)
{
    const void* value = settings.GetItemValue(name.c_str(), nullptr);
    return value ? *static_cast<const DWORD*>(value) : 0;
}

// The one generation every registry item holds; fails the test when the
// items disagree.
DWORD RegistryGeneration(CAppSettings& settings)
{
    const DWORD generation = NumberOf(settings, ItemName(L'n', 0));
    for (int i = 0; i < kNumbers; ++i) EXPECT_EQ(NumberOf(settings, ItemName(L'n', i)), generation) << i;
    for (int i = 0; i < kTexts; ++i) {
        const void* text = settings.GetItemValue(ItemName(L't', i).c_str(), nullptr);
        EXPECT_EQ(text ? std::wstring(static_cast<const wchar_t*>(text)) : L"", GenerationText(generation)) << i;
    }
    for (int i = 0; i < kBlocks; ++i) {
        DWORD size = 0;
        const auto* bytes = static_cast<const BYTE*>(settings.GetItemValue(ItemName(L'b', i).c_str(), &size));
        EXPECT_TRUE(bytes && std::vector<BYTE>(bytes, bytes + size) == GenerationBlock(generation, i)) << i;
    }
    return generation;
}

void CreateProductKey()
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

class AppSettingsRobustnessTest : public testing::Test {
protected:
    // The files the damaged hive was set aside as.
    std::vector<path> SetAsideFiles() const
    {
        std::vector<path> found;
        for (const auto& entry : fs::directory_iterator(m_home.ConfigFolder()))
            if (entry.path().filename().string().starts_with("HKEY_CURRENT_USER.sqlite.corrupt-") &&
                !entry.path().string().ends_with("-wal"))
                found.push_back(entry.path());
        return found;
    }

    // After the damaged hive was replaced: reported, kept aside with its
    // bytes, and the fresh hive stores and returns values.
    void ExpectSetAsideAndFreshHiveWorks(const IoTest::LogWatch& log, const std::string& damagedBytes)
    {
        const auto lines = log.NewLines();
        EXPECT_EQ(RegistryTest::CountContaining(lines, "ERROR Carrow CRegistryHive::Open: The registry hive '" +
                                                           m_home.UserHive().string() + "' is damaged"),
                  1)
            << Joined(lines);
        EXPECT_EQ(RegistryTest::CountContaining(lines, "it was set aside as"), 1) << Joined(lines);
        const auto aside = SetAsideFiles();
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(IoTest::ReadBytes(aside[0]), damagedBytes);

        CreateProductKey();
        CAppSettings writer = MakeSettings();
        SetGeneration(writer, 77);
        writer.Save();
        CAppSettings reader = MakeSettings();
        reader.Load();
        EXPECT_EQ(RegistryGeneration(reader), 77u);
    }

    RegistryTest::ScopedSettingsHome m_home;
};

} // namespace

TEST_F(AppSettingsRobustnessTest, GarbageHiveIsReportedSetAsideAndReplaced)
{
    std::mt19937 rng(1234);
    std::string garbage(8192, '\0');
    for (char& c : garbage) c = static_cast<char>(rng());
    fs::create_directories(m_home.ConfigFolder());
    IoTest::WriteBytes(m_home.UserHive(), garbage);

    IoTest::LogWatch log;
    CAppSettings settings = MakeSettings();
    SetGeneration(settings, 5);
    settings.Load(); // the items keep their values: the fresh hive holds none
    EXPECT_EQ(RegistryGeneration(settings), 5u);
    ExpectSetAsideAndFreshHiveWorks(log, garbage);
}

TEST_F(AppSettingsRobustnessTest, TruncatedHiveIsReportedSetAsideAndReplaced)
{
    CreateProductKey();
    {
        CAppSettings settings = MakeSettings();
        SetGeneration(settings, 3);
        settings.Save();
    }
    RegCloseHives(); // writes everything into the main file
    ASSERT_FALSE(fs::exists(m_home.UserHive().string() + "-wal"));
    const auto size = fs::file_size(m_home.UserHive());
    ASSERT_GT(size, 16384u);
    fs::resize_file(m_home.UserHive(), size / 2);
    const std::string truncated = IoTest::ReadBytes(m_home.UserHive());

    IoTest::LogWatch log;
    CAppSettings settings = MakeSettings();
    settings.Load();
    ExpectSetAsideAndFreshHiveWorks(log, truncated);
}

// Run by KilledWhileSavingLeavesOneCompleteGeneration in a child process:
// continues from the stored generation and saves one generation after the
// other, telling the parent through the pipe after each completed Save.
TEST_F(AppSettingsRobustnessTest, DISABLED_ChildSavesInALoop)
{
    const std::string mode = RegistryTest::ChildMode();
    if (!mode.starts_with("save-loop:")) GTEST_SKIP();
    const int pipe = std::stoi(mode.substr(10));
    CAppSettings settings = MakeSettings();
    settings.Load();
    for (DWORD generation = NumberOf(settings, ItemName(L'n', 0)) + 1;; ++generation) {
        SetGeneration(settings, generation);
        settings.Save();
        if (write(pipe, &generation, sizeof generation) != sizeof generation) _exit(4);
    }
}

TEST_F(AppSettingsRobustnessTest, KilledWhileSavingLeavesOneCompleteGeneration)
{
    CreateProductKey();
    RegCloseHives();
    std::mt19937 rng(std::random_device{}());
    constexpr int kRounds = 6;
    DWORD previous = 0;
    for (int round = 0; round < kRounds; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = RegistryTest::SpawnChildTest("AppSettingsRobustnessTest.DISABLED_ChildSavesInALoop",
                                                         "save-loop:" + std::to_string(fds[1]));
        ASSERT_GT(child, 0);
        close(fds[1]);

        // Let a few Saves complete, timing them, then kill at a random moment
        // of the next one.
        DWORD last = 0;
        const int saves = 2 + static_cast<int>(rng() % 8);
        auto start = std::chrono::steady_clock::now();
        std::chrono::microseconds slowest{1};
        for (int i = 0; i < saves; ++i) {
            ASSERT_EQ(read(fds[0], &last, sizeof last), static_cast<ssize_t>(sizeof last)) << "round " << round;
            const auto now = std::chrono::steady_clock::now();
            if (i > 0)
                slowest = std::max(slowest, std::chrono::duration_cast<std::chrono::microseconds>(now - start));
            start = now;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % slowest.count()));
        kill(child, SIGKILL);
        EXPECT_EQ(RegistryTest::WaitExitStatus(child), -1) << "the child ended by itself";
        DWORD reported = 0;
        while (read(fds[0], &reported, sizeof reported) == static_cast<ssize_t>(sizeof reported)) last = reported;
        close(fds[0]);
        EXPECT_GT(last, previous) << "each child goes on from the stored generation";

        RegCloseHives();
        IoTest::LogWatch log;
        CAppSettings settings = MakeSettings();
        settings.Load();
        const DWORD stored = RegistryGeneration(settings);
        EXPECT_TRUE(stored == last || stored == last + 1) << "stored " << stored << ", last completed " << last;
        for (int i = 0; i < kShared; ++i) {
            const DWORD shared = NumberOf(settings, ItemName(L's', i));
            EXPECT_TRUE(shared == last || shared == last + 1) << "shared " << i << ": " << shared << " vs " << last;
        }
        const auto lines = log.NewLines();
        EXPECT_EQ(RegistryTest::CountContaining(lines, "ERROR"), 0) << Joined(lines);
        previous = stored;
        if (HasFailure()) break;
    }
}

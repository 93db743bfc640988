#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config_mapping.h"
#include "config/container.h"
#include "config/persistence.h"
#include "platform/config_store.h"
#include "tests/config/support/config_samples.h"
#include "tests/config/wine/wine_support.h"

namespace {

// "解包数据错误！" in UTF-8.
const char FILE_DECODE_ERROR[] =
    "\xE8\xA7\xA3\xE5\x8C\x85\xE6\x95\xB0\xE6\x8D\xAE\xE9\x94\x99\xE8\xAF\xAF\xEF\xBC\x81";

std::string TempPath(const char* name) {
    char directory[MAX_PATH] = {0};
    GetTempPathA(sizeof(directory), directory);
    return std::string(directory) + "gw_store_" + std::to_string(GetCurrentProcessId()) + "_" +
           name;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

class WineFile : public WineStoreTest {
protected:
    void TearDown() override {
        for (const std::string& path : made_)
            DeleteFileA(path.c_str());
        WineStoreTest::TearDown();
    }
    std::string Path(const char* name) {
        made_.push_back(TempPath(name));
        return made_.back();
    }

private:
    std::vector<std::string> made_;
};

TEST_F(WineFile, SavedFileHoldsTheEncipheredBlobAndLoadsBack) {
    const std::string path = Path("full.WTS");
    FillSampleConfig(4);
    ConfigSnapshot expected = ConfigSnapshot::Take();
    FilterConfig.modified = 1;
    ASSERT_EQ(0, SaveConfigToFile(path.c_str()));
    EXPECT_EQ(0, FilterConfig.modified);

    ParamPacket* packet = BuildConfigPacket(FILE_PARAM_ORDER);
    uint8_t* blob = nullptr;
    size_t length = 0;
    ASSERT_EQ(0, EncodePacket(packet, &blob, &length));
    std::vector<uint8_t> expectedBytes(blob, blob + length);
    FreeBlob(blob);
    FreePacket(packet);
    CryptConfigBlob(expectedBytes.data(), expectedBytes.size());
    EXPECT_EQ(expectedBytes, ReadFileBytes(path));

    // Saving over an existing, longer file truncates it.
    ClearConfigLists();
    ASSERT_EQ(0, SaveConfigToFile(path.c_str()));
    EXPECT_LT(ReadFileBytes(path).size(), expectedBytes.size());
    WriteFileBytes(path, expectedBytes);

    // Another reader may hold the file open meanwhile.
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    ResetFilterConfig();
    EXPECT_EQ(0, LoadConfigFromFile(path.c_str()));
    CloseHandle(reader);
    ExpectSameConfig(expected, ConfigSnapshot::Take());
    EXPECT_TRUE(RecordedBoxes().empty());
}

// A write that fails part-way (here the bytes run into memory nobody may read, as a
// full disk would stop it) leaves the previous file byte for byte, and nothing beside.
TEST_F(WineFile, FailedWriteLeavesThePreviousFile) {
    const std::string path = Path("kept.WTS");
    const std::vector<uint8_t> previous = {'o', 'l', 'd', 0, 1, 2};
    WriteFileBytes(path, previous);
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    uint8_t* pages = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
    EXPECT_NE(STORE_FILE_OK, StoreWriteWholeFile(path.c_str(), pages + page - 100, 200));
    VirtualFree(pages, 0, MEM_RELEASE);
    EXPECT_EQ(previous, ReadFileBytes(path));
    WIN32_FIND_DATAA found;
    const std::string pattern = path.substr(0, path.find_last_of('\\') + 1) + "gwc*.tmp";
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

TEST_F(WineFile, EmptyFileFailsWithoutAMessage) {
    const std::string path = Path("empty.WTS");
    WriteFileBytes(path, {});
    FillSampleConfig(2);
    EXPECT_EQ(-1, LoadConfigFromFile(path.c_str()));
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_EQ(2u, FilterConfig.ipRanges.size()); // a failed load changes nothing
}

TEST_F(WineFile, RandomBytesAreReportedAndChangeNothing) {
    const std::string path = Path("random.WTS");
    std::vector<uint8_t> bytes(513);
    uint32_t seed = 99;
    for (uint8_t& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    WriteFileBytes(path, bytes);
    FillSampleConfig(2);
    EXPECT_EQ(-1, LoadConfigFromFile(path.c_str()));
    ExpectOnlyBox(FILE_DECODE_ERROR);
    EXPECT_EQ(2u, FilterConfig.sessionUsers.size());
    EXPECT_EQ(2u, FilterConfig.monitorServers.size());
}

TEST_F(WineFile, MissingFileAndUnwritablePathAreReported) {
    EXPECT_EQ(-1, LoadConfigFromFile(TempPath("does-not-exist.WTS").c_str()));
    ExpectOnlyBox("Open file error!");

    RecordedBoxes().clear();
    FilterConfig.modified = 1;
    const std::string nowhere = TempPath("no-such-directory") + "\\cannot.WTS";
    EXPECT_EQ(-1, SaveConfigToFile(nowhere.c_str()));
    ExpectOnlyBox("Save file error!");
    EXPECT_EQ(1, FilterConfig.modified);
}

} // namespace

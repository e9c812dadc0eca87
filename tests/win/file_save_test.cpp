#include "actions/file_save_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "toolkit/win_resource.h"

namespace {

namespace fs = std::filesystem;

class SaveWholeFileTest : public testing::Test {
protected:
    SaveWholeFileTest() {
        directory = fs::temp_directory_path() /
                    (L"trovella-save-" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(directory);
        fs::create_directories(directory);
        target = directory / L"歌单.m3u";
    }
    ~SaveWholeFileTest() override { fs::remove_all(directory); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteOld() { std::ofstream(target, std::ios::binary) << "old contents"; }
    // Every file in the directory but the target: what a save may not leave behind.
    std::vector<fs::path> Leftovers() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(directory))
            if (entry.path() != target) found.push_back(entry.path());
        return found;
    }

    fs::path directory;
    fs::path target;
};

TEST_F(SaveWholeFileTest, WritesANewFileAndReplacesAnOldOneWhole) {
    const std::string bytes("#EXTM3U\r\n\0zero inside\r\n", 24);
    ASSERT_TRUE(SaveWholeFile(target.wstring(), bytes));
    EXPECT_EQ(Read(target), bytes);

    WriteOld();
    ASSERT_TRUE(SaveWholeFile(target.wstring(), "new"));
    EXPECT_EQ(Read(target), "new");
    ASSERT_TRUE(SaveWholeFile(target.wstring(), ""));
    EXPECT_EQ(Read(target), "");
    EXPECT_TRUE(Leftovers().empty());
}

// Another program holds the old file open without sharing: it cannot be replaced, keeps
// its contents, and the new bytes leave nothing behind.
TEST_F(SaveWholeFileTest, ATargetThatCannotBeReplacedKeepsItsContents) {
    WriteOld();
    UniqueFileHandle held(CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(SaveWholeFile(target.wstring(), "new contents"));
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    held.reset();
    EXPECT_EQ(Read(target), "old contents");
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(SaveWholeFileTest, AMissingDirectoryFailsWithoutMakingAnything) {
    EXPECT_FALSE(SaveWholeFile((directory / L"missing" / L"list.m3u").wstring(), "bytes"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(Leftovers().empty());
}

}  // namespace

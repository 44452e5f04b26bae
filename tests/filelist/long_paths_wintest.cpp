// The file list with paths around and far past MAX_PATH: a folder scan of a deep tree, and what
// the shell does with such files.
#include <algorithm>

#include "filelist/shell_actions_win.h"
#include "support/list_support.h"

namespace corvana::test {
namespace {

constexpr size_t kLengths[] = {250, 259, 260, 261, 300, 600, 1000};

class LongPathList : public AppFixture {
protected:
    TempFolder work{L"longlist"};
};

// A folder named on the command line holding files at every length in branches of their own:
// each file comes whole, with nothing else.
TEST_F(LongPathList, AFolderScanReachesEveryDepth) {
    const std::wstring root = DeepPath(work / L"root", 200, L"");
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + root).c_str(), nullptr));
    std::vector<std::wstring> files;
    for (size_t length : kLengths) {
        files.push_back(DeepPath(root + L"\\" + std::to_wstring(length), length, L".mp3"));
        WriteFileBytes(files.back(), "x");
        ASSERT_TRUE(PathExists(files.back())) << length;
        WriteFileBytes(DeepPath(root + L"\\" + std::to_wstring(length), length, L".txt"), "not audio");
    }
    Start(L"\"" + root + L"\"");
    std::vector<std::wstring> captions = ListCaptions(form->Files().Handle());
    std::sort(captions.begin(), captions.end());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(captions, files);
    EXPECT_EQ(form->LastFolder(), root);
}

class LongPathFile : public testing::TestWithParam<size_t> {
protected:
    TempFolder work{L"longfile"};
};

TEST_P(LongPathFile, IsAFileAndItsFolderIsNot) {
    const std::wstring file = DeepPath(work.Path(), GetParam(), L".wav");
    WriteFileBytes(file, "x");
    EXPECT_TRUE(IsExistingFile(file));
    EXPECT_FALSE(IsExistingFile(FolderOf(file)));
    EXPECT_FALSE(IsExistingFile(file + L"x"));
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongPathFile, testing::ValuesIn(kLengths),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace corvana::test

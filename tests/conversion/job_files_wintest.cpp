// The job's file operations against the real file system.
#include <gtest/gtest.h>

#include <thread>

#include "common/text.h"
#include "conversion/console_runner_win.h"
#include "support/win_test_support.h"

namespace corvana::test {
namespace {

// A job's finished temporary file, held open by another program that lets others read it only.
class FinalNames : public testing::Test {
protected:
    TempFolder folder{L"jobfiles"};
    const std::wstring temporary = folder / L"~song.part.mp3", output = folder / L"song.mp3";
    HANDLE held = INVALID_HANDLE_VALUE;

    void SetUp() override {
        WriteFileBytes(temporary, "whole");
        held = CreateFileW(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }
};

// A finished output can still be held for a moment by another program (a virus scanner looking
// at the new file, an indexer, the ended FFmpeg's handle not yet closed): its name is given as
// soon as that lets go, and nothing is lost meanwhile.
TEST_F(FinalNames, ANameIsGivenOnceAProgramHoldingTheFileLetsGo) {
    // While it is held, the file system refuses the rename outright.
    ASSERT_FALSE(MoveFileExW(temporary.c_str(), output.c_str(), 0));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    std::thread release([this] {
        Sleep(300);
        CloseHandle(held);
    });
    const std::optional<std::wstring> failure = WindowsJobFiles().Rename(temporary, output, false);
    release.join();
    EXPECT_FALSE(failure) << EncodeUtf8(*failure);
    EXPECT_EQ(ReadFileBytes(output), "whole");
    EXPECT_FALSE(PathExists(temporary));
}

// A file held for good still fails, with the reason, after a bounded wait, and stays whole.
TEST_F(FinalNames, AFileHeldForGoodFailsWithTheReason) {
    const std::optional<std::wstring> failure = WindowsJobFiles().Rename(temporary, output, false);
    CloseHandle(held);
    ASSERT_TRUE(failure);
    EXPECT_FALSE(failure->empty());
    EXPECT_EQ(ReadFileBytes(temporary), "whole");
    EXPECT_FALSE(PathExists(output));
}

}  // namespace
}  // namespace corvana::test

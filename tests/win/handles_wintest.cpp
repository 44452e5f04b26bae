#include "win/handles_win.h"

#include <gtest/gtest.h>

namespace corvana {
namespace {

// A failure's code must survive the cleanup that runs before the caller reads it.
TEST(UniqueHandle, ClosingKeepsTheLastError) {
    UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    SetLastError(ERROR_FILE_NOT_FOUND);
    event.reset();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    {
        UniqueKernelHandle other(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        SetLastError(ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace corvana

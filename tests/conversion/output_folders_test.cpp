#include "conversion/output_folders.h"

#include <gtest/gtest.h>

namespace corvana {
namespace {

struct NameCase {
    const char* name;
    const wchar_t* folder;
    const wchar_t* expected;
};

class TargetFolderNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(TargetFolderNameTest, IsANameWindowsAccepts) {
    EXPECT_EQ(TargetFolderName(GetParam().folder), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TargetFolderNameTest,
    testing::Values(NameCase{"Plain", L"D:\\Music\\Albums", L"Albums"},
                    NameCase{"TrailingBackslash", L"D:\\Music\\Albums\\", L"Albums"},
                    NameCase{"UnicodeKept", L"C:\\Müzik\\Ólafur Arnalds", L"Ólafur Arnalds"},
                    NameCase{"DriveRoot", L"D:\\", L"D"}, NameCase{"DriveWithoutBackslash", L"e:", L"e"},
                    NameCase{"Share", L"\\\\server\\music\\", L"music"},
                    NameCase{"TrailingDotsAndBlanks", L"C:\\x\\Greatest Hits... ", L"Greatest Hits"},
                    NameCase{"OnlyDots", L"C:\\x\\...", L"_"}, NameCase{"DeviceName", L"C:\\x\\con", L"con_"},
                    NameCase{"DeviceNameWithExtension", L"C:\\x\\LPT1.music", L"LPT1.music_"},
                    NameCase{"NotADeviceName", L"C:\\x\\COM10", L"COM10"}),
    [](const auto& info) { return info.param.name; });

struct FolderCase {
    const char* name;
    const wchar_t* target;
    const wchar_t* addedFrom;
    const wchar_t* sourceFolder;
    const wchar_t* expected;
};

class StructuredOutputFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(StructuredOutputFolderTest, MirrorsTheSourceBelowTheAddedFolder) {
    const auto& c = GetParam();
    EXPECT_EQ(StructuredOutputFolder(c.target, c.addedFrom, c.sourceFolder), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StructuredOutputFolderTest,
    testing::Values(
        FolderCase{"TheAddedFolderItself", L"C:\\out", L"D:\\Music", L"D:\\Music", L"C:\\out\\Music"},
        FolderCase{"SubFolders", L"C:\\out\\", L"D:\\Music", L"D:\\Music\\Artist\\Album",
                   L"C:\\out\\Music\\Artist\\Album"},
        FolderCase{"LetterCaseAside", L"C:\\out", L"d:\\music\\", L"D:\\Music\\Artist", L"C:\\out\\music\\Artist"},
        FolderCase{"DriveRoot", L"C:\\out", L"D:\\", L"D:\\Artist\\Album", L"C:\\out\\D\\Artist\\Album"},
        FolderCase{"SiblingWithTheSamePrefix", L"C:\\out", L"D:\\Music", L"D:\\Music Videos\\x", L"C:\\out\\Music"},
        FolderCase{"Elsewhere", L"C:\\out", L"D:\\Music", L"E:\\Other", L"C:\\out\\Music"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace corvana

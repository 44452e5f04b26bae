#include "common/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace corvana {
namespace {

struct PartsCase {
    const wchar_t* path;
    const wchar_t* folder;
    const wchar_t* base;
    const wchar_t* extension;
    const wchar_t* parentFolder;
};

class PathPartsTest : public testing::TestWithParam<PartsCase> {};

TEST_P(PathPartsTest, SplitsAtTheLastSeparatorAndDot) {
    const auto& c = GetParam();
    EXPECT_EQ(FolderPart(c.path), c.folder);
    EXPECT_EQ(BaseName(c.path), c.base);
    EXPECT_EQ(ExtensionPart(c.path), c.extension);
    EXPECT_EQ(FolderOf(c.path), c.parentFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathPartsTest,
    testing::Values(PartsCase{L"C:\\music\\song.flac", L"C:\\music\\", L"song", L".flac", L"C:\\music"},
                    PartsCase{L"C:\\a.b.c.flac", L"C:\\", L"a.b.c", L".flac", L"C:\\"},
                    PartsCase{L"C:\\dir.x\\noext", L"C:\\dir.x\\", L"noext", L"", L"C:\\dir.x"},
                    PartsCase{L"C:\\x\\.mp3", L"C:\\x\\", L"", L".mp3", L"C:\\x"},
                    PartsCase{L"C:song (2).mp3", L"C:", L"song (2)", L".mp3", L"C:"},
                    PartsCase{L"\\\\server\\share\\t.wav", L"\\\\server\\share\\", L"t", L".wav", L"\\\\server\\share"},
                    PartsCase{L"bare.mp3", L"", L"bare", L".mp3", L""},
                    PartsCase{L"C:\\x\\name.", L"C:\\x\\", L"name", L".", L"C:\\x"}));

struct DriveCase {
    const char* name;
    std::wstring path;
    std::wstring drive;
};

class DrivePartTest : public testing::TestWithParam<DriveCase> {};

TEST_P(DrivePartTest, IsTheDriveLetterOrTheShare) {
    EXPECT_EQ(DrivePart(GetParam().path), GetParam().drive);
}

INSTANTIATE_TEST_SUITE_P(Paths, DrivePartTest,
                         testing::Values(DriveCase{"Drive", L"C:\\Music\\Rock", L"C:"},
                                         DriveCase{"Root", L"D:\\", L"D:"},
                                         DriveCase{"Share", L"\\\\server\\share\\music", L"\\\\server\\share"},
                                         DriveCase{"ShareOnly", L"\\\\server\\share", L"\\\\server\\share"},
                                         DriveCase{"ServerWithoutShare", L"\\\\server", L""},
                                         DriveCase{"Relative", L"music\\rock", L""}, DriveCase{"Empty", L"", L""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ExtendedCase {
    const char* name;
    std::wstring path;
    std::wstring extended;
};

class ExtendedLengthPathTest : public testing::TestWithParam<ExtendedCase> {};

TEST_P(ExtendedLengthPathTest, PrefixesOnlyAbsolutePaths) {
    EXPECT_EQ(ExtendedLengthPath(GetParam().path), GetParam().extended);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExtendedLengthPathTest,
    testing::Values(ExtendedCase{"Drive", L"C:\\Music\\a b.mp3", L"\\\\?\\C:\\Music\\a b.mp3"},
                    ExtendedCase{"LowerCaseDriveRoot", L"d:\\", L"\\\\?\\d:\\"},
                    ExtendedCase{"Share", L"\\\\server\\share\\x.wav", L"\\\\?\\UNC\\server\\share\\x.wav"},
                    ExtendedCase{"AlreadyExtended", L"\\\\?\\C:\\x.wav", L"\\\\?\\C:\\x.wav"},
                    ExtendedCase{"AlreadyExtendedShare", L"\\\\?\\UNC\\s\\t\\x", L"\\\\?\\UNC\\s\\t\\x"},
                    ExtendedCase{"Device", L"\\\\.\\COM1", L"\\\\.\\COM1"},
                    ExtendedCase{"ServerWithoutShare", L"\\\\server", L"\\\\server"},
                    ExtendedCase{"DriveRelative", L"C:music\\x.mp3", L"C:music\\x.mp3"},
                    ExtendedCase{"RootRelative", L"\\music\\x.mp3", L"\\music\\x.mp3"},
                    ExtendedCase{"Relative", L"music\\x.mp3", L"music\\x.mp3"}, ExtendedCase{"Empty", L"", L""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvana

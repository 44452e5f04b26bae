// The ffmpeg.exe that goes out with the program: in the portable folder, of the program's own
// architecture, under the LGPL, with its licence beside it, naming the source version it was built from.
#include <gtest/gtest.h>

#include <string>

#include "conversion/console_runner_win.h"
#include "support/conversion_support.h"
#include "support/win_test_support.h"

namespace corvana::test {
namespace {

std::wstring PortableFolder() {
    return BuildDir() + L"\\portable\\Corvana-" CORVANA_VERSION_TEXT + (sizeof(void*) == 8 ? L"-win64" : L"-win32");
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

TEST(BundledFFmpeg, IsTheProgramsArchitectureAndSaysWhichSourceItWasBuiltFrom) {
    const std::wstring folder = PortableFolder();
    const std::wstring ffmpeg = folder + L"\\ffmpeg.exe";
    DWORD type = 0;
    ASSERT_TRUE(GetBinaryTypeW(ffmpeg.c_str(), &type));
    DWORD programType = 0;
    ASSERT_TRUE(GetBinaryTypeW((folder + L"\\Corvana.exe").c_str(), &programType));
    EXPECT_EQ(type, programType);
    EXPECT_EQ(type, sizeof(void*) == 8 ? DWORD{SCS_64BIT_BINARY} : DWORD{SCS_32BIT_BINARY});

    const CapturedRun version = RunConsoleProgram(ffmpeg, L"ffmpeg.exe -version", folder);
    ASSERT_EQ(version.exitStatus, 0u) << version.output;
    // "ffmpeg version 5.1.9-0+deb12u1 Copyright ...": the upstream version and Debian's revision,
    // the same the licence file names as the source.
    const std::string first = FirstLine(version.output);
    const std::string prefix = "ffmpeg version ";
    ASSERT_EQ(first.substr(0, prefix.size()), prefix) << first;
    const std::string built = first.substr(prefix.size(), first.find(' ', prefix.size()) - prefix.size());
    EXPECT_NE(built.find("+deb"), std::string::npos) << built;
    const std::string licence = ReadFileBytes(folder + L"\\ffmpeg-license.txt");
    EXPECT_EQ(FirstLine(licence),
              "ffmpeg.exe, shipped with Corvana, is FFmpeg " + built + " built from Debian's source packages:");
    EXPECT_EQ(version.output.find("--enable-gpl"), std::string::npos) << "no GPL-only part";
    EXPECT_EQ(version.output.find("--enable-nonfree"), std::string::npos);
}

TEST(BundledFFmpeg, IsUnderTheLesserGplWhoseTextGoesWithIt) {
    const std::wstring folder = PortableFolder();
    const CapturedRun licence = RunConsoleProgram(folder + L"\\ffmpeg.exe", L"ffmpeg.exe -hide_banner -L", folder);
    ASSERT_EQ(licence.exitStatus, 0u) << licence.output;
    EXPECT_NE(licence.output.find("GNU Lesser General Public"), std::string::npos) << licence.output;
    const std::string text = ReadFileBytes(folder + L"\\ffmpeg-license.txt");
    EXPECT_NE(text.find("GNU LESSER GENERAL PUBLIC LICENSE"), std::string::npos);
    EXPECT_NE(ReadFileBytes(folder + L"\\license.txt").find("ffmpeg-license.txt"), std::string::npos)
        << "the program's licence points to FFmpeg's";
}

}  // namespace
}  // namespace corvana::test

#include "common/settings_store.h"

#include <gtest/gtest.h>

#include <string>

using corvana::IniStore;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

struct LoadCase {
    const char* name;
    std::string file;
    // What the program reads back, and the exact bytes of the next save.
    std::wstring destination;
    std::wstring remember;
    std::string saved;
};

class SettingsStoreLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(SettingsStoreLoad, ReadsAndRewrites) {
    const auto& c = GetParam();
    IniStore store;
    ASSERT_TRUE(store.Load(c.file));
    EXPECT_EQ(store.ReadString(L"Settings", L"Destination", L"<default>"), c.destination);
    EXPECT_EQ(store.ReadString(L"Settings", L"RememberAudioSettings", L""), c.remember);
    EXPECT_EQ(store.Serialize(), c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsStoreLoad,
    testing::Values(
        LoadCase{"Empty", "", L"<default>", L"", kBom}, LoadCase{"OnlyBom", kBom, L"<default>", L"", kBom},
        LoadCase{"Plain", kBom + "[Settings]\r\nDestination=C:\\Out\r\n\r\n", L"C:\\Out", L"",
                 kBom + "[Settings]\r\nDestination=C:\\Out\r\n\r\n"},
        LoadCase{"NoBomGetsOne", "[Settings]\nDestination=D:\\x\n", L"D:\\x", L"",
                 kBom + "[Settings]\r\nDestination=D:\\x\r\n\r\n"},
        LoadCase{"OtherCaseNames", "[settings]\r\ndestination=E:\\\r\nREMEMBERAUDIOSETTINGS=ON\r\n", L"E:\\", L"ON",
                 kBom + "[settings]\r\ndestination=E:\\\r\nREMEMBERAUDIOSETTINGS=ON\r\n\r\n"},
        LoadCase{"BlanksAroundStripped", "  [ Settings ]  \r\n\t Destination  =  C:\\A B  \r\n", L"C:\\A B", L"",
                 kBom + "[Settings]\r\nDestination=C:\\A B\r\n\r\n"},
        LoadCase{"LowerCaseOnIsKeptAsWritten", "[Settings]\r\nRememberAudioSettings=on\r\n", L"<default>", L"on",
                 kBom + "[Settings]\r\nRememberAudioSettings=on\r\n\r\n"},
        LoadCase{"CommentsAndBlankLinesDropped", "; comment\r\n\r\n[Settings]\r\n;x=1\r\n\r\nDestination=C:\\\r\n",
                 L"C:\\", L"", kBom + "[Settings]\r\nDestination=C:\\\r\n\r\n"},
        LoadCase{"UnknownKeysAndSectionsKept", "[Other]\r\nA=1\r\n[Settings]\r\nFoo=bar\r\nDestination=X\r\n", L"X",
                 L"", kBom + "[Other]\r\nA=1\r\n\r\n[Settings]\r\nFoo=bar\r\nDestination=X\r\n\r\n"},
        LoadCase{"LinesBeforeFirstSectionIgnored", "Destination=nope\r\n[Settings]\r\n", L"<default>", L"",
                 kBom + "[Settings]\r\n\r\n"},
        LoadCase{"KeyWithoutEqualsReadsAsDefault", "[Settings]\r\nDestination\r\n", L"<default>", L"",
                 kBom + "[Settings]\r\nDestination\r\n\r\n"},
        LoadCase{"EmptyValueIsNotDefault", "[Settings]\r\nDestination=\r\n", L"", L"",
                 kBom + "[Settings]\r\nDestination=\r\n\r\n"},
        LoadCase{"SplitAtFirstEquals", "[Settings]\r\nDestination=a=b\r\n", L"a=b", L"",
                 kBom + "[Settings]\r\nDestination=a=b\r\n\r\n"},
        LoadCase{"SectionSeenAgainContinues", "[Settings]\r\nA=1\r\n[Other]\r\n[SETTINGS]\r\nDestination=Y\r\n", L"Y",
                 L"", kBom + "[Settings]\r\nA=1\r\nDestination=Y\r\n\r\n[Other]\r\n\r\n"},
        LoadCase{"CrOnlyLineBreaks", "[Settings]\rDestination=Z\r", L"Z", L"",
                 kBom + "[Settings]\r\nDestination=Z\r\n\r\n"},
        LoadCase{"NonAsciiUtf8", "[Settings]\r\nDestination=C:\\M\xC3\xBCzik\r\n", L"C:\\M\u00FCzik", L"",
                 kBom + "[Settings]\r\nDestination=C:\\M\xC3\xBCzik\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsStore, RefusesBytesThatAreNotUtf8) {
    const std::string cases[] = {
        "[Settings]\r\nDestination=C:\\M\xFCzik\r\n",  // an 8-bit code page
        std::string("\x00\x01\xFF\xFE\x80", 5),        // binary
        "\xC0\xAF",                                    // overlong slash
        "\xED\xA0\x80",                                // surrogate
        "[S]\r\nA=\xE2\x82",                           // cut sequence at the end
    };
    for (const auto& bytes : cases) {
        IniStore store;
        store.WriteString(L"Settings", L"Old", L"1");
        EXPECT_FALSE(store.Load(bytes));
        EXPECT_EQ(store.Serialize(), kBom) << "a refused file leaves an empty store";
    }
}

TEST(SettingsStore, FreshStartWritesExactlyOneEntry) {
    IniStore store;
    store.WriteString(L"Settings", L"Destination", L"C:\\Users\\me\\Desktop");
    EXPECT_EQ(store.Serialize(), kBom + "[Settings]\r\nDestination=C:\\Users\\me\\Desktop\r\n\r\n");
}

TEST(SettingsStore, WriteReplacesInPlaceAndAppendsAtEndOfSection) {
    IniStore store;
    ASSERT_TRUE(store.Load("[Settings]\r\nDestination=A\r\nFFmpegParameters=-ac 1\r\n[Other]\r\nK=V\r\n"));
    store.WriteString(L"settings", L"DESTINATION", L"B");
    store.WriteString(L"Settings", L"UseSourceFolder", L"ON");
    store.WriteString(L"New", L"N", L"1");
    EXPECT_EQ(store.Serialize(), kBom +
                                     "[Settings]\r\nDestination=B\r\nFFmpegParameters=-ac 1\r\nUseSourceFolder=ON\r\n"
                                     "\r\n[Other]\r\nK=V\r\n\r\n[New]\r\nN=1\r\n\r\n");
}

TEST(SettingsStore, WritingABareNameGivesItAValue) {
    IniStore store;
    ASSERT_TRUE(store.Load("[Settings]\r\nShowErrorDetails\r\n"));
    store.WriteString(L"Settings", L"ShowErrorDetails", L"ON");
    EXPECT_EQ(store.ReadString(L"Settings", L"ShowErrorDetails", L""), L"ON");
    EXPECT_EQ(store.Serialize(), kBom + "[Settings]\r\nShowErrorDetails=ON\r\n\r\n");
}

TEST(SettingsStore, LargeFileLoads) {
    std::string file = "[Settings]\r\n";
    const std::string line = "Key=" + std::string(200, 'v') + "\r\n";
    while (file.size() < 50u * 1024 * 1024) file += line;
    file += "Destination=C:\\big\r\n";
    IniStore store;
    ASSERT_TRUE(store.Load(file));
    EXPECT_EQ(store.ReadString(L"Settings", L"Destination", L""), L"C:\\big");
}

}  // namespace

#include "settings/ini_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/ini_store.h"
#include "support/temp_dir.h"

namespace {

// "[A]" + CRLF + "k=" + value + CRLF
std::string Section(const std::string& value) { return "[A]\r\nk=" + value + "\r\n"; }

const std::string kJapaneseUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC";  // two kanji ("nihon")
const std::string kJapaneseCp932 = "\x93\xFA\x96\x7B";        // the same in Shift-JIS
const std::string kHangulUtf8 = "\xED\x95\x9C";                // a syllable code page 932 lacks
const std::string kBom(kUtf8Bom);

struct EncodingCase {
    const char* label;
    std::string file;     // bytes on the disk (empty: a text made in the program)
    std::string text;     // what the program reads on this platform
    std::string written;  // what saving that text writes on this platform
};

#ifdef _WIN32
const EncodingCase kCases[] = {
    {"PureAscii", Section("C:\\data"), Section("C:\\data"), Section("C:\\data")},
    {"JapaneseInCp932", Section(kJapaneseCp932), Section(kJapaneseUtf8), Section(kJapaneseCp932)},
    // A name Shift-JIS cannot hold is kept whole: UTF-8 with the mark.
    {"NameOutsideCp932", kBom + Section(kHangulUtf8), kBom + Section(kHangulUtf8), kBom + Section(kHangulUtf8)},
    // A UTF-8 file stays one, even where every name would fit code page 932.
    {"BomFileWhoseNamesFitCp932", kBom + Section(kJapaneseUtf8), kBom + Section(kJapaneseUtf8),
     kBom + Section(kJapaneseUtf8)},
    // The first name that does not fit (typed into the program) turns a code
    // page 932 file into UTF-8.
    {"Cp932FileGainsANameOutsideIt", "", Section(kJapaneseUtf8) + Section(kHangulUtf8),
     kBom + Section(kJapaneseUtf8) + Section(kHangulUtf8)},
    // Bytes that are not Shift-JIS are passed on, not turned into '?'.
    {"NotCp932", Section("\x81"), Section("\x81"), kBom + Section("\x81")},
};
#else
// Linux reads and writes UTF-8 as it is, a byte-order mark included.
const EncodingCase kCases[] = {
    {"PureAscii", Section("/data"), Section("/data"), Section("/data")},
    {"JapaneseUtf8", Section(kJapaneseUtf8), Section(kJapaneseUtf8), Section(kJapaneseUtf8)},
    {"NameOutsideCp932", Section(kHangulUtf8), Section(kHangulUtf8), Section(kHangulUtf8)},
    {"BomFile", kBom + Section(kJapaneseUtf8), kBom + Section(kJapaneseUtf8), kBom + Section(kJapaneseUtf8)},
    {"Cp932BytesStayBytes", Section(kJapaneseCp932), Section(kJapaneseCp932), Section(kJapaneseCp932)},
};
#endif

std::string WithoutBom(const std::string& text) {
    return text.rfind(kBom, 0) == 0 ? text.substr(kBom.size()) : text;
}

class SettingsEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(SettingsEncoding, ReadsAndSavesWithoutLosingAName) {
    const EncodingCase& c = GetParam();
    if (!c.file.empty()) {
        EXPECT_EQ(SettingsTextOfFile(c.file), c.text);
    }
    EXPECT_EQ(SettingsFileOfText(c.text), c.written);
    // What was written reads back as the same text (the mark aside).
    EXPECT_EQ(WithoutBom(SettingsTextOfFile(c.written)), WithoutBom(c.text));
}

// Through the store on the real file system: an unchanged text saves the
// file's own bytes again.
TEST_P(SettingsEncoding, AFileSavedUnchangedKeepsItsBytes) {
    const EncodingCase& c = GetParam();
    if (c.file.empty() || c.written != c.file) GTEST_SKIP() << "this file is meant to change when saved";
    TempDir t;
    const std::string path = t / "ZORUNA.INI";
    WriteFile(path, c.file);
    const SettingsStore store{path, &RealFileSystem()};
    std::string text;
    ASSERT_EQ(ReadSettingsText(store, text), SettingsRead::Read);
    EXPECT_EQ(text, c.text);
    ASSERT_TRUE(ReplaceSettingsText(store, text));
    EXPECT_EQ(ReadFile(path), c.file);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsEncoding, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace

#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cstdio>
#include <initializer_list>
#include <ostream>
#include <optional>
#include <sstream>
#include <algorithm>
#include <string>
#include <vector>

#include "settings/ini_text.h"
#include "support/forwarding_fs.h"
#include "support/temp_dir.h"
#include "support/test_name.h"
#include "support/test_text.h"

namespace {

struct PairText {
    const char* dirA;
    const char* dirB;
    std::vector<std::string> masks;
    bool subdirs = false;
};

DirPairTable MakeTable(std::initializer_list<PairText> pairs) {
    DirPairTable t;
    std::memset(&t, 0, sizeof t);
    for (const PairText& p : pairs) {
        DirPair& slot = t.pairs[t.count++];
        std::strcpy(slot.dirA, p.dirA);
        std::strcpy(slot.dirB, p.dirB);
        for (std::size_t m = 0; m < p.masks.size(); ++m) std::strcpy(slot.masks[m], p.masks[m].c_str());
        slot.subdirs = p.subdirs;
    }
    return t;
}

// "count=N" and, for every slot that holds anything, " i:dirA|dirB|mask,mask",
// followed by "|+" when the slot compares whole trees.
std::string Describe(const DirPairTable& t) {
    std::string s = "count=" + std::to_string(t.count);
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        const DirPair& p = t.pairs[i];
        std::string masks;
        for (int m = 0; m < MAX_MASKS && p.masks[m][0]; ++m) masks.append(m ? "," : "").append(p.masks[m]);
        if (p.dirA[0] || p.dirB[0] || !masks.empty() || p.subdirs)
            s.append(" ").append(std::to_string(i)).append(":").append(p.dirA).append("|").append(p.dirB).append("|").append(masks);
        if (p.subdirs) s.append("|+");
    }
    return s;
}

// The values of one save: widths and the pair of slot 0 (other slots empty).
struct Saved {
    ColumnWidths widths;
    std::string dirA, dirB, masks;
};

const Saved kExample{{147, 110, 110}, "C:\\WORK", "D:\\BACKUP\\WORK", "OBJ,BAK"};
const Saved kOlder{{200, 90, 80}, "/old/a", "/old/b", "TMP"};

// The file that the older key-by-key writer left after the given saves of an
// empty file (oldest first): every key outside its section's first block was
// inserted again right after that block at each save, the older lines below.
std::string GrownFile(const std::vector<Saved>& saves) {
    const Saved& last = saves.back();
    std::string s = "[SIZE]\r\nFNAME=" + std::to_string(last.widths.fileName) + "\r\n\r\n";
    for (auto it = saves.rbegin(); it != saves.rend(); ++it)
        s += "TIMEB=" + std::to_string(it->widths.timeB) + "\r\n\r\nTIMEA=" + std::to_string(it->widths.timeA) +
             "\r\n\r\n";
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        s += "[DIR" + std::to_string(i) + "]\r\nDIRA=" + (i == 0 ? last.dirA : "") + "\r\n\r\n";
        for (auto it = saves.rbegin(); it != saves.rend(); ++it)
            s += "MASK=" + (i == 0 ? it->masks : "") + "\r\n\r\nDIRB=" + (i == 0 ? it->dirB : "") + "\r\n\r\n";
    }
    return s;
}

// What one save gives: each section's keys in one block, in key order.
std::string OneBlockFile(const Saved& v, const std::string& sizeExtra = "") {
    std::string s = "[SIZE]\r\nFNAME=" + std::to_string(v.widths.fileName) + "\r\nTIMEA=" +
                    std::to_string(v.widths.timeA) + "\r\nTIMEB=" + std::to_string(v.widths.timeB) + "\r\n" +
                    sizeExtra + "\r\n";
    for (int i = 0; i < MAX_DIR_PAIRS; ++i)
        s += i == 0 ? PairSection(0, v.dirA, v.dirB, v.masks) : PairSection(i, "", "");
    return s;
}

// An empty file after one save of widths 147/110/110 and one pair by the
// older key-by-key writer.
const std::string kBuiltUpFile = GrownFile({kExample});

class SettingsTest : public ::testing::Test {
protected:
    DirPairTable Load() {
        DirPairTable t;
        std::memset(&t, 0, sizeof t);
        LoadSettings(m_store, t, m_widths, m_size);
        return t;
    }

    SaveResult Save(const ColumnWidths& widths, const DirPairTable& pairs, const WindowSize& size = {}) {
        return SaveSettings(m_store, widths, size, pairs);
    }

    TempDir m_dir;
    std::string m_ini = m_dir / "zoruna.INI";
    SettingsStore m_store{m_ini, &RealFileSystem()};
    ColumnWidths m_widths;
    WindowSize m_size;
    const DirPairTable m_example = MakeTable({{"C:\\WORK", "D:\\BACKUP\\WORK", {"OBJ", "BAK"}}});
};

struct NameCase {
    const char* argv0;
    const char* name;
};

class SettingsFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(SettingsFileNameTest, BaseNameWithIniExtension) {
    EXPECT_EQ(SettingsFileNameFor(GetParam().argv0), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFileNameTest,
                         ::testing::Values(NameCase{"/usr/bin/zoruna", "zoruna.INI"},
                                           NameCase{"C:\\x\\ZORUNA.EXE", "ZORUNA.INI"},
                                           NameCase{"C:/x\\y/Zoruna.exe", "Zoruna.INI"},
                                           NameCase{"./v1.2/zoruna", "zoruna.INI"},
                                           NameCase{"zoruna.a.exe", "zoruna.a.INI"}, NameCase{"zoruna", "zoruna.INI"},
                                           NameCase{"", "zoruna.INI"}, NameCase{nullptr, "zoruna.INI"}),
                         [](const auto& info) {
                             return info.param.argv0 ? NameFromText(info.param.argv0) : std::string("null_pointer");
                         });

// --- loading --------------------------------------------------------------

struct LoadCase {
    const char* name;
    std::string file;
    std::string table;  // as Describe gives it
};

class LoadSettingsTest : public SettingsTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadSettingsTest, FillsTheTable) {
    WriteFile(m_ini, GetParam().file);
    EXPECT_EQ(Describe(Load()), GetParam().table);
}

const std::string kPath259(259, 'p');

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadSettingsTest,
    ::testing::Values(
        LoadCase{"sections_in_order",
                 "[DIR0]\r\nDIRA=a0\r\nDIRB=b0\r\nMASK=\r\n\r\n[DIR1]\r\nDIRA=a1\r\nDIRB=b1\r\nMASK=\r\n\r\n"
                 "[DIR2]\r\nDIRA=a2\r\nDIRB=b2\r\nMASK=OBJ\r\n\r\n",
                 "count=3 0:a0|b0| 1:a1|b1| 2:a2|b2|OBJ"},
        LoadCase{"incomplete_keeps_masks", "[DIR0]\r\nDIRA=a\r\nDIRB=\r\nMASK=OBJ\r\n\r\n", "count=0 0:||OBJ"},
        LoadCase{"gap_closed_pairs_keep_masks",
                 "[DIR0]\r\nDIRA=a0\r\nDIRB=b0\r\nMASK=M0\r\n\r\n[DIR1]\r\nDIRA=\r\nDIRB=b1\r\nMASK=M1\r\n\r\n"
                 "[DIR2]\r\nDIRA=a2\r\nDIRB=b2\r\nMASK=M2\r\n\r\n[DIR3]\r\nMASK=M3\r\n\r\n",
                 "count=2 0:a0|b0|M0 1:a2|b2|M2 3:||M3"},
        LoadCase{"path_over_259_bytes_skipped",
                 "[DIR0]\r\nDIRA=" + kPath259 + "q\r\nDIRB=b0\r\n\r\n"
                 "[DIR1]\r\nDIRA=a1\r\nDIRB=" + kPath259 + "\r\n\r\n",
                 "count=1 0:a1|" + kPath259 + "|"},
        LoadCase{"dir_b_over_259_bytes_skipped",
                 "[DIR0]\r\nDIRA=a0\r\nDIRB=" + kPath259 + "q\r\n\r\n[DIR1]\r\nDIRA=a1\r\nDIRB=b1\r\n\r\n",
                 "count=1 0:a1|b1|"},
        LoadCase{"values_not_trimmed", "[DIR0]\r\nDIRA= a \r\nDIRB=b\t\r\n\r\n", "count=1 0: a |b\t|"},
        LoadCase{"empty_item_ends_masks", "[DIR0]\r\nDIRA=a\r\nDIRB=b\r\nMASK= OBJ , BAK , ,TMP\r\n\r\n",
                 "count=1 0:a|b|OBJ,BAK"},
        LoadCase{"trailing_comma", "[DIR0]\r\nDIRA=a\r\nDIRB=b\r\nMASK=OBJ,BAK,\r\n\r\n", "count=1 0:a|b|OBJ,BAK"},
        LoadCase{"eleven_masks", "[DIR0]\r\nDIRA=a\r\nDIRB=b\r\nMASK=1,2,3,4,5,6,7,8,9,10,11\r\n\r\n",
                 "count=1 0:a|b|1,2,3,4,5,6,7,8,9,10"},
        // Only the value 1 turns whole trees on; older files have no key.
        LoadCase{"subdirs_only_exactly_1",
                 PairSection(0, "a0", "b0") + "SUBDIRS=1\r\n\r\n" + PairSection(1, "a1", "b1") +
                     "SUBDIRS=0\r\n\r\n" + PairSection(2, "a2", "b2") + "SUBDIRS=yes\r\n\r\n" +
                     PairSection(3, "a3", "b3") + "SUBDIRS=\r\n\r\n" + PairSection(4, "a4", "b4") +
                     "SUBDIRS= 1\r\n\r\n" + PairSection(5, "a5", "b5") + "SUBDIRS=11\r\n\r\n" +
                     PairSection(6, "a6", "b6") + "SUBDIRS\r\n\r\n" + PairSection(7, "a7", "b7"),
                 "count=8 0:a0|b0||+ 1:a1|b1| 2:a2|b2| 3:a3|b3| 4:a4|b4| 5:a5|b5| 6:a6|b6| 7:a7|b7|"},
        LoadCase{"subdirs_inside_the_section_block",
                 "[DIR0]\r\nDIRA=a0\r\nSUBDIRS=1\r\nDIRB=b0\r\n\r\n[DIR1]\r\nDIRA=a1\r\nDIRB=b1\r\n\r\n"
                 "[DIR2]\r\nDIRA=a2\r\nDIRB=b2\r\n\r\nSUBDIRS=1\r\n\r\n",
                 "count=3 0:a0|b0||+ 1:a1|b1| 2:a2|b2||+"},
        // A pair that moves down over an incomplete section takes its own
        // flag, not the flag of the section it replaces.
        LoadCase{"subdirs_moves_with_its_pair",
                 PairSection(0, "", "b0") + "SUBDIRS=1\r\n\r\n" + PairSection(1, "a1", "b1") +
                     PairSection(2, "", "", "M2") + "SUBDIRS=1\r\n\r\n" + PairSection(3, "a3", "b3") +
                     "SUBDIRS=1\r\n\r\n",
                 "count=2 0:a1|b1| 1:a3|b3||+ 2:||M2|+"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, WidthsDefaultOnlyWhenMissing) {
    Load();
    EXPECT_EQ(m_widths.fileName, 147);
    EXPECT_EQ(m_widths.timeA, 110);
    EXPECT_EQ(m_widths.timeB, 110);
    WriteFile(m_ini, "[SIZE]\r\nFNAME=\r\nTIMEA=abc\r\n\r\n");
    Load();
    EXPECT_EQ(m_widths.fileName, 0);
    EXPECT_EQ(m_widths.timeA, 0);
    EXPECT_EQ(m_widths.timeB, 110);
}

// --- saving ---------------------------------------------------------------

TEST_F(SettingsTest, WithoutASettingsFileNothingIsSaved) {
    EXPECT_EQ(Save(m_widths, m_example), SaveResult::NoSettingsFile);
    EXPECT_EQ(ListNames(m_dir.path()), "");
    EXPECT_EQ(Describe(Load()), "count=0");
}

// Files as earlier versions and people left them: each loads the values it
// held, one save turns it into the one-block layout with those values, and a
// second save leaves every byte as it is.
struct TidyCase {
    const char* name;
    std::string before;
    std::string after;  // after a save of kExample's values
};

void PrintTo(const TidyCase& c, std::ostream* os) { *os << c.name; }

// The key search of the earlier reader, which other copies of the program
// still use: the header matched exactly at the first line of a block, blocks
// skipped up to a line of at most 2 bytes, then the key looked for up to the
// end of the file.
std::optional<std::string> OlderReaderValue(const std::string& text, const std::string& section,
                                            const std::string& key) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    std::size_t i = 0;
    while (i < lines.size()) {
        if (lines[i++] == "[" + section + "]") {
            for (; i < lines.size(); ++i) {
                if (lines[i].compare(0, key.size(), key) != 0) continue;
                return lines[i].substr(std::min(lines[i].size(), key.size() + 1));
            }
            return std::nullopt;
        }
        while (i < lines.size() && lines[i++].size() > 2) {
        }
    }
    return std::nullopt;
}

// Every key that the earlier reader knows reads the same with it as with ours.
void ExpectOlderReaderAgrees(const std::string& text) {
    const IniIndex index(text);
    for (int i = -1; i < MAX_DIR_PAIRS; ++i) {
        const std::string section = i < 0 ? "SIZE" : "DIR" + std::to_string(i);
        for (const char* key : i < 0 ? std::vector<const char*>{"FNAME", "TIMEA", "TIMEB"}
                                     : std::vector<const char*>{"DIRA", "DIRB", "MASK"}) {
            const auto ours = index.Find(section, key);
            ASSERT_TRUE(ours) << section << " " << key;
            EXPECT_EQ(OlderReaderValue(text, section, key), std::string(*ours)) << section << " " << key;
        }
    }
}

class SaveLayoutTest : public SettingsTest, public ::testing::WithParamInterface<TidyCase> {};

TEST_P(SaveLayoutTest, OneSaveGivesTheLayoutAndASecondChangesNothing) {
    const TidyCase& c = GetParam();
    WriteFile(m_ini, c.before);
    ASSERT_EQ(Save(kExample.widths, m_example), SaveResult::Saved);
    EXPECT_EQ(ReadFile(m_ini), c.after);
    ASSERT_EQ(Save(kExample.widths, m_example), SaveResult::Saved);
    EXPECT_EQ(ReadFile(m_ini), c.after) << "a second save of the same values";
    EXPECT_EQ(ListNames(m_dir.path()), "zoruna.INI");
    const DirPairTable loaded = Load();
    // Field by field: the table's padding bytes are not part of its value.
    EXPECT_EQ(loaded, m_example) << Describe(loaded);
    EXPECT_EQ(m_widths, kExample.widths);
    // What this save wrote reads the same with the earlier reader (a file
    // that starts with a byte-order mark excepted: that reader never saw its
    // first section).
    const std::string text = ReadFile(m_ini);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) return;
    ExpectOlderReaderAgrees(text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveLayoutTest,
    ::testing::Values(
        TidyCase{"empty", "", OneBlockFile(kExample)},
        TidyCase{"one_block_layout", OneBlockFile(kExample), OneBlockFile(kExample)},
        TidyCase{"grown_by_one_save", GrownFile({kExample}), OneBlockFile(kExample)},
        TidyCase{"grown_by_three_saves", GrownFile({kOlder, kOlder, kExample}), OneBlockFile(kExample)},
        TidyCase{"byte_order_mark_kept", "\xEF\xBB\xBF", "\xEF\xBB\xBF" + OneBlockFile(kExample)},
        // Lines of other keys and sections are the user's: they stay.
        TidyCase{"foreign_lines_kept",
                 "[OTHER]\r\nX=1\r\n\r\n[SIZE]\r\nNOTE=mine\r\nFNAME=9\r\n\r\nTIMEA=1\r\nY=2\r\n\r\n",
                 "[OTHER]\r\nX=1\r\n\r\n[SIZE]\r\nNOTE=mine\r\nFNAME=147\r\nTIMEA=110\r\nTIMEB=110\r\n\r\n"
                 "Y=2\r\n\r\n" + OneBlockFile(kExample).substr(OneBlockFile(kExample).find("[DIR0]"))},
        // A stale key line above a "[" line stays: removing it would make
        // that line the header of a block.
        TidyCase{"bracket_line_not_promoted",
                 "[SIZE]\r\nFNAME=1\r\n\r\nTIMEA=1\r\n[DIR0] x\r\n\r\n",
                 "[SIZE]\r\nFNAME=147\r\nTIMEA=110\r\nTIMEB=110\r\n\r\nTIMEA=1\r\n[DIR0] x\r\n\r\n" +
                     OneBlockFile(kExample).substr(OneBlockFile(kExample).find("[DIR0]"))},
        // The last line has no block end: the appended sections start after
        // an empty line, so that they are found again.
        TidyCase{"no_block_end_at_the_end", "[OTHER]\r\nX=1",
                 "[OTHER]\r\nX=1\r\n\r\n" + OneBlockFile(kExample)}),
    [](const auto& info) { return std::string(info.param.name); });

// A save of pairs that compare whole trees: SUBDIRS=1 closes the block of
// exactly those pairs, a pair without the flag loses every SUBDIRS line of its
// section, and a second save changes nothing.
struct SubdirsSaveCase {
    const char* name;
    std::string before;
    std::vector<int> flagged;  // slots of kSubdirsPairs that compare whole trees
    std::string after;
};

void PrintTo(const SubdirsSaveCase& c, std::ostream* os) { *os << c.name; }

class SubdirsSaveTest : public SettingsTest, public ::testing::WithParamInterface<SubdirsSaveCase> {};

const std::string kSizeBlock = "[SIZE]\r\nFNAME=147\r\nTIMEA=110\r\nTIMEB=110\r\n\r\n";

// The two pairs of these saves, each section in one block; slots in flagged
// end with SUBDIRS=1.
std::string TwoPairFile(std::initializer_list<int> flagged) {
    auto on = [&](int slot) { return std::find(flagged.begin(), flagged.end(), slot) != flagged.end(); };
    std::string s = kSizeBlock;
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        std::string section = i == 0   ? PairSection(0, "/a", "/b", "OBJ")
                              : i == 1 ? PairSection(1, "/c", "/d")
                                       : PairSection(i, "", "");
        if (on(i)) section.insert(section.size() - 2, "SUBDIRS=1\r\n");
        s += section;
    }
    return s;
}

TEST_P(SubdirsSaveTest, KeyOnlyForFlaggedPairsAndASecondSaveChangesNothing) {
    const SubdirsSaveCase& c = GetParam();
    DirPairTable pairs = MakeTable({{"/a", "/b", {"OBJ"}}, {"/c", "/d", {}}});
    for (const int slot : c.flagged) pairs.pairs[slot].subdirs = true;
    WriteFile(m_ini, c.before);
    ASSERT_EQ(Save(kExample.widths, pairs), SaveResult::Saved);
    EXPECT_EQ(ReadFile(m_ini), c.after);
    ASSERT_EQ(Save(kExample.widths, pairs), SaveResult::Saved);
    EXPECT_EQ(ReadFile(m_ini), c.after) << "a second save of the same values";
    EXPECT_EQ(Describe(Load()), Describe(pairs));
    ExpectOlderReaderAgrees(c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SubdirsSaveTest,
    ::testing::Values(
        SubdirsSaveCase{"no_flag_writes_no_key", "", {}, TwoPairFile({})},
        SubdirsSaveCase{"flag_after_mask", "", {0}, TwoPairFile({0})},
        SubdirsSaveCase{"only_the_second_pair", TwoPairFile({}), {1}, TwoPairFile({1})},
        SubdirsSaveCase{"both_pairs_in_a_grown_file", GrownFile({kOlder, kExample}), {0, 1}, TwoPairFile({0, 1})},
        SubdirsSaveCase{"turned_off", TwoPairFile({0, 1}), {1}, TwoPairFile({1})},
        // Lines that an earlier save or a person left further down the
        // section would read as on: they go too.
        SubdirsSaveCase{"turned_off_later_lines_removed",
                        kSizeBlock + "[DIR0]\r\nSUBDIRS=1\r\nDIRA=/a\r\n\r\nSUBDIRS=1\r\n\r\nNOTE=x\r\n"
                                     "SUBDIRS=yes\r\n\r\n[DIR1]\r\nDIRA=/c\r\nSUBDIRS=\r\n\r\n",
                        {},
                        kSizeBlock + "[DIR0]\r\nDIRA=/a\r\nDIRB=/b\r\nMASK=OBJ\r\n\r\nNOTE=x\r\n\r\n" +
                            TwoPairFile({}).substr(TwoPairFile({}).find("[DIR1]"))},
        SubdirsSaveCase{"stale_line_of_a_flagged_pair_removed",
                        kSizeBlock + "[DIR0]\r\nDIRA=/a\r\nSUBDIRS=0\r\n\r\nSUBDIRS=0\r\n\r\n", {0},
                        kSizeBlock + "[DIR0]\r\nDIRA=/a\r\nSUBDIRS=1\r\nDIRB=/b\r\nMASK=OBJ\r\n\r\n" +
                            TwoPairFile({}).substr(TwoPairFile({}).find("[DIR1]"))}),
    [](const auto& info) { return std::string(info.param.name); });

// The file is read whole whatever size its status gave (a file can grow
// between the status and the read).
class SizeUnderstated : public ForwardingFileSystem {
public:
    bool GetStatus(const std::string& path, FileStatus& st) override {
        const bool ok = ForwardingFileSystem::GetStatus(path, st);
        st.size = 10;
        return ok;
    }
};

TEST_F(SettingsTest, LargeFileIsReadWhole) {
    std::string file = "[NOTES]\r\n";
    for (int i = 0; i < 20000; ++i) file += "NOTE" + std::to_string(i) + "=text\r\n";
    file += "\r\n" + PairSection(0, "/a", "/b", "OBJ") + PairSection(1, "/c", "/d");
    ASSERT_GT(file.size(), 200000u);
    WriteFile(m_ini, file);
    EXPECT_EQ(Describe(Load()), "count=2 0:/a|/b|OBJ 1:/c|/d|");
    SizeUnderstated understated;
    m_store.fs = &understated;
    EXPECT_EQ(Describe(Load()), "count=2 0:/a|/b|OBJ 1:/c|/d|");
}

// Grown files load the newest values, as they always did.
TEST_F(SettingsTest, GrownFilesLoadTheirNewestValues) {
    WriteFile(m_ini, GrownFile({kExample, kExample, kOlder}));
    EXPECT_EQ(Describe(Load()), "count=1 0:/old/a|/old/b|TMP");
    EXPECT_EQ(m_widths, kOlder.widths);
    WriteFile(m_ini, GrownFile({kOlder, kExample}));
    EXPECT_EQ(Describe(Load()), Describe(m_example));
    EXPECT_EQ(m_widths, kExample.widths);
}

// Key-by-key writes insert each missing key at the end of its section's
// first block: 33 of them on an empty file give the same layout as a save
// (the empty values, which would end a block, are not written).
TEST(SettingsLayout, KeyByKeyWritesBuildTheSameLayout) {
    std::string text;
    const auto write = [&](const std::string& section, const char* key, const std::string& value) {
        if (IsWritableIni(section, key, value)) text = ApplyIniWrite(text, section, key, value);
    };
    write("SIZE", "FNAME", "147");
    write("SIZE", "TIMEA", "110");
    write("SIZE", "TIMEB", "110");
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        const std::string section = "DIR" + std::to_string(i);
        write(section, "DIRA", i == 0 ? "C:\\WORK" : "");
        write(section, "DIRB", i == 0 ? "D:\\BACKUP\\WORK" : "");
        write(section, "MASK", i == 0 ? "OBJ,BAK" : "");
    }
    EXPECT_EQ(text, OneBlockFile(kExample));
}

TEST_F(SettingsTest, LaterSaveIsWhatLoads) {
    WriteFile(m_ini, "");
    ASSERT_EQ(Save({1, 2, 3}, m_example), SaveResult::Saved);
    const DirPairTable second = MakeTable({{"X:\\A", "Y:\\B", {}}, {"P", "Q", {"TMP"}}});
    ASSERT_EQ(Save({147, 110, 110}, second), SaveResult::Saved);
    EXPECT_EQ(Describe(Load()), Describe(second));
    EXPECT_EQ(m_widths, (ColumnWidths{147, 110, 110}));
}

// A CR inside a directory name (legal on Linux) reads back byte for byte and
// does not stop later saves.
TEST_F(SettingsTest, CarriageReturnInAValueRoundTrips) {
    WriteFile(m_ini, PairSection(0, "/a\rb", "/c\r"));
    const DirPairTable loaded = Load();
    ASSERT_EQ(Describe(loaded), "count=1 0:/a\rb|/c\r|");
    for (int save = 0; save < 2; ++save) {
        ASSERT_EQ(Save(m_widths, loaded), SaveResult::Saved);
        EXPECT_EQ(Describe(Load()), Describe(loaded));
    }
}

// The window size is written after TIMEB only when one is stored; older files
// have none and load as "not stored".
TEST_F(SettingsTest, WindowSizeIsStoredOnlyWhenKnown) {
    WriteFile(m_ini, OneBlockFile(kExample));
    Load();
    EXPECT_EQ(m_size, WindowSize{});
    ASSERT_EQ(Save(kExample.widths, m_example, {640, 0}), SaveResult::Saved);
    EXPECT_EQ(ReadFile(m_ini), OneBlockFile(kExample));
    ASSERT_EQ(Save(kExample.widths, m_example, {640, 480}), SaveResult::Saved);
    EXPECT_EQ(ReadFile(m_ini), OneBlockFile(kExample, "WIDTH=640\r\nHEIGHT=480\r\n"));
    Load();
    EXPECT_EQ(m_size, (WindowSize{640, 480}));
    WriteFile(m_ini, "[SIZE]\r\nWIDTH=640\r\nHEIGHT=-1\r\n\r\n");
    Load();
    EXPECT_EQ(m_size, WindowSize{}) << "a size that cannot be used is none";
}

struct ChangeCase {
    const char* name;
    bool pairsModified;
    ColumnWidths widths;
    WindowSize size;
    bool changed;
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class SettingsChangedTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(SettingsChangedTest, ComparesWithTheStart) {
    const ChangeCase& c = GetParam();
    EXPECT_EQ(SettingsChanged(c.pairsModified, ColumnWidths{}, c.widths, WindowSize{500, 400}, c.size), c.changed);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsChangedTest,
                         ::testing::Values(ChangeCase{"nothing", false, {}, {500, 400}, false},
                                           ChangeCase{"pairs", true, {}, {500, 400}, true},
                                           ChangeCase{"last_width", false, {147, 110, 111}, {500, 400}, true},
                                           ChangeCase{"first_width", false, {146, 110, 110}, {500, 400}, true},
                                           ChangeCase{"height", false, {}, {500, 401}, true},
                                           ChangeCase{"width", false, {}, {499, 400}, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct MaskCutCase {
    std::vector<std::size_t> lengths;  // of the masks, in slot order
    std::size_t kept;                  // masks that survive a save and a load
};

class MaskCutTest : public SettingsTest, public ::testing::WithParamInterface<MaskCutCase> {};

// The saved list holds at most 255 bytes and only whole masks: a shortened
// mask would exclude files that the user never excluded.
TEST_P(MaskCutTest, KeepsWholeMasksWithin255Bytes) {
    std::vector<std::string> masks;
    for (std::size_t i = 0; i < GetParam().lengths.size(); ++i)
        masks.push_back(std::string(GetParam().lengths[i], static_cast<char>('A' + i)));
    WriteFile(m_ini, "");
    ASSERT_EQ(Save(m_widths, MakeTable({{"a", "b", masks}})), SaveResult::Saved);
    masks.resize(GetParam().kept);
    EXPECT_EQ(Describe(Load()), Describe(MakeTable({{"a", "b", masks}})));
}

INSTANTIATE_TEST_SUITE_P(Cases, MaskCutTest,
                         ::testing::Values(MaskCutCase{std::vector<std::size_t>(10, 63), 4},
                                           MaskCutCase{{60, 60, 60, 60, 63}, 4},
                                           MaskCutCase{{50, 50, 50, 50, 50, 9}, 5},
                                           MaskCutCase{{63, 63, 63, 63}, 4}),
                         [](const auto& info) {
                             std::string name = "lengths";
                             for (std::size_t n : info.param.lengths) name += "_" + std::to_string(n);
                             return name + "_keep_" + std::to_string(info.param.kept);
                         });

class RenameFails : public ForwardingFileSystem {
public:
    bool Rename(const std::string&, const std::string&) override { return false; }
};

TEST_F(SettingsTest, FailedSaveLeavesTheFileAsItWas) {
    WriteFile(m_ini, kBuiltUpFile);
    const DirPairTable changed = MakeTable({{"X:\\A", "Y:\\B", {"TMP"}}});
    RenameFails renameFails;
    EXPECT_EQ(SaveSettings({m_ini, &renameFails}, m_widths, {}, changed), SaveResult::Failed);
    // A line break cannot be saved; nothing of the save reaches the file.
    DirPairTable broken = changed;
    std::strcpy(broken.pairs[0].dirB, "Y:\\B\r\n[DIR1]");
    EXPECT_EQ(Save(m_widths, broken), SaveResult::Failed);
    EXPECT_EQ(ReadFile(m_ini), kBuiltUpFile);
    EXPECT_EQ(ListNames(m_dir.path()), "zoruna.INI");

    std::remove(m_ini.c_str());
    m_dir.MakeDir("zoruna.INI");
    EXPECT_EQ(Save(m_widths, changed), SaveResult::Failed);
}

}  // namespace

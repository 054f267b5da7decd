#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "settings/ini_file.h"
#include "support/forwarding_fs.h"
#include "support/temp_dir.h"
#include "support/test_name.h"

namespace {

struct PairText {
    const char* dirA;
    const char* dirB;
    std::vector<std::string> masks;
};

DirPairTable MakeTable(std::initializer_list<PairText> pairs) {
    DirPairTable t;
    std::memset(&t, 0, sizeof t);
    for (const PairText& p : pairs) {
        DirPair& slot = t.pairs[t.count++];
        std::strcpy(slot.dirA, p.dirA);
        std::strcpy(slot.dirB, p.dirB);
        for (std::size_t m = 0; m < p.masks.size(); ++m) std::strcpy(slot.masks[m], p.masks[m].c_str());
    }
    return t;
}

// "count=N" and, for every slot that holds anything, " i:dirA|dirB|mask,mask".
std::string Describe(const DirPairTable& t) {
    std::string s = "count=" + std::to_string(t.count);
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        const DirPair& p = t.pairs[i];
        std::string masks;
        for (int m = 0; m < MAX_MASKS && p.masks[m][0]; ++m) masks.append(m ? "," : "").append(p.masks[m]);
        if (p.dirA[0] || p.dirB[0] || !masks.empty())
            s.append(" ").append(std::to_string(i)).append(":").append(p.dirA).append("|").append(p.dirB).append("|").append(masks);
    }
    return s;
}

std::string EmptyPairSections(int from) {
    std::string s;
    for (int i = from; i < MAX_DIR_PAIRS; ++i)
        s += "[DIR" + std::to_string(i) + "]\r\nDIRA=\r\n\r\nMASK=\r\n\r\nDIRB=\r\n\r\n";
    return s;
}

// An empty file after one save of widths 147/110/110 and one pair.
const std::string kBuiltUpFile =
    "[SIZE]\r\nFNAME=147\r\n\r\nTIMEB=110\r\n\r\nTIMEA=110\r\n\r\n"
    "[DIR0]\r\nDIRA=C:\\WORK\r\n\r\nMASK=OBJ,BAK\r\n\r\nDIRB=D:\\BACKUP\\WORK\r\n\r\n" +
    EmptyPairSections(1);

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { SetSettingsFile(m_ini); }
    void TearDown() override { SetSettingsFile("zoruna.INI"); }

    DirPairTable Load() {
        DirPairTable t;
        std::memset(&t, 0, sizeof t);
        LoadSettings(t, m_widths);
        return t;
    }

    TempDir m_dir;
    std::string m_ini = m_dir / "zoruna.INI";
    ColumnWidths m_widths;
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
        LoadCase{"values_not_trimmed", "[DIR0]\r\nDIRA= a \r\nDIRB=b\t\r\n\r\n", "count=1 0: a |b\t|"},
        LoadCase{"empty_item_ends_masks", "[DIR0]\r\nDIRA=a\r\nDIRB=b\r\nMASK= OBJ , BAK , ,TMP\r\n\r\n",
                 "count=1 0:a|b|OBJ,BAK"},
        LoadCase{"trailing_comma", "[DIR0]\r\nDIRA=a\r\nDIRB=b\r\nMASK=OBJ,BAK,\r\n\r\n", "count=1 0:a|b|OBJ,BAK"},
        LoadCase{"eleven_masks", "[DIR0]\r\nDIRA=a\r\nDIRB=b\r\nMASK=1,2,3,4,5,6,7,8,9,10,11\r\n\r\n",
                 "count=1 0:a|b|1,2,3,4,5,6,7,8,9,10"}),
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
    EXPECT_EQ(SaveSettings(m_widths, m_example), SaveResult::NoSettingsFile);
    EXPECT_EQ(ListNames(m_dir.path()), "");
    EXPECT_EQ(Describe(Load()), "count=0");
}

TEST_F(SettingsTest, SaveBuildsUpAnEmptyFile) {
    WriteFile(m_ini, "");
    EXPECT_EQ(SaveSettings({147, 110, 110}, m_example), SaveResult::Saved);
    EXPECT_EQ(ReadFile(m_ini), kBuiltUpFile);
    EXPECT_EQ(ListNames(m_dir.path()), "zoruna.INI");
    const DirPairTable loaded = Load();
    EXPECT_EQ(std::memcmp(&loaded, &m_example, sizeof loaded), 0) << Describe(loaded);
}

// The same 33 writes, one accessor call each, give the same bytes.
TEST_F(SettingsTest, AccessorWritesBuildUpTheSameFile) {
    WriteFile(m_ini, "");
    IniWriteInt(INI_MODE_FILE, "SIZE", "FNAME", 147);
    IniWriteInt(INI_MODE_FILE, "SIZE", "TIMEA", 110);
    IniWriteInt(INI_MODE_FILE, "SIZE", "TIMEB", 110);
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        const std::string section = "DIR" + std::to_string(i);
        IniWriteString(INI_MODE_FILE, section.c_str(), "DIRA", i == 0 ? "C:\\WORK" : "");
        IniWriteString(INI_MODE_FILE, section.c_str(), "DIRB", i == 0 ? "D:\\BACKUP\\WORK" : "");
        IniWriteString(INI_MODE_FILE, section.c_str(), "MASK", i == 0 ? "OBJ,BAK" : "");
    }
    EXPECT_EQ(ReadFile(m_ini), kBuiltUpFile);
}

TEST_F(SettingsTest, FileWithKeysInOneBlockKeepsItsForm) {
    std::string file = "[SIZE]\r\nFNAME=147\r\nTIMEA=110\r\nTIMEB=110\r\n\r\n"
                       "[DIR0]\r\nDIRA=C:\\WORK\r\nDIRB=D:\\BACKUP\\WORK\r\nMASK=OBJ,BAK\r\n\r\n";
    for (int i = 1; i < MAX_DIR_PAIRS; ++i) file += "[DIR" + std::to_string(i) + "]\r\nDIRA=\r\nDIRB=\r\nMASK=\r\n\r\n";
    WriteFile(m_ini, file);
    for (int save = 0; save < 2; ++save) {
        EXPECT_EQ(SaveSettings({147, 110, 110}, m_example), SaveResult::Saved);
        EXPECT_EQ(ReadFile(m_ini), file);
    }
}

TEST_F(SettingsTest, LaterSaveIsWhatLoads) {
    WriteFile(m_ini, "");
    ASSERT_EQ(SaveSettings({1, 2, 3}, m_example), SaveResult::Saved);
    const DirPairTable second = MakeTable({{"X:\\A", "Y:\\B", {}}, {"P", "Q", {"TMP"}}});
    ASSERT_EQ(SaveSettings({147, 110, 110}, second), SaveResult::Saved);
    EXPECT_GT(ReadFile(m_ini).size(), kBuiltUpFile.size());  // older lines stay below
    EXPECT_EQ(Describe(Load()), Describe(second));
    EXPECT_EQ(m_widths.fileName, 147);
    EXPECT_EQ(m_widths.timeB, 110);
}

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
    ASSERT_EQ(SaveSettings(m_widths, MakeTable({{"a", "b", masks}})), SaveResult::Saved);
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
    SetSettingsFile(m_ini, &renameFails);
    EXPECT_EQ(SaveSettings(m_widths, changed), SaveResult::Failed);
    SetSettingsFile(m_ini);
    // A line break cannot be saved; nothing of the save reaches the file.
    DirPairTable broken = changed;
    std::strcpy(broken.pairs[0].dirB, "Y:\\B\r\n[DIR1]");
    EXPECT_EQ(SaveSettings(m_widths, broken), SaveResult::Failed);
    EXPECT_EQ(ReadFile(m_ini), kBuiltUpFile);
    EXPECT_EQ(ListNames(m_dir.path()), "zoruna.INI");

    std::remove(m_ini.c_str());
    m_dir.MakeDir("zoruna.INI");
    EXPECT_EQ(SaveSettings(m_widths, changed), SaveResult::Failed);
}

}  // namespace

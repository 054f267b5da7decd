// The Directories button of the main dialog: the change flag, results that no
// longer match the pairs, and the pairs entered through the dialogs reaching
// the settings file at Exit.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/dir_compare_dlg.h"
#include "gui/pair_test_helpers.h"
#include "res/resource.h"
#include "support/temp_dir.h"
#include "support/test_text.h"

namespace {

// Runs the pair list from the main dialog's Directories button.
void RunDirectories(CDirCompareDlg& main, std::function<void(wxDialog*)> body) {
    ExpectModal([body](wxDialog* d, const ModalSeen& seen) {
        EXPECT_EQ(seen.title, "Zoruna［比較ﾃﾞｨﾚｸﾄﾘ一覧］");
        body(d);
        Press(d, IDCANCEL);
        return d->GetReturnCode();
    });
    Press(main.GetWindow(), IDC_DIRS);
    VerifyModalsShown();
}

// Registers a pair (or edits the selected one) with its masks and flag.
void Register(wxDialog* list, const std::string& a, const std::string& b, const std::string& masks,
              bool subdirs = false) {
    ExpectModal([=](wxDialog* input, const ModalSeen&) {
        SetText(input, IDC_DIR_A, a);
        SetText(input, IDC_DIR_B, b);
        SubdirsBox(input)->SetValue(subdirs);
        ExpectModal([masks](wxDialog* mask, const ModalSeen&) {
            SetText(mask, IDC_MASK_TEXT, masks);
            Press(mask, IDOK);
            return mask->GetReturnCode();
        });
        Press(input, IDC_MASK);
        Press(input, IDOK);
        return input->GetReturnCode();
    });
    Press(list, IDOK);
}

struct ResultsCase {
    const char* name;
    std::function<void(wxDialog*)> inList;
    bool pairsModified;
    bool resultsKept;
};

void PrintTo(const ResultsCase& c, std::ostream* os) { *os << c.name; }

class DirectoriesAndResults : public ::testing::TestWithParam<ResultsCase> {};

TEST_P(DirectoriesAndResults, ResultsGoWhenThePairsChanged) {
    const ResultsCase& c = GetParam();
    TempDir tmp;
    const std::string a = tmp.MakeDir("a"), b = tmp.MakeDir("b");
    WriteFile(a + "/only_in_a.txt", "x", 1'600'000'000);

    auto main = std::make_unique<CDirCompareDlg>(RealFileSystem());
    main->Create(nullptr, true);
    main->Pairs().pairs[0] = MakePair(a, b, {"bak"});
    main->Pairs().count = 1;
    Press(main->GetWindow(), IDOK);  // Compare
    ASSERT_EQ(main->Diffs().count, 1);
    ASSERT_EQ(main->ResultList()->RowCount(), 1);

    RunDirectories(*main, c.inList);
    EXPECT_EQ(main->PairsModified(), c.pairsModified);
    EXPECT_EQ(main->Diffs().count, c.resultsKept ? 1 : 0);
    EXPECT_EQ(main->ResultList()->RowCount(), c.resultsKept ? 1 : 0);

    // A later run without changes keeps the flag.
    RunDirectories(*main, [](wxDialog*) {});
    EXPECT_EQ(main->PairsModified(), c.pairsModified);
    main->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DirectoriesAndResults,
    ::testing::Values(
        ResultsCase{"closed_at_once", [](wxDialog*) {}, false, true},
        ResultsCase{"edit_cancelled",
                    [](wxDialog* d) {
                        SelectLines(d, {0});
                        ExpectModal(TypeInput("/x", "/y", IDCANCEL));
                        Press(d, IDOK);
                    },
                    false, true},
        ResultsCase{"registered_unchanged",
                    [](wxDialog* d) {
                        SelectLines(d, {0});
                        ExpectModal([](wxDialog* input, const ModalSeen&) {
                            Press(input, IDOK);
                            return input->GetReturnCode();
                        });
                        Press(d, IDOK);
                    },
                    true, true},
        ResultsCase{"pair_added", [](wxDialog* d) { Register(d, "/new/a", "/new/b", ""); }, true, false},
        ResultsCase{"masks_edited",
                    [](wxDialog* d) {
                        SelectLines(d, {0});
                        ExpectModal([](wxDialog* input, const ModalSeen&) {
                            ExpectModal([](wxDialog* mask, const ModalSeen&) {
                                SetText(mask, IDC_MASK_TEXT, "bak,tmp");
                                Press(mask, IDOK);
                                return mask->GetReturnCode();
                            });
                            Press(input, IDC_MASK);
                            Press(input, IDOK);
                            return input->GetReturnCode();
                        });
                        Press(d, IDOK);
                    },
                    true, false},
        // The flag alone is a change of the pair: the results go.
        ResultsCase{"subdirs_turned_on",
                    [](wxDialog* d) {
                        SelectLines(d, {0});
                        ExpectModal([](wxDialog* input, const ModalSeen&) {
                            SubdirsBox(input)->SetValue(true);
                            Press(input, IDOK);
                            return input->GetReturnCode();
                        });
                        Press(d, IDOK);
                    },
                    true, false},
        ResultsCase{"pair_deleted",
                    [](wxDialog* d) {
                        SelectLines(d, {0});
                        Press(d, IDC_DELETE);
                    },
                    true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DirectoriesEndToEnd, PairsEnteredThroughTheDialogsAreSavedAtExit) {
    TempDir tmp;
    const std::string ini = tmp / "zoruna.INI";
    WriteFile(ini, "");
    const std::string a0 = "/home/user/作業", b0 = "/mnt/backup/作業";

    auto main = std::make_unique<CDirCompareDlg>(RealFileSystem());
    main->SetSettingsStore({ini, &RealFileSystem()});
    main->Create(nullptr, true);
    RunDirectories(*main, [&](wxDialog* list) {
        Register(list, a0, b0, "OBJ, BAK");
        Register(list, "  /srv/data", "/srv/data ", "log", true);
        EXPECT_EQ(Lines(list).size(), 2u);
    });
    ASSERT_TRUE(main->PairsModified());
    Press(main->GetWindow(), IDCANCEL);  // Exit

    // A save of an empty file: every section with its keys in one block.
    std::string expected = "[SIZE]\r\nFNAME=147\r\nTIMEA=110\r\nTIMEB=110\r\n\r\n";
    expected += PairSection(0, a0, b0, "OBJ,BAK");
    expected += PairSection(1, "/srv/data", "/srv/data ", "log");
    expected.insert(expected.size() - 2, "SUBDIRS=1\r\n");
    for (int i = 2; i < MAX_DIR_PAIRS; ++i) expected += PairSection(i, "", "");
    EXPECT_EQ(ReadFile(ini), expected);
    main->DestroyWindow();

    // The next start shows the same pairs.
    auto next = std::make_unique<CDirCompareDlg>(RealFileSystem());
    next->SetSettingsStore({ini, &RealFileSystem()});
    next->Create(nullptr, false);
    EXPECT_EQ(next->Pairs().count, 2);
    EXPECT_EQ(std::string(next->Pairs().pairs[0].dirA), a0);
    EXPECT_EQ(MaskSlots(next->Pairs().pairs[0]), "OBJ|BAK||||||||");
    EXPECT_EQ(std::string(next->Pairs().pairs[1].dirB), "/srv/data ");
    EXPECT_FALSE(next->Pairs().pairs[0].subdirs);
    EXPECT_TRUE(next->Pairs().pairs[1].subdirs);
    next->DestroyWindow();
}

}  // namespace

// The pair input dialog and its mask dialog driven through their controls:
// validation messages and focus, what is stored on OK, MASK, the folder chooser.
#include <gtest/gtest.h>
#include <wx/dirdlg.h>

#include <cstring>

#include "dialogs/dir_input_dlg.h"
#include "gui/pair_test_helpers.h"
#include "res/resource.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kMissing = "ﾃﾞｨﾚｸﾄﾘ名が未入力です。";
constexpr const char* kSame = "ﾃﾞｨﾚｸﾄﾘ名が同一です。\n違うﾃﾞｨﾚｸﾄﾘを入力して下さい。";
constexpr const char* kLineBreak = "ﾃﾞｨﾚｸﾄﾘ名に改行は使えません。";
constexpr const char* kTooLong = "ﾃﾞｨﾚｸﾄﾘ名が長すぎます。\n259ﾊﾞｲﾄ以内で入力して下さい。";
constexpr const char* kMaskTooLong = "ﾏｽｸが長すぎます。\n1つのﾏｽｸは63ﾊﾞｲﾄ以内で入力して下さい。";
constexpr const char* kMaskListTooLong = "ﾏｽｸの合計が長すぎます。\nｶﾝﾏを含めて255ﾊﾞｲﾄ以内で入力して下さい。";
constexpr const char* kMaskLineBreak = "ﾏｽｸに改行は使えません。";

const std::string kA3 = "あ";  // three bytes in UTF-8

std::string Repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

// Runs the input dialog on pair; body drives it and returns the button that
// ends it (IDOK or IDCANCEL); the result of DoModal is returned.
template <class Body>
int RunInput(DirPair& pair, Body body) {
    CDirInputDlg dlg;
    dlg.SetDirPair(&pair);
    ExpectModal([body](wxDialog* d, const ModalSeen&) {
        Press(d, body(d));
        return d->GetReturnCode();
    });
    return dlg.DoModal();
}

// Presses a button and checks that it brings up exactly this refusal, with
// the focus then on the edit focusId and its whole text selected.
void ExpectRefusal(wxDialog* d, int button, const char* message, int focusId) {
    ModalSeen box;
    ExpectMessageBox(wxID_OK, &box);
    Press(d, button);
    VerifyModalsShown();
    EXPECT_EQ(box.message, message);
    EXPECT_EQ(box.title, "Zoruna");
    EXPECT_EQ(box.style & (wxICON_MASK | wxOK | wxCANCEL | wxYES_NO), wxOK | wxICON_QUESTION);
    EXPECT_EQ(wxWindow::FindFocus(), Control(d, focusId));
    long from = -1, to = -1;
    Edit(d, focusId)->GetSelection(&from, &to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, Edit(d, focusId)->GetLastPosition()) << "typing must replace the whole text";
    EXPECT_NE(d->GetReturnCode(), wxID_OK) << "the dialog must stay open";
}

struct RefusalCase {
    const char* name;
    std::string a;
    std::string b;
    const char* message;
    int focus;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class InputRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(InputRefusals, ShowMessageOnceFocusTheEditAndKeepThePair) {
    const RefusalCase& c = GetParam();
    DirPair pair = MakePair("/old/a", "/old/b", {"obj"});
    const DirPair before = pair;
    const int result = RunInput(pair, [&c](wxDialog* d) {
        SetText(d, IDC_DIR_A, c.a);
        SetText(d, IDC_DIR_B, c.b);
        ExpectRefusal(d, IDOK, c.message, c.focus);
        EXPECT_EQ(Text(d, IDC_DIR_A), c.a);
        return IDCANCEL;
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(std::memcmp(&pair, &before, sizeof pair), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputRefusals,
    ::testing::Values(
        RefusalCase{"both_empty", "", "", kMissing, IDC_DIR_A},
        RefusalCase{"a_blank_only", " \t ", "/b", kMissing, IDC_DIR_A},
        RefusalCase{"b_empty", "/a", "", kMissing, IDC_DIR_B},
        RefusalCase{"b_blank_only", "/a", "   ", kMissing, IDC_DIR_B},
        RefusalCase{"same", "/a", "/a", kSame, IDC_DIR_B},
        RefusalCase{"same_after_leading_blanks", "  /a", "/a", kSame, IDC_DIR_B},
        RefusalCase{"line_break_in_a", "/a\nb", "/b", kLineBreak, IDC_DIR_A},
        RefusalCase{"carriage_return_ending_b", "/a", "/b\r", kLineBreak, IDC_DIR_B},
        RefusalCase{"a_of_300_bytes", "/" + std::string(299, 'x'), "/b", kTooLong, IDC_DIR_A},
        RefusalCase{"b_of_260_bytes", "/a", "/" + std::string(259, 'y'), kTooLong, IDC_DIR_B},
        RefusalCase{"b_of_260_bytes_japanese", "/a", "/" + Repeat(kA3, 86) + "z", kTooLong, IDC_DIR_B}),
    [](const auto& info) { return std::string(info.param.name); });

struct StoreCase {
    const char* name;
    std::string a, b;                  // typed
    std::string storedA, storedB;      // stored on OK
};

void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.name; }

class InputStores : public ::testing::TestWithParam<StoreCase> {};

TEST_P(InputStores, OkWritesBothDirectoriesAndKeepsTheMasks) {
    const StoreCase& c = GetParam();
    DirPair pair = MakePair("/old/a", "/old/b", {"obj", "bak"});
    const int result = RunInput(pair, [&c](wxDialog* d) {
        EXPECT_EQ(Text(d, IDC_DIR_A), "/old/a");
        SetText(d, IDC_DIR_A, c.a);
        SetText(d, IDC_DIR_B, c.b);
        return IDOK;
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(std::string(pair.dirA), c.storedA);
    EXPECT_EQ(std::string(pair.dirB), c.storedB);
    EXPECT_EQ(pair.dirA[MAX_PATH - 1], 0);
    EXPECT_EQ(MaskSlots(pair), "obj|bak||||||||");
}

const std::string k259 = "/" + std::string(258, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, InputStores,
    ::testing::Values(StoreCase{"leading_blanks_dropped", "  /a", "\t/b", "/a", "/b"},
                      StoreCase{"trailing_blank_kept_and_different", "/a ", "/a", "/a ", "/a"},
                      StoreCase{"letter_case_differs", "/Data", "/data", "/Data", "/data"},
                      StoreCase{"japanese_names", "/データ/比較元", "/ﾊﾞｯｸｱｯﾌﾟ/比較先", "/データ/比較元",
                                "/ﾊﾞｯｸｱｯﾌﾟ/比較先"},
                      StoreCase{"exactly_259_bytes", k259, "/b", k259, "/b"}),
    [](const auto& info) { return std::string(info.param.name); });

// The check box shows the pair's flag; OK stores what it shows, Cancel keeps
// the pair as it was.
struct SubdirsCase {
    const char* name;
    bool before;  // the pair's flag when the dialog opens
    bool toggle;  // the user clicks the check box
    int end;      // IDOK or IDCANCEL
    bool stored;  // the pair's flag afterwards
};

void PrintTo(const SubdirsCase& c, std::ostream* os) { *os << c.name; }

class InputSubdirs : public ::testing::TestWithParam<SubdirsCase> {};

TEST_P(InputSubdirs, CheckBoxShowsTheFlagAndOnlyOkStoresIt) {
    const SubdirsCase& c = GetParam();
    DirPair pair = MakePair("/old/a", "/old/b", {"obj"});
    pair.subdirs = c.before;
    DirPair expected = pair;
    expected.subdirs = c.stored;
    const int result = RunInput(pair, [&c](wxDialog* d) {
        EXPECT_EQ(SubdirsBox(d)->GetValue(), c.before);
        if (c.toggle) SubdirsBox(d)->SetValue(!c.before);
        return c.end;
    });
    EXPECT_EQ(result, c.end == IDOK ? wxID_OK : wxID_CANCEL);
    EXPECT_EQ(std::memcmp(&pair, &expected, sizeof pair), 0) << "only the flag may change";
}

INSTANTIATE_TEST_SUITE_P(Cases, InputSubdirs,
                         ::testing::Values(SubdirsCase{"turned_on", false, true, IDOK, true},
                                           SubdirsCase{"turned_off", true, true, IDOK, false},
                                           SubdirsCase{"kept_on", true, false, IDOK, true},
                                           SubdirsCase{"kept_off", false, false, IDOK, false},
                                           SubdirsCase{"turned_on_then_cancelled", false, true, IDCANCEL, false},
                                           SubdirsCase{"turned_off_then_cancelled", true, true, IDCANCEL, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The check box has a row of its own between directory B and the buttons and
// shows its whole text.
TEST(InputSubdirsLayout, OwnRowBelowDirectoryBWithItsWholeText) {
    DirPair pair = MakePair("/a", "/b");
    RunInput(pair, [](wxDialog* d) {
        const wxRect box = SubdirsBox(d)->GetRect();
        EXPECT_EQ(U8(SubdirsBox(d)->GetLabel()), "サブディレクトリも比較する");
        EXPECT_GE(box.GetTop(), Control(d, IDC_DIR_B)->GetRect().GetBottom());
        EXPECT_GE(box.GetTop(), Control(d, IDC_BROWSE_B)->GetRect().GetBottom());
        for (const int button : {IDC_MASK, IDOK, IDCANCEL})
            EXPECT_GT(Control(d, button)->GetRect().GetTop(), box.GetBottom()) << button;
        EXPECT_GE(box.GetWidth(), SubdirsBox(d)->GetBestSize().GetWidth()) << "the text must not be cut";
        EXPECT_LE(box.GetRight(), d->GetClientSize().GetWidth());
        EXPECT_LE(Control(d, IDOK)->GetRect().GetBottom(), d->GetClientSize().GetHeight());
        return IDCANCEL;
    });
}

// Answers the mask dialog: checks the text it shows, types text, presses button.
ModalHandler MaskAnswer(std::string shown, std::string typed, int button) {
    return [shown, typed, button](wxDialog* d, const ModalSeen& seen) {
        EXPECT_EQ(seen.title, "Zoruna[ﾏｽｸ]");
        EXPECT_EQ(Text(d, IDC_MASK_TEXT), shown);
        SetText(d, IDC_MASK_TEXT, typed);
        Press(d, button);
        return d->GetReturnCode();
    };
}

TEST(InputMasks, CancelDropsTheTextOkParsesItAndOnlyInputOkStoresIt) {
    DirPair pair = MakePair("/a", "/b", {"obj", "bak"});
    RunInput(pair, [](wxDialog* d) {
        ExpectModal(MaskAnswer("obj,bak", "txt", IDCANCEL));
        Press(d, IDC_MASK);
        ExpectModal(MaskAnswer("obj,bak", " txt , log ,", IDOK));
        Press(d, IDC_MASK);
        ExpectModal(MaskAnswer("txt,log", "ignored", IDCANCEL));
        Press(d, IDC_MASK);
        return IDOK;
    });
    EXPECT_EQ(MaskSlots(pair), "txt|log||||||||");

    RunInput(pair, [](wxDialog* d) {
        ExpectModal(MaskAnswer("txt,log", "", IDOK));
        Press(d, IDC_MASK);
        return IDCANCEL;
    });
    EXPECT_EQ(MaskSlots(pair), "txt|log||||||||");

    RunInput(pair, [](wxDialog* d) {
        ExpectModal(MaskAnswer("txt,log", "", IDOK));
        Press(d, IDC_MASK);
        return IDOK;
    });
    char zero[MAX_MASKS][MASK_LEN] = {};
    EXPECT_EQ(std::memcmp(pair.masks, zero, sizeof zero), 0);
}

struct MaskRefusalCase {
    const char* name;
    std::string text;
    const char* message;
};

void PrintTo(const MaskRefusalCase& c, std::ostream* os) { *os << c.name; }

class MaskRefusals : public ::testing::TestWithParam<MaskRefusalCase> {};

TEST_P(MaskRefusals, KeepTheMaskDialogOpenUntilTheTextFits) {
    const MaskRefusalCase& c = GetParam();
    DirPair pair = MakePair("/a", "/b", {"obj"});
    RunInput(pair, [&c](wxDialog* d) {
        ExpectModal([&c](wxDialog* mask, const ModalSeen&) {
            SetText(mask, IDC_MASK_TEXT, c.text);
            ExpectRefusal(mask, IDOK, c.message, IDC_MASK_TEXT);
            EXPECT_EQ(Text(mask, IDC_MASK_TEXT), c.text);
            SetText(mask, IDC_MASK_TEXT, "tmp," + std::string(63, 'k'));
            Press(mask, IDOK);
            return mask->GetReturnCode();
        });
        Press(d, IDC_MASK);
        return IDOK;
    });
    EXPECT_EQ(MaskSlots(pair), "tmp|" + std::string(63, 'k') + "||||||||");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MaskRefusals,
    ::testing::Values(MaskRefusalCase{"item_of_64_bytes", "obj," + std::string(64, 'x'), kMaskTooLong},
                      MaskRefusalCase{"japanese_item_of_66_bytes", Repeat(kA3, 22), kMaskTooLong},
                      MaskRefusalCase{"line_break_inside_an_item", "ob\nj,bak", kMaskLineBreak},
                      MaskRefusalCase{"list_of_319_bytes", Repeat(std::string(63, 'm') + ",", 4) + std::string(63, 'n'),
                                      kMaskListTooLong}),
    [](const auto& info) { return std::string(info.param.name); });

// Answers the folder chooser with path (chosen) or with Cancel (path empty).
ModalHandler ChooseFolder(std::string path) {
    return [path](wxDialog* d, const ModalSeen& seen) {
        auto* chooser = dynamic_cast<wxDirDialog*>(d);
        EXPECT_NE(chooser, nullptr) << seen.kind;
        if (!chooser) return static_cast<int>(wxID_CANCEL);
        EXPECT_EQ(U8(chooser->GetMessage()), "ﾃﾞｨﾚｸﾄﾘを指定して下さい。");
        EXPECT_TRUE(chooser->HasFlag(wxDD_DIR_MUST_EXIST));
        if (path.empty()) return static_cast<int>(wxID_CANCEL);
        // What the native chooser records when the user confirms a folder.
        chooser->wxDirDialogBase::SetPath(ToWx(path));
        return static_cast<int>(wxID_OK);
    };
}

TEST(InputBrowse, ChosenFolderReplacesTheEditAndReachesThePairOnlyThroughOk) {
    TempDir tmp;
    const std::string folder = tmp.MakeDir("比較元");
    for (const int end : {IDCANCEL, IDOK}) {
        DirPair pair = MakePair("/old/a", "/old/b");
        const DirPair before = pair;
        RunInput(pair, [&](wxDialog* d) {
            ExpectModal(ChooseFolder(folder));
            Press(d, IDC_BROWSE_A);
            EXPECT_EQ(Text(d, IDC_DIR_A), folder);
            ExpectModal(ChooseFolder(""));
            Press(d, IDC_BROWSE_B);
            EXPECT_EQ(Text(d, IDC_DIR_B), "/old/b");
            return end;
        });
        if (end == IDOK) {
            EXPECT_EQ(std::string(pair.dirA), folder);
            EXPECT_STREQ(pair.dirB, "/old/b");
        } else {
            EXPECT_EQ(std::memcmp(&pair, &before, sizeof pair), 0);
        }
    }
}

TEST(InputBrowse, FolderThatCannotBeStoredIsRefused) {
    TempDir tmp;
    const std::string withBreak = tmp.MakeDir("line\nbreak");
    std::string deep, relative;
    do {
        relative += (relative.empty() ? "" : "/") + std::string(40, 'd');
        deep = tmp.MakeDir(relative);
    } while (deep.size() < MAX_PATH);
    DirPair pair = MakePair("/old/a", "/old/b");
    const DirPair before = pair;
    RunInput(pair, [&](wxDialog* d) {
        // Too long for the pair, or with a line break: refused at once by the
        // checks that OK makes, the edit keeps its text.
        ModalSeen tooLong;
        ExpectModal(ChooseFolder(deep));
        ExpectMessageBox(wxID_OK, &tooLong);
        Press(d, IDC_BROWSE_B);
        EXPECT_EQ(tooLong.message, kTooLong);
        EXPECT_EQ(Text(d, IDC_DIR_B), "/old/b");
        ModalSeen lineBreak;
        ExpectModal(ChooseFolder(withBreak));
        ExpectMessageBox(wxID_OK, &lineBreak);
        Press(d, IDC_BROWSE_A);
        EXPECT_EQ(lineBreak.message, kLineBreak);
        EXPECT_EQ(Text(d, IDC_DIR_A), "/old/a");
        return IDCANCEL;
    });
    EXPECT_EQ(std::memcmp(&pair, &before, sizeof pair), 0);
}

}  // namespace

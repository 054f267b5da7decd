// Escape and Enter, pressed on the keyboard, in every dialog that the pairs
// and the copy use, with the focus on each kind of control; and the focus
// after a refused entry.
#include <gtest/gtest.h>

#include <functional>

#include "dialogs/about_dlg.h"
#include "dialogs/confirm_copy_dlg.h"
#include "dialogs/copy_failure_dlg.h"
#include "dialogs/copy_summary_dlg.h"
#include "dialogs/dir_input_dlg.h"
#include "dialogs/dir_list_dlg.h"
#include "dialogs/mask_dlg.h"
#include "gui/pair_test_helpers.h"
#include "res/resource.h"

namespace {

enum class Dlg { List, Input, Mask, Confirm, About, Failure, Summary };

struct Outcome {
    int result;
    std::string kept;  // what the dialog left in its data
};

using Body = std::function<void(wxDialog*)>;

// Runs dlg with body in the test's modal hook; a dialog still open afterwards
// is closed by its close box.
int RunShown(ResourceDialog& dlg, const Body& body) {
    ExpectModal([body](wxDialog* d, const ModalSeen&) {
        body(d);
        if (d->IsShown()) d->Close();
        return d->GetReturnCode();
    });
    return dlg.DoModal();
}

Outcome RunDialog(Dlg which, const Body& body) {
    switch (which) {
        case Dlg::List: {
            DirPairTable table = MakeTable(3);
            CDirListDlg dlg;
            dlg.SetPairTable(&table);
            const int result = RunShown(dlg, body);
            return {result, std::to_string(table.count) + (dlg.m_bModified ? " modified" : "")};
        }
        case Dlg::Input: {
            DirPair pair = MakePair("/old/a", "/old/b", {"obj"});
            CDirInputDlg dlg;
            dlg.SetDirPair(&pair);
            const int result = RunShown(dlg, body);
            return {result, std::string(pair.dirA) + " " + pair.dirB + (pair.subdirs ? " +" : "")};
        }
        case Dlg::Mask: {
            CMaskDlg dlg;
            dlg.m_strMasks = "obj,bak";
            const int result = RunShown(dlg, body);
            return {result, dlg.m_strMasks};
        }
        case Dlg::Confirm: {
            CConfirmCopyDlg dlg;
            dlg.SetLines({"A -> B: 2", "B -> A: 1"});
            return {RunShown(dlg, body), ""};
        }
        case Dlg::Failure: {
            CCopyFailureDlg dlg;
            dlg.m_strText = "f.txt\nreason\n/b";
            const int result = RunShown(dlg, body);
            return {result, dlg.m_bQuiet ? "quiet" : ""};
        }
        case Dlg::Summary: {
            CCopySummaryDlg dlg;
            dlg.m_counts = {"copied 1, failed 2"};
            dlg.m_failures = {"f.txt: reason", "g.txt: reason"};
            return {RunShown(dlg, body), ""};
        }
        case Dlg::About: {
            CAboutDlg dlg;
            return {RunShown(dlg, body), ""};
        }
    }
    return {};
}

struct KeyCase {
    const char* name;
    Dlg dialog;
    int focus;         // control that has the focus
    std::string text;  // typed first (replaces the selected text of an edit)
    int key;
    int result;
    std::string kept;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class DialogKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(DialogKeys, EndTheDialogAsItsButtonsDo) {
    const KeyCase& c = GetParam();
    const Outcome out = RunDialog(c.dialog, [&c](wxDialog* d) {
        ShowForKeys(d, Control(d, c.focus));
        if (!c.text.empty()) TypeKeys(c.text.c_str());
        PressKey(c.key);
    });
    EXPECT_EQ(out.result, c.result);
    EXPECT_EQ(out.kept, c.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Escape, DialogKeys,
    ::testing::Values(
        KeyCase{"list_close_focused", Dlg::List, IDCANCEL, "", WXK_ESCAPE, wxID_CANCEL, "3"},
        KeyCase{"list_register_focused", Dlg::List, IDOK, "", WXK_ESCAPE, wxID_CANCEL, "3"},
        KeyCase{"list_lines_focused", Dlg::List, IDC_PAIR_LIST, " ", WXK_ESCAPE, wxID_CANCEL, "3"},
        KeyCase{"input_a_typed", Dlg::Input, IDC_DIR_A, "/new", WXK_ESCAPE, wxID_CANCEL, "/old/a /old/b"},
        KeyCase{"input_b_focused", Dlg::Input, IDC_DIR_B, "", WXK_ESCAPE, wxID_CANCEL, "/old/a /old/b"},
        KeyCase{"input_browse_focused", Dlg::Input, IDC_BROWSE_A, "", WXK_ESCAPE, wxID_CANCEL, "/old/a /old/b"},
        KeyCase{"input_mask_focused", Dlg::Input, IDC_MASK, "", WXK_ESCAPE, wxID_CANCEL, "/old/a /old/b"},
        KeyCase{"input_ok_focused", Dlg::Input, IDOK, "", WXK_ESCAPE, wxID_CANCEL, "/old/a /old/b"},
        KeyCase{"input_subdirs_toggled", Dlg::Input, IDC_SUBDIRS, " ", WXK_ESCAPE, wxID_CANCEL, "/old/a /old/b"},
        KeyCase{"mask_text_typed", Dlg::Mask, IDC_MASK_TEXT, "txt", WXK_ESCAPE, wxID_CANCEL, "obj,bak"},
        KeyCase{"mask_ok_focused", Dlg::Mask, IDOK, "", WXK_ESCAPE, wxID_CANCEL, "obj,bak"},
        KeyCase{"confirm_ok_focused", Dlg::Confirm, IDOK, "", WXK_ESCAPE, wxID_CANCEL, ""},
        KeyCase{"confirm_cancel_focused", Dlg::Confirm, IDCANCEL, "", WXK_ESCAPE, wxID_CANCEL, ""},
        KeyCase{"about_ok_focused", Dlg::About, IDOK, "", WXK_ESCAPE, wxID_CANCEL, ""},
        // Escape goes on with the copy as OK does, the tick kept.
        KeyCase{"failure_ok_focused", Dlg::Failure, IDOK, "", WXK_ESCAPE, wxID_CANCEL, ""},
        KeyCase{"failure_quiet_toggled", Dlg::Failure, IDC_FAILURE_QUIET, " ", WXK_ESCAPE, wxID_CANCEL, "quiet"},
        KeyCase{"summary_list_focused", Dlg::Summary, IDC_SUMMARY_LIST, "", WXK_ESCAPE, wxID_CANCEL, ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Enter, DialogKeys,
    ::testing::Values(
        KeyCase{"list_close_focused", Dlg::List, IDCANCEL, "", WXK_RETURN, wxID_CANCEL, "3"},
        KeyCase{"input_a_typed", Dlg::Input, IDC_DIR_A, "/new", WXK_RETURN, wxID_OK, "/new /old/b"},
        KeyCase{"input_b_typed_keypad", Dlg::Input, IDC_DIR_B, "/new", WXK_NUMPAD_ENTER, wxID_OK, "/old/a /new"},
        KeyCase{"input_cancel_focused", Dlg::Input, IDCANCEL, "", WXK_RETURN, wxID_CANCEL, "/old/a /old/b"},
        // Space toggles the check box; Enter there presses OK.
        KeyCase{"input_subdirs_toggled", Dlg::Input, IDC_SUBDIRS, " ", WXK_RETURN, wxID_OK, "/old/a /old/b +"},
        KeyCase{"mask_text_typed", Dlg::Mask, IDC_MASK_TEXT, "txt", WXK_RETURN, wxID_OK, "txt"},
        KeyCase{"mask_cancel_focused", Dlg::Mask, IDCANCEL, "", WXK_RETURN, wxID_CANCEL, "obj,bak"},
        KeyCase{"confirm_ok_focused", Dlg::Confirm, IDOK, "", WXK_RETURN, wxID_OK, ""},
        KeyCase{"confirm_cancel_focused", Dlg::Confirm, IDCANCEL, "", WXK_RETURN, wxID_CANCEL, ""},
        KeyCase{"about_ok_focused", Dlg::About, IDOK, "", WXK_RETURN, wxID_OK, ""},
        KeyCase{"failure_ok_focused", Dlg::Failure, IDOK, "", WXK_RETURN, wxID_OK, ""},
        KeyCase{"failure_quiet_toggled", Dlg::Failure, IDC_FAILURE_QUIET, " ", WXK_RETURN, wxID_OK, "quiet"},
        // The failures' text keeps no Enter for itself: OK closes the summary.
        KeyCase{"summary_list_focused", Dlg::Summary, IDC_SUMMARY_LIST, "", WXK_RETURN, wxID_OK, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The dialogs open with the focus on their first tab stop; an edit there has
// its text selected.
TEST(DialogStart, FocusIsOnTheFirstTabStop) {
    struct Start {
        Dlg dialog;
        int focus;
    };
    for (const Start& s :
         {Start{Dlg::List, IDCANCEL}, Start{Dlg::Input, IDC_DIR_A}, Start{Dlg::Mask, IDC_MASK_TEXT},
          Start{Dlg::Confirm, IDOK}, Start{Dlg::About, IDOK}, Start{Dlg::Failure, IDOK}, Start{Dlg::Summary, IDOK}}) {
        SCOPED_TRACE(static_cast<int>(s.dialog));
        RunDialog(s.dialog, [&s](wxDialog* d) {
            EXPECT_EQ(wxWindow::FindFocus(), Control(d, s.focus));
            if (auto* edit = dynamic_cast<wxTextCtrl*>(Control(d, s.focus))) {
                long from = -1, to = -1;
                edit->GetSelection(&from, &to);
                EXPECT_EQ(from, 0);
                EXPECT_EQ(to, edit->GetLastPosition());
                EXPECT_GT(to, 0);
            }
        });
    }
}

// Tab leads from OK to the failure box's check box and to the summary's
// failures, whose text can then be selected from the keyboard.
TEST(CopyDialogsKeys, TabReachesTheCheckBoxAndTheFailures) {
    RunDialog(Dlg::Failure, [](wxDialog* d) {
        ShowForKeys(d, Control(d, IDOK));
        PressKey(WXK_TAB);
        EXPECT_EQ(wxWindow::FindFocus(), Control(d, IDC_FAILURE_QUIET));
    });
    RunDialog(Dlg::Summary, [](wxDialog* d) {
        ShowForKeys(d, Control(d, IDOK));
        PressKey(WXK_TAB);
        EXPECT_EQ(wxWindow::FindFocus(), Control(d, IDC_SUMMARY_LIST));
        PressKey('A', wxMOD_CONTROL);
        EXPECT_EQ(Text(d, IDC_SUMMARY_LIST), "f.txt: reason\ng.txt: reason");
        long from = -1, to = -1;
        Edit(d, IDC_SUMMARY_LIST)->GetSelection(&from, &to);
        EXPECT_EQ(to - from, Edit(d, IDC_SUMMARY_LIST)->GetLastPosition());
    });
}

struct RefusedCase {
    const char* name;
    std::string a, b;   // in the pair when the dialog opens
    int from;           // where Enter is pressed
    int refocus;        // the edit that gets the focus after the message
    std::string typed;  // then typed there
    std::string storedA, storedB;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedEntry : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedEntry, TypingAfterTheMessageReplacesTheNamedEdit) {
    const RefusedCase& c = GetParam();
    DirPair pair = MakePair(c.a, c.b);
    CDirInputDlg dlg;
    dlg.SetDirPair(&pair);
    ExpectModal([&c](wxDialog* d, const ModalSeen&) {
        ShowForKeys(d, Control(d, c.from));
        ExpectMessageBox();
        PressKey(WXK_RETURN);
        VerifyModalsShown();
        EXPECT_EQ(wxWindow::FindFocus(), Control(d, c.refocus));
        TypeKeys(c.typed.c_str());
        EXPECT_EQ(Text(d, c.refocus), c.typed);
        PressKey(WXK_RETURN);
        return d->GetReturnCode();
    });
    EXPECT_EQ(dlg.DoModal(), wxID_OK);
    EXPECT_EQ(std::string(pair.dirA), c.storedA);
    EXPECT_EQ(std::string(pair.dirB), c.storedB);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedEntry,
    ::testing::Values(RefusedCase{"a_empty", "", "/b", IDC_DIR_B, IDC_DIR_A, "/a", "/a", "/b"},
                      RefusedCase{"a_blank", "   ", "/b", IDC_DIR_A, IDC_DIR_A, "/a", "/a", "/b"},
                      RefusedCase{"b_empty", "/a", "", IDC_DIR_A, IDC_DIR_B, "/b", "/a", "/b"},
                      RefusedCase{"same", "/same", "/same", IDC_DIR_A, IDC_DIR_B, "/other", "/same", "/other"},
                      RefusedCase{"a_too_long", "/" + std::string(300, 'x'), "/b", IDC_DIR_B, IDC_DIR_A, "/a", "/a",
                                  "/b"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// Leaving the main dialog: Exit, Escape and the close box all run the same
// path, which saves the settings only after something changed, asks before
// creating a missing settings file and reports a save that failed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "gui/main_window_test_helpers.h"
#include "gui/pair_test_helpers.h"
#include "support/forwarding_fs.h"

namespace {

enum class Way { ExitButton, EscapeKey, CloseBox, EnterInList };

void Leave(CDirCompareDlg& dlg, Way way) {
    wxDialog* w = dlg.GetWindow();
    switch (way) {
        case Way::ExitButton:
            Press(dlg, IDCANCEL);
            break;
        case Way::EscapeKey: {
            Control(dlg, IDCANCEL)->SetFocus();
            wxKeyEvent escape(wxEVT_CHAR_HOOK);
            escape.m_keyCode = WXK_ESCAPE;
            escape.SetEventObject(w);
            w->GetEventHandler()->ProcessEvent(escape);
            break;
        }
        case Way::CloseBox:
            w->Close();
            break;
        case Way::EnterInList:
            // Enter where no button has the focus presses the default button.
            ShowForKeys(w, ListMouseWindow(dlg.ResultList()));
            PressKey(WXK_RETURN);
            break;
    }
    PumpEvents();
}

enum class Change { Nothing, Pairs, Widths, Size };

struct ExitCase {
    const char* what;
    Way way;
    Change change;
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.what; }

class Exit : public MainWindowFixture, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(Exit, EndsTheDialogAndSavesOnlyAfterAChange) {
    const ExitCase& c = GetParam();
    const std::string before = SettingsText({{"/one/A", "/one/B"}}, "FNAME=150\r\nTIMEA=100\r\nTIMEB=100");
    WriteSettings(before);
    auto dlg = Open();
    const wxSize start = dlg->GetWindow()->GetSize();
    if (c.change == Change::Pairs) dlg->MarkPairsModified();
    if (c.change == Change::Widths) dlg->ResultList()->ResizeColumn(0, 181);
    if (c.change == Change::Size) dlg->GetWindow()->SetSize(start.x + 40, start.y + 30);

    Leave(*dlg, c.way);

    EXPECT_FALSE(dlg->GetWindow()->IsShown());
    EXPECT_EQ(dlg->GetWindow()->GetReturnCode(), wxID_CANCEL);
    const std::string after = ReadFile(settingsPath);
    if (c.change == Change::Nothing) {
        EXPECT_EQ(after, before);
    } else {
        EXPECT_NE(after.find(c.change == Change::Widths ? "FNAME=181\r\n" : "FNAME=150\r\n"), std::string::npos)
            << after;
        EXPECT_NE(after.find("DIRA=/one/A\r\n"), std::string::npos) << after;
        EXPECT_NE(after.find("[DIR9]\r\n"), std::string::npos) << "all ten pair slots are written";
        const std::string size = "TIMEB=100\r\nWIDTH=" + std::to_string(start.x + 40) +
                                 "\r\nHEIGHT=" + std::to_string(start.y + 30) + "\r\n\r\n";
        EXPECT_EQ(after.find(size) != std::string::npos, c.change == Change::Size) << size << after;
    }
    dlg->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Exit,
    ::testing::Values(ExitCase{"ButtonUnchanged", Way::ExitButton, Change::Nothing},
                      ExitCase{"ButtonChanged", Way::ExitButton, Change::Pairs},
                      ExitCase{"ButtonWidthsChanged", Way::ExitButton, Change::Widths},
                      ExitCase{"ButtonSizeChanged", Way::ExitButton, Change::Size},
                      ExitCase{"EscapeUnchanged", Way::EscapeKey, Change::Nothing},
                      ExitCase{"EscapeChanged", Way::EscapeKey, Change::Pairs},
                      ExitCase{"CloseBoxUnchanged", Way::CloseBox, Change::Nothing},
                      ExitCase{"CloseBoxChanged", Way::CloseBox, Change::Pairs},
                      ExitCase{"EnterInListUnchanged", Way::EnterInList, Change::Nothing},
                      ExitCase{"EnterInListChanged", Way::EnterInList, Change::Pairs}),
    [](const auto& info) { return std::string(info.param.what); });

// Without a settings file, changed pairs would be lost: Exit asks whether to
// create one in the folder. Yes creates it and saves; No leaves nothing.
class CreateQuestion : public MainWindowFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(CreateQuestion, CreatesTheFileOnlyOnYes) {
    const bool yes = GetParam();
    auto dlg = Open();
    dlg->Pairs().pairs[0] = MakePair("/one/A", "/one/B", {"obj"});
    dlg->Pairs().count = 1;
    dlg->MarkPairsModified();

    ModalSeen seen;
    ExpectMessageBox(yes ? wxID_YES : wxID_NO, &seen);
    Leave(*dlg, Way::ExitButton);
    VerifyModalsShown();

    EXPECT_EQ(seen.kind, "message");
    EXPECT_EQ(seen.title, "Zoruna");
    EXPECT_EQ(seen.style & (wxYES_NO | wxICON_QUESTION), wxYES_NO | wxICON_QUESTION);
    EXPECT_NE(seen.message.find("\"zoruna.INI\""), std::string::npos) << seen.message;
    EXPECT_NE(seen.message.find("\"" + tmp.path() + "\""), std::string::npos) << seen.message;
    EXPECT_FALSE(dlg->GetWindow()->IsShown());
    if (yes) {
        std::string expected = "[SIZE]\r\nFNAME=147\r\nTIMEA=110\r\nTIMEB=110\r\n\r\n" +
                               PairSection(0, "/one/A", "/one/B", "obj");
        for (int i = 1; i < MAX_DIR_PAIRS; ++i) expected += PairSection(i, "", "");
        EXPECT_EQ(ReadFile(settingsPath), expected);
        const unsigned mask = RealFileSystem().CreationMask();
        struct stat st;
        ASSERT_EQ(stat(settingsPath.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
        EXPECT_EQ(ListNames(tmp.path()), "zoruna.INI");
    } else {
        EXPECT_EQ(ListNames(tmp.path()), "");
    }
    dlg->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(Answer, CreateQuestion, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Yes" : "No"); });

// Widths and size alone are not worth the question; nothing is created.
TEST_F(MainWindowFixture, WithoutSettingsFileOtherChangesLeaveSilently) {
    auto dlg = Open();
    dlg->ResultList()->ResizeColumn(0, 181);
    Leave(*dlg, Way::ExitButton);
    EXPECT_FALSE(dlg->GetWindow()->IsShown());
    EXPECT_FALSE(FileExists(settingsPath));
    dlg->DestroyWindow();
}

// The settings file cannot be replaced (a full disk, a read-only folder).
class NoRename : public ForwardingFileSystem {
public:
    bool Rename(const std::string&, const std::string&) override { return false; }
};

TEST_F(MainWindowFixture, FailedSaveIsReportedThenTheDialogEnds) {
    const std::string before = SettingsText({{"/one/A", "/one/B"}});
    WriteSettings(before);
    NoRename failing;
    store.fs = &failing;
    auto dlg = Open();
    dlg->MarkPairsModified();

    ModalSeen seen;
    wxWindow* owner = nullptr;
    ExpectModal([&](wxDialog* box, const ModalSeen& s) {
        seen = s;
        owner = box->GetParent();
        return wxID_OK;
    });
    Leave(*dlg, Way::ExitButton);
    VerifyModalsShown();

    EXPECT_EQ(seen.kind, "message");
    EXPECT_EQ(seen.title, "Zoruna");
    EXPECT_TRUE(seen.style & wxICON_EXCLAMATION);
    EXPECT_NE(seen.message.find(settingsPath), std::string::npos) << seen.message;
    EXPECT_NE(seen.message.find("保存できませんでした"), std::string::npos) << seen.message;
    EXPECT_EQ(owner, dlg->GetWindow());
    EXPECT_FALSE(dlg->GetWindow()->IsShown()) << "the user can still leave";
    EXPECT_EQ(ReadFile(settingsPath), before);
    dlg->DestroyWindow();
}

}  // namespace

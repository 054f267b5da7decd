// Leaving the main dialog: Exit, Escape and the close box all run the same
// path, which saves the settings only after the pairs were changed and
// reports a save that failed.
#include <gtest/gtest.h>

#include "gui/main_window_test_helpers.h"
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

struct ExitCase {
    const char* what;
    Way way;
    bool pairsChanged;
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.what; }

class Exit : public MainWindowFixture, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(Exit, EndsTheDialogAndSavesOnlyAfterAChange) {
    const ExitCase& c = GetParam();
    const std::string before = SettingsText({{"/one/A", "/one/B"}}, "FNAME=150\r\nTIMEA=100\r\nTIMEB=100");
    WriteSettings(before);
    auto dlg = Open();
    // Widths alone are never a reason to save.
    dlg->ResultList()->SetColumnWidth(0, 181);
    if (c.pairsChanged) dlg->MarkPairsModified();

    Leave(*dlg, c.way);

    EXPECT_FALSE(dlg->GetWindow()->IsShown());
    EXPECT_EQ(dlg->GetWindow()->GetReturnCode(), wxID_CANCEL);
    const std::string after = ReadFile(settingsPath);
    if (!c.pairsChanged) {
        EXPECT_EQ(after, before);
    } else {
        EXPECT_NE(after.find("FNAME=181\r\n"), std::string::npos) << after;
        EXPECT_NE(after.find("DIRA=/one/A\r\n"), std::string::npos) << after;
        EXPECT_NE(after.find("[DIR9]\r\n"), std::string::npos) << "all ten pair slots are written";
    }
    dlg->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Exit,
    ::testing::Values(ExitCase{"ButtonUnchanged", Way::ExitButton, false},
                      ExitCase{"ButtonChanged", Way::ExitButton, true},
                      ExitCase{"EscapeUnchanged", Way::EscapeKey, false},
                      ExitCase{"EscapeChanged", Way::EscapeKey, true},
                      ExitCase{"CloseBoxUnchanged", Way::CloseBox, false},
                      ExitCase{"CloseBoxChanged", Way::CloseBox, true},
                      ExitCase{"EnterInListUnchanged", Way::EnterInList, false},
                      ExitCase{"EnterInListChanged", Way::EnterInList, true}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(MainWindowFixture, WithoutSettingsFileLeavingIsSilentAndCreatesNone) {
    auto dlg = Open();
    dlg->MarkPairsModified();
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
    SetSettingsFile(settingsPath, &failing);
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

#include "gui/support/gui_test_main.h"

#include <gtest/gtest.h>
#include <wx/evtloop.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/uiaction.h>
#include <wx/uilocale.h>

#include <deque>

namespace {

std::deque<ModalHandler> g_expected;
int g_modalCount = 0;

class TestModalHook : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override {
        ++g_modalCount;
        ModalSeen seen;
        if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog)) {
            seen.kind = "message";
            seen.title = U8(box->GetTitle());
            seen.message = U8(box->GetMessage());
            seen.style = box->GetMessageDialogStyle();
        } else {
            seen.kind = dialog->GetClassInfo() ? U8(dialog->GetClassInfo()->GetClassName()) : "dialog";
            seen.title = U8(dialog->GetTitle());
        }
        if (g_expected.empty()) {
            ADD_FAILURE() << "unexpected modal: " << seen.kind << " \"" << seen.title << "\" "
                          << seen.message;
            return wxID_CANCEL;
        }
        ModalHandler handler = std::move(g_expected.front());
        g_expected.pop_front();
        return handler(dialog, seen);
    }
    void Exit(wxDialog*) override {}
};

class GuiEnvironment : public ::testing::Environment {
public:
    GuiEnvironment(int& argc, char** argv) : m_argc(argc), m_argv(argv) {}
    void SetUp() override {
        // A GUI application object; without one wxEntryStart sets up a
        // console application and GTK is never initialised.
        wxApp::SetInstance(new wxApp());
        ASSERT_TRUE(wxEntryStart(m_argc, m_argv)) << "no display (run under xvfb-run)";
        wxUILocale::UseDefault();
        ASSERT_TRUE(wxTheApp->CallOnInit());
        m_hook.Register();
    }
    void TearDown() override {
        m_hook.Unregister();
        wxTheApp->OnExit();
        wxEntryCleanup();
    }

private:
    int& m_argc;
    char** m_argv;
    TestModalHook m_hook;
};

class ModalQueueCheck : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { VerifyModalsShown(); }
};

}  // namespace

void ExpectModal(ModalHandler handler) { g_expected.push_back(std::move(handler)); }

void ExpectMessageBox(int code, ModalSeen* seen) {
    ExpectModal([code, seen](wxDialog*, const ModalSeen& s) {
        EXPECT_EQ(s.kind, "message") << "expected a message box, got " << s.title;
        if (seen) *seen = s;
        return code;
    });
}

void VerifyModalsShown() {
    if (!g_expected.empty()) {
        ADD_FAILURE() << g_expected.size() << " expected modal(s) never shown";
        g_expected.clear();
    }
}

int ModalCount() { return g_modalCount; }

void PumpEvents() {
    for (int i = 0; i < 100 && wxTheApp->Pending(); ++i) wxTheApp->Dispatch();
    wxTheApp->ProcessPendingEvents();
    wxYield();
}

void ShowForKeys(wxTopLevelWindow* window, wxWindow* control) {
    window->Show();
    window->Raise();
    PumpEvents();
    control->SetFocus();
    PumpEvents();
}

void PressKey(int key, int modifiers) {
    wxUIActionSimulator keyboard;
    keyboard.Char(key, modifiers);
    PumpEvents();
}

void TypeKeys(const char* text) {
    wxUIActionSimulator keyboard;
    keyboard.Text(text);
    PumpEvents();
}

void ClickAt(wxWindow* window, const wxPoint& pos, int button, const std::function<bool()>& handled) {
    wxUIActionSimulator mouse;
    mouse.MouseMove(window->ClientToScreen(pos));
    PumpEvents();
    mouse.MouseClick(button);
    // The X server sends the click back when it is ready: events are run
    // until it has been handled (a bounded number of rounds).
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    for (int i = 0; i < 200 && !handled(); ++i) {
        if (loop)
            loop->DispatchTimeout(10);
        else
            PumpEvents();
    }
    PumpEvents();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment(argc, argv));
    ::testing::UnitTest::GetInstance()->listeners().Append(new ModalQueueCheck);
    return RUN_ALL_TESTS();
}

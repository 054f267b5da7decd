// Start-up of the main dialog: the window itself, the settings it loads, what
// -d does to the window, and one instance per user (real processes).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/imaglist.h>
#include <wx/process.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include "app/dir_compare_app.h"
#include "app/instance_link.h"
#include "gui/main_window_test_helpers.h"
#include "texts/texts.h"
#include "ui/wx_text.h"

namespace {

class Start : public MainWindowFixture {
protected:
    std::string dirA = tmp.MakeDir("A");
    std::string dirB = tmp.MakeDir("B");
};

TEST_F(Start, WindowAsDesigned) {
    auto dlg = Open();
    wxDialog* w = dlg->GetWindow();
    EXPECT_EQ(U8(w->GetTitle()), "Zoruna");
    EXPECT_EQ(w->GetClientSize(), w->ConvertDialogToPixels(wxSize(235, 153)));
    // It can grow (and be minimised or maximised), never shrink below that.
    EXPECT_TRUE(w->HasFlag(wxRESIZE_BORDER));
    EXPECT_TRUE(w->HasFlag(wxMINIMIZE_BOX));
    EXPECT_TRUE(w->HasFlag(wxMAXIMIZE_BOX));

    // Enter goes to Exit unless another button has the focus.
    auto* exitButton = dynamic_cast<wxButton*>(Control(*dlg, IDCANCEL));
    ASSERT_NE(exitButton, nullptr);
    EXPECT_EQ(U8(exitButton->GetLabel()), "終了");
    EXPECT_EQ(w->GetDefaultItem(), exitButton);
    EXPECT_EQ(wxWindow::FindFocus(), exitButton) << "the first tab stop has the focus";

    // Every size rendered from the icon's source, each a picture rather than
    // an empty square: at least a quarter of its pixels are drawn.
    const wxIconBundle icons = w->GetIcons();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const wxIcon icon = icons.GetIcon(wxSize(size, size), wxIconBundle::FALLBACK_NONE);
        ASSERT_TRUE(icon.IsOk()) << size;
        const wxImage image = wxBitmap(icon).ConvertToImage();
        ASSERT_EQ(image.GetSize(), wxSize(size, size));
        int drawn = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) drawn += !image.IsTransparent(x, y);
        EXPECT_GE(drawn, size * size / 4) << size;
    }

    ResultListView* list = dlg->ResultList();
    EXPECT_EQ(list->GetColumnCount(), 3u);
    EXPECT_TRUE(list->HasFlag(wxDV_MULTIPLE));
    // The list is the second tab stop, after Exit.
    EXPECT_EQ(exitButton->GetNextSibling(), list);
    dlg->DestroyWindow();
}

// A date column at least as wide as its text in the list's font.
constexpr int kDateText = -1;
// The name column with the defaults: at most its default width, and no wider
// than the dates leave it at the layout's size.
constexpr int kNameRoom = -2;

struct WidthCase {
    const char* what;
    const char* settings;  // nullptr: no settings file
    int widths[3];         // or kDateText
};

void PrintTo(const WidthCase& c, std::ostream* os) { *os << c.what; }

class ColumnWidthsFromSettings : public Start, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(ColumnWidthsFromSettings, BecomeTheColumnWidths) {
    const WidthCase& c = GetParam();
    if (c.settings) WriteSettings(c.settings);
    auto dlg = Open();
    ResultListView* list = dlg->ResultList();
    // The widest date, every digit an 8 or a 0, with the cell's padding.
    int dateText = 0;
    for (const char* date : {"88/88/88 88:88:88", "00/00/00 00:00:00"})
        dateText = std::max(dateText, list->GetTextExtent(date).x + 4);
    for (int col = 0; col < 3; ++col) {
        if (c.widths[col] == kNameRoom) {
            EXPECT_LE(list->ColumnWidth(0), 147);
            EXPECT_GE(list->ColumnWidth(0), list->GetTextExtent(ToWx(Text(TextId::FileNameColumn))).x);
            EXPECT_LE(list->ColumnWidth(0) + list->ColumnWidth(1) + list->ColumnWidth(2), list->RowAreaWidth())
                << "both dates show without scrolling";
        } else if (c.widths[col] == kDateText)
            EXPECT_GE(list->ColumnWidth(col), std::max(110, dateText)) << col;
        else
            EXPECT_EQ(list->ColumnWidth(col), c.widths[col]) << col;
    }
    dlg->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ColumnWidthsFromSettings,
    ::testing::Values(WidthCase{"NoFile", nullptr, {kNameRoom, kDateText, kDateText}},
                      WidthCase{"NoWidthsInFile", "[SIZE]\r\nFNAME=147\r\n\r\n", {kNameRoom, kDateText, kDateText}},
                      WidthCase{"FromFile", "[SIZE]\r\nFNAME=200\r\nTIMEA=90\r\nTIMEB=95\r\n\r\n", {200, 90, 95}},
                      WidthCase{"MissingKeys", "[SIZE]\r\nTIMEB=120\r\n\r\n", {147, 110, 120}}),
    [](const auto& info) { return std::string(info.param.what); });

struct NothingDiffersCase {
    const char* what;
    bool registerPair;
};

void PrintTo(const NothingDiffersCase& c, std::ostream* os) { *os << c.what; }

class CompareAtStartWithoutDifferences : public Start, public ::testing::WithParamInterface<NothingDiffersCase> {};

TEST_P(CompareAtStartWithoutDifferences, ClosesBeforeShowingAndWritesNothing) {
    WriteFile(dirA + "/same.txt", "x", 1700000000);
    WriteFile(dirB + "/same.txt", "x", 1700000000);
    const std::string settings =
        GetParam().registerPair ? SettingsText({{dirA, dirB}}, "FNAME=150") : SettingsText({}, "FNAME=150");
    WriteSettings(settings);

    auto dlg = std::make_unique<TestMainDialog>();
    dlg->SetArguments({"-d"});
    // The dialog must end in its initialisation, without ever being shown
    // (an unexpected modal would also fail the test).
    const int modalsBefore = ModalCount();
    EXPECT_EQ(dlg->DoModal(), wxID_CANCEL);
    EXPECT_EQ(ModalCount(), modalsBefore);
    EXPECT_EQ(ReadFile(settingsPath), settings);
}

INSTANTIATE_TEST_SUITE_P(Table, CompareAtStartWithoutDifferences,
                         ::testing::Values(NothingDiffersCase{"NoPairs", false},
                                           NothingDiffersCase{"EqualDirectories", true}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(Start, CompareAtStartWithDifferencesFillsTheList) {
    WriteFile(dirA + "/only_a.txt", "a", 1700000000);
    WriteFile(dirB + "/写真.jpg", "b", 1700000000);
    WriteSettings(SettingsText({{dirA, dirB}}));
    const struct {
        std::vector<std::string> args;
        std::size_t rows;
    } cases[] = {{{"-d"}, 2}, {{}, 0}, {{"-D"}, 0}, {{"-x", "-d"}, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? std::string("no option") : c.args.back());
        auto dlg = Open(c.args);
        EXPECT_TRUE(dlg->GetWindow()->IsShown());
        EXPECT_EQ(Rows(*dlg).size(), c.rows);
        dlg->DestroyWindow();
    }
}

// --- one instance per user: two real processes of the built program ---

bool WaitFor(const std::function<bool()>& done) {
    // Bounded polling: a program that misbehaves fails the test instead of
    // hanging it.
    for (int i = 0; i < 1500; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// Starts exe (as argv0) in cwd with HOME set to home; its output goes to
// outputFile.
pid_t Launch(const std::string& argv0, const std::string& cwd, const std::string& home,
            const std::string& outputFile) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(120);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
        const int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0) _exit(121);
        dup2(out, 1);
        dup2(out, 2);
        execl(argv0.c_str(), argv0.c_str(), static_cast<char*>(nullptr));
        _exit(122);
    }
    return pid;
}

bool Exited(pid_t pid, int* status) { return waitpid(pid, status, WNOHANG) == pid; }

// True when a window with this title is mapped and viewable on the display,
// asked from outside like any other client would (the window belongs to
// another process).
bool WindowViewable(const std::string& title) {
    std::FILE* p = popen(("xwininfo -name '" + title + "' 2>/dev/null").c_str(), "r");
    if (!p) return false;
    std::string info;
    char buf[1024];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) info.append(buf, n);
    pclose(p);
    return info.find("Map State: IsViewable") != std::string::npos;
}

TEST(SingleInstance, SecondStartEndsAtOnceAndSilently) {
    const char* exe = std::getenv("ZORUNA_EXE");
    if (!exe || !*exe) GTEST_SKIP() << "ZORUNA_EXE is set by CTest";

    TempDir tmp;
    // Installed under a folder whose path has "-d" at its first hyphen: the
    // path must not count as the option (which would compare, find nothing
    // and close at once).
    std::string folder = "/tmp/tools-dXXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    struct RemoveFolder {
        std::string path;
        ~RemoveFolder() { std::filesystem::remove_all(path); }
    } removeFolder{folder};
    const std::string program = folder + "/zoruna";
    std::filesystem::create_symlink(std::filesystem::absolute(exe), program);
    WriteFile(tmp / "zoruna.INI", "");
    const std::string lock = tmp / U8(InstanceLink::LockName());

    const pid_t first = Launch(program, tmp.path(), tmp.path(), tmp / "first.out");
    ASSERT_GT(first, 0);
    // The running instance holds its lock from before its window opens until
    // after it has closed.
    const bool locked = WaitFor([&] {
        const std::string text = ReadFile(lock);
        return !text.empty() && std::atoi(text.c_str()) == first;
    });

    // The window comes from the module that the executable loads.
    const bool shown = locked && WaitFor([] { return WindowViewable("Zoruna"); });

    pid_t second = -1;
    int secondStatus = 0;
    bool secondEnded = false;
    if (locked) {
        second = Launch(program, tmp.path(), tmp.path(), tmp / "second.out");
        secondEnded = WaitFor([&] { return Exited(second, &secondStatus); });
    }
    int firstStatus = 0;
    const bool firstStillRunning = !Exited(first, &firstStatus);

    kill(first, SIGTERM);
    waitpid(first, &firstStatus, 0);
    if (second > 0 && !secondEnded) {
        kill(second, SIGTERM);
        waitpid(second, &secondStatus, 0);
    }

    ASSERT_TRUE(locked) << "the first instance never took its lock: " << ReadFile(tmp / "first.out");
    EXPECT_TRUE(shown) << "the first instance showed no window: " << ReadFile(tmp / "first.out");
    EXPECT_TRUE(firstStillRunning) << "the first instance closed by itself";
    ASSERT_TRUE(secondEnded) << "the second instance kept running";
    EXPECT_TRUE(WIFEXITED(secondStatus) && WEXITSTATUS(secondStatus) == 0);
    EXPECT_EQ(ReadFile(tmp / "second.out"), "") << "a second start says nothing";
}

// Sets an environment variable until the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// Records how a started program ended and ends the event loop once `done`
// holds.
class EndWatcher : public wxProcess {
public:
    explicit EndWatcher(std::function<void()> onEnd) : m_onEnd(std::move(onEnd)) {}
    void OnTerminate(int, int status) override {
        exitCode = status;
        m_onEnd();
    }
    std::optional<int> exitCode;

private:
    std::function<void()> m_onEnd;
};

TEST(SingleInstance, SecondStartBringsTheFirstWindowForward) {
    const char* exe = std::getenv("ZORUNA_EXE");
    if (!exe || !*exe) GTEST_SKIP() << "ZORUNA_EXE is set by CTest";
    TempDir tmp;
    const ScopedEnv home("HOME", tmp.path()), runtime("XDG_RUNTIME_DIR", tmp.path());

    // This process is the first instance; the built program starts second.
    InstanceLink first;
    ASSERT_FALSE(first.IsAnotherRunning());
    EXPECT_FALSE(InstanceLink::AskToRaise()) << "nobody listens yet";
    // A socket file left by an instance that crashed does not stand in the way.
    WriteFile(U8(InstanceLink::SocketPath()), "stale");
    wxGUIEventLoop loop;
    int raised = 0;
    EndWatcher second([&] {
        if (raised) loop.Exit();
    });
    ASSERT_TRUE(first.Listen([&] {
        ++raised;
        if (second.exitCode) loop.Exit();
    }));

    wxExecuteEnv env;
    env.cwd = ToWx(tmp.path());
    ASSERT_GT(wxExecute(ToWx(std::string(exe)), wxEXEC_ASYNC, &second, &env), 0);
    // Ends once the second start has ended and the request has arrived; a
    // start that never asks runs into the test's time limit.
    loop.Run();

    EXPECT_EQ(raised, 1);
    EXPECT_EQ(second.exitCode, 0);
    first.StopListening();
    EXPECT_FALSE(FileExists(U8(InstanceLink::SocketPath()))) << "the socket goes with the listener";
}

}  // namespace

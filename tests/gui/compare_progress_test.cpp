// The comparison on its worker thread, seen from the window: the window
// thread keeps handling events while a listing stands at a gate, the
// progress window appears and stops the comparison, listing failures come
// as message boxes of the window thread in order, and closing the window
// stops the comparison and ends the dialog. The progress window on its own.
#include <gtest/gtest.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "cli/failure_text.h"
#include "dialogs/compare_progress_dlg.h"
#include "gui/main_window_test_helpers.h"
#include "support/forwarding_fs.h"
#include "support/gate.h"

namespace {

constexpr FileTime kOld = 1700000000;
constexpr FileTime kNew = 1710000000;
// Ticks (100 ms each) a test waits for what it expects before it fails.
constexpr int kTickLimit = 600;

std::string LineText(wxWindow* window, int id) {
    auto* text = dynamic_cast<wxStaticText*>(window->FindWindow(id));
    return text ? U8(text->GetLabelText()) : "<missing>";
}

TEST(CompareProgressDlg, ShowsTheFolderAndCountsVerbatimAndAsksToStopOnce) {
    wxFrame parent(nullptr, wxID_ANY, "parent");
    CCompareProgressDlg dlg;
    ASSERT_TRUE(dlg.Create(&parent, true));
    wxDialog* w = dlg.GetWindow();
    EXPECT_EQ(U8(w->GetTitle()), "Zoruna[比較中]");
    EXPECT_EQ(LineText(w, IDC_COMPARE_MESSAGE), "ただいま比較中です。少々お待ちください。");
    EXPECT_EQ(LineText(w, IDC_COMPARE_FOLDER), "");

    dlg.ShowProgress("/home/R&D/資料", 12, 34567);
    EXPECT_EQ(LineText(w, IDC_COMPARE_FOLDER), "/home/R&D/資料");
    EXPECT_EQ(LineText(w, IDC_COMPARE_COUNT), "ﾌｫﾙﾀﾞ: 12   ﾌｧｲﾙ: 34567");

    // Every line and the button lie inside the window, one below the other.
    const wxRect message = dlg.GetDlgItem(IDC_COMPARE_MESSAGE)->GetRect();
    const wxRect folder = dlg.GetDlgItem(IDC_COMPARE_FOLDER)->GetRect();
    const wxRect count = dlg.GetDlgItem(IDC_COMPARE_COUNT)->GetRect();
    wxWindow* stop = dlg.StopButton();
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(U8(stop->GetLabel()), "中止");
    EXPECT_LT(message.GetBottom(), folder.GetTop());
    EXPECT_LT(folder.GetBottom(), count.GetTop());
    EXPECT_LT(count.GetBottom(), stop->GetRect().GetTop());
    EXPECT_LE(stop->GetRect().GetBottom(), w->GetClientSize().y);

    int stops = 0;
    dlg.SetStopHandler([&stops] { ++stops; });
    w->Close();
    PumpEvents();
    PressEscape(dlg);
    EXPECT_TRUE(dlg.StopRequested());
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(stop->IsEnabled());
    EXPECT_TRUE(w->IsShown()) << "the window stays until the comparison has ended";
    dlg.DestroyWindow();
}

// Lists through the real file system; the first listing of a folder whose
// path begins with `gated` waits at the gate.
class GatedListing : public ForwardingFileSystem {
public:
    explicit GatedListing(std::string gated) : m_gated(std::move(gated)) {}
    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        if (dir.rfind(m_gated, 0) == 0 && !m_held.exchange(true)) gate.Pass();
        return ForwardingFileSystem::ListDirectory(dir, out);
    }

    Gate gate;

private:
    std::string m_gated;
    std::atomic<bool> m_held{false};
};

// Counts its expiries, which come only while the window thread handles events.
class CountingTimer : public wxTimer {
public:
    void Notify() override { ++count; }
    int count = 0;
};

class BackgroundCompare : public MainWindowFixture {
protected:
    std::string dirA = tmp.MakeDir("A");
    std::string dirB = tmp.MakeDir("B");
    std::string dirC = tmp.MakeDir("C");
    std::string dirD = tmp.MakeDir("D");
    std::unique_ptr<TestMainDialog> dlg;

    void TearDown() override {
        if (dlg) dlg->DestroyWindow();
        MainWindowFixture::TearDown();
    }

    // A-B compares whole trees, with folders left to list after A's top;
    // C-D has one difference.
    void MakePairs() {
        for (const char* sub : {"/x", "/y"}) {
            tmp.MakeDir(std::string("A") + sub);
            tmp.MakeDir(std::string("B") + sub);
            WriteFile(dirA + sub + "/a.txt", "a", kNew);
            WriteFile(dirB + sub + "/a.txt", "b", kOld);
        }
        WriteFile(dirA + "/top.txt", "a", kNew);
        WriteFile(dirC + "/only_c.txt", "c", kOld);
        std::string tree = PairSection(0, dirA, dirB);
        tree.insert(tree.size() - 2, "SUBDIRS=1\r\n");
        WriteSettings(tree + PairSection(1, dirC, dirD));
    }
};

class StopCompare : public BackgroundCompare, public ::testing::WithParamInterface<StopWay> {};

TEST_P(StopCompare, WindowThreadRunsWhileTheListingWaitsAndTheStopIsShown) {
    MakePairs();
    GatedListing fs(dirA);
    dlg = Open({}, fs);
    CountingTimer other;
    other.Start(10);

    int ticks = 0;
    int timerWhenHeld = -1;
    bool stopped = false;
    dlg->onCompareProgress = [&](CCompareProgressDlg& progress) {
        if (stopped) return;
        if (++ticks > kTickLimit) {
            ADD_FAILURE() << "the progress window never appeared while the listing waited";
            stopped = true;
            fs.gate.Open();
            return;
        }
        if (!fs.gate.Waiting()) return;
        if (timerWhenHeld < 0) timerWhenHeld = other.count;
        if (!progress.GetWindow()) return;  // it appears after a while
        EXPECT_GT(other.count, timerWhenHeld) << "other timers ran while the worker was held";
        EXPECT_FALSE(dlg->GetWindow()->IsEnabled()) << "the main window takes no input meanwhile";
        EXPECT_TRUE(progress.GetWindow()->IsShown());
        EXPECT_EQ(progress.GetWindow()->GetParent(), dlg->GetWindow());
        EXPECT_EQ(FindDialogTitled("Zoruna[比較中]"), progress.GetWindow());
        GetParam().stop(progress);
        EXPECT_TRUE(progress.StopRequested());
        stopped = true;
        fs.gate.Open();
    };
    ModalSeen seen;
    ExpectMessageBox(wxID_OK, &seen);
    Press(*dlg, IDOK);
    VerifyModalsShown();

    ASSERT_TRUE(stopped);
    EXPECT_EQ(seen.message, "比較を中止しました。\n一覧には中止までに見つかった違いだけを表示しています。");
    EXPECT_TRUE(dlg->LastCompare().stopped);
    const std::string title = U8(dlg->GetWindow()->GetTitle());
    EXPECT_TRUE(title.ends_with(" (比較中止)")) << title;
    EXPECT_EQ(U8(dlg->StatusLine()->GetLabelText()), "比較を中止しました。一覧は中止までに見つかった違いだけです。");
    EXPECT_EQ(dlg->ResultList()->RowCount(), dlg->Diffs().count);
    EXPECT_TRUE(dlg->GetWindow()->IsEnabled());
    EXPECT_EQ(FindDialogTitled("Zoruna[比較中]"), nullptr);

    // The next comparison is complete again and says nothing of a stop.
    dlg->onCompareProgress = nullptr;
    Press(*dlg, IDOK);
    EXPECT_FALSE(dlg->LastCompare().stopped);
    EXPECT_EQ(U8(dlg->GetWindow()->GetTitle()), "Zoruna - 4 件");
    EXPECT_EQ(U8(dlg->StatusLine()->GetLabelText()), "");
}

INSTANTIATE_TEST_SUITE_P(Ways, StopCompare, kStopWays, [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackgroundCompare, ListingFailuresAreShownByTheWindowThreadInPairOrder) {
    const std::string missing1 = tmp / "missing1", missing2 = tmp / "missing2";
    WriteFile(dirA + "/only_a.txt", "a", kOld);
    WriteSettings(SettingsText({{missing1, dirB}, {dirA, missing2}, {dirA, dirB}}));
    dlg = Open();

    struct Seen {
        std::string message;
        bool windowThread;
        bool mainEnabled;
        wxWindow* owner;
    };
    std::vector<Seen> seen;
    for (int i = 0; i < 2; ++i) {
        ExpectModal([&](wxDialog* box, const ModalSeen& s) {
            seen.push_back({s.message, wxIsMainThread(), dlg->GetWindow()->IsEnabled(), box->GetParent()});
            return wxID_OK;
        });
    }
    Press(*dlg, IDOK);
    VerifyModalsShown();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, FormatListingFailure(missing1.c_str(), dirB.c_str()));
    EXPECT_EQ(seen[1].message, FormatListingFailure(missing2.c_str(), dirA.c_str()));
    for (const Seen& s : seen) {
        EXPECT_TRUE(s.windowThread);
        EXPECT_FALSE(s.mainEnabled) << "shown while the comparison runs";
        EXPECT_EQ(s.owner, dlg->GetWindow());
    }
    ASSERT_EQ(Rows(*dlg).size(), 1u);
    EXPECT_EQ(Rows(*dlg)[0].name, "only_a.txt");
    EXPECT_EQ(U8(dlg->GetWindow()->GetTitle()), "Zoruna - 1 件");
}

TEST_F(BackgroundCompare, ClosingTheWindowStopsTheComparisonAndEndsTheDialog) {
    MakePairs();
    GatedListing fs(dirA);
    dlg = Open({}, fs);
    bool closed = false;
    int ticks = 0;
    dlg->onCompareProgress = [&](CCompareProgressDlg&) {
        if (closed) return;
        if (!fs.gate.Waiting() && ++ticks < kTickLimit) return;
        EXPECT_LT(ticks, kTickLimit) << "the listing never reached the gate";
        dlg->GetWindow()->Close();
        EXPECT_TRUE(dlg->GetWindow()->IsShown()) << "the window waits for the worker";
        closed = true;
        fs.gate.Open();
    };
    // No message: a comparison stopped by closing the window is not shown.
    Press(*dlg, IDOK);

    ASSERT_TRUE(closed);
    EXPECT_FALSE(fs.gate.Waiting());
    EXPECT_EQ(fs.gate.Passed(), 1);
    EXPECT_FALSE(dlg->GetWindow()->IsShown()) << "the dialog ended";
    EXPECT_EQ(dlg->GetWindow()->GetReturnCode(), wxID_CANCEL);
    EXPECT_EQ(dlg->ResultList()->RowCount(), 0);
}

// -d closes at once when nothing differs; a stopped comparison has not shown
// that, so the window opens and says it was stopped.
TEST_F(BackgroundCompare, CompareAtStartThatWasStoppedOpensTheWindow) {
    WriteFile(dirA + "/same.txt", "x", kOld);
    WriteFile(dirB + "/same.txt", "x", kOld);
    WriteSettings(SettingsText({{dirA, dirB}}));
    GatedListing fs(dirA);
    dlg = std::make_unique<TestMainDialog>(fs);
    dlg->SetArguments({"-d"});
    dlg->SetSettingsStore(store);
    bool stopped = false;
    int ticks = 0;
    dlg->onCompareProgress = [&](CCompareProgressDlg& progress) {
        if (stopped) return;
        if ((!fs.gate.Waiting() || !progress.GetWindow()) && ++ticks < kTickLimit) return;
        ASSERT_NE(progress.GetWindow(), nullptr) << "the progress window never appeared";
        PressStopButton(progress);
        stopped = true;
        fs.gate.Open();
    };
    ExpectMessageBox();  // the comparison was stopped
    dlg->Create(nullptr, true);
    VerifyModalsShown();

    ASSERT_TRUE(stopped);
    EXPECT_TRUE(dlg->GetWindow()->IsShown());
    EXPECT_EQ(U8(dlg->GetWindow()->GetTitle()), "Zoruna (比較中止)");
}

}  // namespace

// Driving the main dialog from tests: a settings file in a temporary folder,
// real directory pairs, the dialog opened without a modal loop, its buttons,
// and the rows of the results list.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/dir_compare_dlg.h"
#include "dialogs/compare_progress_dlg.h"
#include "dialogs/copy_progress_dlg.h"
#include "ui/resource_dialog.h"
#include "ui/wx_text.h"
#include "gui/support/gui_test_main.h"
#include "res/resource.h"
#include "settings/ini_store.h"
#include "support/temp_dir.h"
#include "support/test_text.h"

// The main dialog with its context menu kept from popping up: a real popup
// waits for the user, so the test records what the menu looked like instead.
class TestMainDialog : public CDirCompareDlg {
public:
    explicit TestMainDialog(FileSystem& fs = RealFileSystem()) : CDirCompareDlg(fs) {}
    using CDirCompareDlg::MarkPairsModified;

    struct MenuShown {
        bool selectAllEnabled;
        bool copyEnabled;
        wxPoint pos;  // in the dialog; wxDefaultPosition: at the mouse
    };
    std::vector<MenuShown> menusShown;
    // Runs while a copy is in progress, after the bar has moved.
    std::function<void(CCopyProgressDlg&)> onCopyProgress;
    // Runs at every tick of a comparison (the window thread's timer).
    std::function<void(CCompareProgressDlg&)> onCompareProgress;

protected:
    void OnCopyProgress(CCopyProgressDlg& progress) override {
        if (onCopyProgress) onCopyProgress(progress);
    }
    void OnCompareProgress(CCompareProgressDlg& progress) override {
        if (onCompareProgress) onCompareProgress(progress);
    }

    void TrackResultMenu(const wxPoint& pos) override {
        wxMenu* menu = PopupMenu();
        menusShown.push_back(
            {menu->IsEnabled(MenuWxId(ID_SELECT_ALL)), menu->IsEnabled(MenuWxId(ID_COPY_SELECTED)), pos});
    }
};

// Settings text with the given column widths (none: no SIZE section) and
// pairs in DIR0, DIR1, ...
inline std::string SettingsText(const std::vector<std::pair<std::string, std::string>>& pairs,
                                const char* widths = nullptr) {
    std::string text;
    if (widths) text += std::string("[SIZE]\r\n") + widths + "\r\n\r\n";
    for (std::size_t i = 0; i < pairs.size(); ++i)
        text += PairSection(static_cast<int>(i), pairs[i].first, pairs[i].second);
    return text;
}

// A temporary folder that holds the settings file the dialog uses.
struct MainWindowFixture : ::testing::Test {
    TempDir tmp;
    std::string settingsPath = tmp / "zoruna.INI";
    SettingsStore store{settingsPath, &RealFileSystem()};

    void WriteSettings(const std::string& text) { WriteFile(settingsPath, text); }

    // Opens the dialog without a modal loop (OnInitDialog runs as at start).
    // fs: what the dialog compares and copies through.
    std::unique_ptr<TestMainDialog> Open(std::vector<std::string> args = {}, FileSystem& fs = RealFileSystem()) {
        auto dlg = std::make_unique<TestMainDialog>(fs);
        dlg->SetArguments(std::move(args));
        dlg->SetSettingsStore(store);
        dlg->Create(nullptr, true);
        PumpEvents();
        return dlg;
    }
};

inline wxWindow* Control(CDirCompareDlg& dlg, int resId) { return dlg.GetDlgItem(resId); }

// Sends a click to a button the way the button itself would.
inline void Press(CDirCompareDlg& dlg, int resId) {
    wxWindow* button = Control(dlg, resId);
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

// Sends a menu command to the dialog, as choosing the context menu item does.
inline void Command(CDirCompareDlg& dlg, int command) {
    wxCommandEvent choose(wxEVT_MENU, CDirCompareDlg::MenuWxId(command));
    choose.SetEventObject(dlg.GetWindow());
    dlg.GetWindow()->GetEventHandler()->ProcessEvent(choose);
}

// The list's row area, the window that receives the mouse and the keys.
inline wxWindow* ListMouseWindow(ResultListView* list) { return list->RowWindow(); }

struct Row {
    std::string name;
    int icon;  // IDI_...
    std::string dateA;
    std::string dateB;
};

inline std::string CellText(ResultListView* list, long row, int col) { return FromWx(list->CellText(row, col)); }

inline std::vector<Row> Rows(CDirCompareDlg& dlg) {
    ResultListView* list = dlg.ResultList();
    std::vector<Row> rows;
    for (long i = 0; i < list->RowCount(); ++i)
        rows.push_back({CellText(list, i, 0), list->RowIcon(i), CellText(list, i, 1), CellText(list, i, 2)});
    return rows;
}

inline std::vector<long> SelectedRows(ResultListView* list) { return list->SelectedRows(); }

// How the user stops work in a progress window: its button, Escape, the
// close box.
struct StopWay {
    const char* name;
    void (*stop)(ProgressWindow& progress);
};

inline void PrintTo(const StopWay& c, std::ostream* os) { *os << c.name; }

inline void PressStopButton(ProgressWindow& progress) {
    wxWindow* button = progress.StopButton();
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

inline void PressEscape(ProgressWindow& progress) {
    wxWindow* focus = progress.StopButton();
    focus->SetFocus();
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(focus);
    progress.GetWindow()->GetEventHandler()->ProcessEvent(escape);
}

inline void UseCloseBox(ProgressWindow& progress) { progress.GetWindow()->Close(); }

inline const auto kStopWays = ::testing::Values(StopWay{"CancelButton", PressStopButton},
                                                StopWay{"Escape", PressEscape}, StopWay{"CloseBox", UseCloseBox});

// The top-level dialog with that title (UTF-8) while it exists.
inline wxDialog* FindDialogTitled(const std::string& title) {
    for (wxWindow* w : wxTopLevelWindows) {
        auto* dlg = dynamic_cast<wxDialog*>(w);
        if (dlg && U8(dlg->GetTitle()) == title) return dlg;
    }
    return nullptr;
}

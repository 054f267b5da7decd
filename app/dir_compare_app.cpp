#include "app/dir_compare_app.h"

#include <wx/log.h>
#include <wx/uilocale.h>
#include <wx/utils.h>

#include <memory>

#include "app/dir_compare_dlg.h"
#include "app/instance_link.h"
#include "app/gui_main.h"
#include "app/window_language.h"

bool CDirCompareApp::OnInit() {
    // The window system is up: wx's own messages go to message boxes again.
    delete wxLog::SetActiveTarget(nullptr);

    // The base OnInit would parse the command line and refuse -d.
    InstanceLink instance;
    if (instance.IsAnotherRunning()) {
        InstanceLink::AskToRaise();
        s_finished = true;
        return false;
    }

    wxUILocale::UseDefault();
    UseWindowLanguage();

    // The dialog holds both tables by value (some megabytes): on the heap.
    auto dlg = std::make_unique<CDirCompareDlg>(m_fs);
    dlg->SetArguments(m_args);
    dlg->SetSettingsStore(m_store);
    instance.Listen([&dlg] {
        wxDialog* wnd = dlg ? dlg->GetWindow() : nullptr;
        if (!wnd) return;
        if (wnd->IsIconized()) wnd->Iconize(false);
        wnd->Raise();
    });
    dlg->DoModal(nullptr);
    instance.StopListening();
    dlg.reset();

    s_finished = true;
    return false;
}

int RunGui(int argc, char** argv, const SettingsStore& store, FileSystem& fs) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // Until the window system is up, a message box cannot be shown: a start
    // without a display says so on stderr instead of crashing in GTK.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxApp::SetInstance(new CDirCompareApp(std::move(args), store, fs));
    wxEntry(argc, argv);
    // OnInit ends the program by returning false, which wxEntry reports as a
    // failure; only a start that never got that far (no display) is one.
    return CDirCompareApp::Finished() ? 0 : 1;
}

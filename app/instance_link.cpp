#include "app/instance_link.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/ipc.h>
#include <wx/log.h>
#include <wx/utils.h>

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#endif

#include <cstdlib>
#include <utility>

namespace {

const wxString kTopic = "zoruna";
const wxString kRaiseCommand = "raise";

class RaiseConnection : public wxConnection {
public:
    explicit RaiseConnection(const std::function<void()>& onRaise) : m_onRaise(onRaise) {}

    bool OnExec(const wxString& /*topic*/, const wxString& data) override {
        if (data != kRaiseCommand) return false;
        m_onRaise();
        return true;
    }

private:
    std::function<void()> m_onRaise;
};

class RaiseServer : public wxServer {
public:
    explicit RaiseServer(std::function<void()> onRaise) : m_onRaise(std::move(onRaise)) {}

    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        return topic == kTopic ? new RaiseConnection(m_onRaise) : nullptr;
    }

private:
    std::function<void()> m_onRaise;
};

}  // namespace

wxString InstanceLink::LockName() { return ".zoruna-" + wxGetUserId() + ".lock"; }

#ifdef __WXMSW__

// wxServer is DDE here: the service is a name, not a file, and a crashed
// instance leaves nothing behind.
wxString InstanceLink::SocketPath() { return "zoruna-" + wxGetUserId(); }

namespace {

bool ServiceMayExist(const wxString&) { return true; }
void RemoveServiceFile(const wxString&) {}
// The running instance may take the foreground only when this one, which
// the user just started and so has it, allows it.
void LetRunningInstanceComeForward() { AllowSetForegroundWindow(ASFW_ANY); }

}  // namespace

#else

wxString InstanceLink::SocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const wxString dir = runtime && *runtime ? wxString::FromUTF8(runtime) : wxGetHomeDir();
    return wxFileName(dir, ".zoruna-" + wxGetUserId() + ".sock").GetFullPath();
}

namespace {

bool ServiceMayExist(const wxString& path) { return wxFileName::Exists(path, wxFILE_EXISTS_ANY); }
void RemoveServiceFile(const wxString& path) {
    if (wxFileName::Exists(path, wxFILE_EXISTS_ANY)) wxRemoveFile(path);
}
void LetRunningInstanceComeForward() {}

}  // namespace

#endif

InstanceLink::InstanceLink() {
    // Without a usable lock (no writable home folder) the program still runs;
    // it only cannot keep a second instance out.
    wxLogNull quiet;
    m_lock.Create(LockName());
}

InstanceLink::~InstanceLink() { StopListening(); }

bool InstanceLink::IsAnotherRunning() const { return m_lock.IsAnotherRunning(); }

bool InstanceLink::Listen(std::function<void()> onRaise) {
    StopListening();
    const wxString path = SocketPath();
    wxLogNull quiet;
    // This instance holds the lock: a socket file left by one that crashed
    // is stale.
    RemoveServiceFile(path);
    auto server = std::make_unique<RaiseServer>(std::move(onRaise));
    if (!server->Create(path)) return false;
    m_server = std::move(server);
    return true;
}

void InstanceLink::StopListening() {
    if (!m_server) return;
    m_server.reset();
    wxLogNull quiet;
    RemoveServiceFile(SocketPath());
}

bool InstanceLink::AskToRaise() {
    const wxString path = SocketPath();
    if (!ServiceMayExist(path)) return false;
    wxLogNull quiet;
    LetRunningInstanceComeForward();
    wxClient client;
    std::unique_ptr<wxConnectionBase> connection(client.MakeConnection("localhost", path, kTopic));
    if (!connection) return false;
    const bool asked = connection->Execute(kRaiseCommand);
    connection->Disconnect();
    return asked;
}

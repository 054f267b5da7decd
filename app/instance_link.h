// One main window per user. The first start holds a per-user lock and listens
// on a local socket in the user's runtime folder; a later start finds the
// lock, asks the first one through the socket to bring its window forward,
// and ends.
#pragma once

#include <wx/ipc.h>
#include <wx/snglinst.h>
#include <wx/string.h>

#include <functional>
#include <memory>

class InstanceLink {
public:
    // Takes the lock unless another instance holds it.
    InstanceLink();
    ~InstanceLink();
    InstanceLink(const InstanceLink&) = delete;
    InstanceLink& operator=(const InstanceLink&) = delete;

    bool IsAnotherRunning() const;
    // Answers later starts: each one's request runs onRaise on this thread,
    // from the event loop. False when the socket cannot be made (the program
    // then runs on; a later start only ends without a sign).
    bool Listen(std::function<void()> onRaise);
    void StopListening();

    // Asks the running instance to bring its window forward; false when none
    // answered.
    static bool AskToRaise();

    // The lock's name (a file in the home folder; a mutex on Windows) and the
    // socket's path ($XDG_RUNTIME_DIR, else the home folder; on Windows the
    // DDE service's name).
    static wxString LockName();
    static wxString SocketPath();

private:
    wxSingleInstanceChecker m_lock;
    std::unique_ptr<wxServer> m_server;
};

// Where a -- option prints on Windows. zoruna.exe is a windowed program,
// which Windows starts without a console: started from cmd or PowerShell it
// has to attach to the console of the shell to print there. Output that the
// shell redirected to a file or a pipe stays where it goes. Elsewhere this
// does nothing.
#pragma once

class ParentConsole {
public:
    ParentConsole();
    // Gives the console its code page back and flushes what was printed.
    ~ParentConsole();
    ParentConsole(const ParentConsole&) = delete;
    ParentConsole& operator=(const ParentConsole&) = delete;

private:
    unsigned m_oldCodePage = 0;  // 0: no console was attached
};

// The results list as a screen reader sees it: the real program, run with the
// accessibility bridge on its own session bus, read back through AT-SPI. Its
// list must be a table whose rows and cells carry the names and dates.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/date_text.h"
#include "support/temp_dir.h"
#include "support/test_text.h"

namespace {

// Starts zoruna -d in its folder with the bridge on, waits (bounded) until
// its table has rows, prints the table's role, row count, headers and every
// row's cells (tab-separated), then ends the program.
constexpr const char* kReader = R"py(
import os, subprocess, sys, time
import pyatspi

exe, work = sys.argv[1], sys.argv[2]
env = dict(os.environ, GTK_MODULES="gail:atk-bridge", HOME=work, XDG_RUNTIME_DIR=work)
for key in ("GTK_A11Y", "NO_AT_BRIDGE"):
    env.pop(key, None)
proc = subprocess.Popen([exe, "-d"], cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

def app_of_process():
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == proc.pid:
                return app
        except Exception:
            pass
    return None

def find_table(node):
    if node is None:
        return None
    try:
        if node.getRole() in (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE):
            return node
        for child in node:
            found = find_table(child)
            if found is not None:
                return found
    except Exception:
        pass
    return None

def text_of(cell):
    if cell.name:
        return cell.name
    return "".join(child.name for child in cell if child is not None and child.name)

try:
    table = None
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        table = find_table(app_of_process())
        if table is not None and table.queryTable().nRows > 0:
            break
        time.sleep(0.2)
    if table is None:
        print("NO TABLE")
        sys.exit(1)
    t = table.queryTable()
    print("ROLE\t" + table.getRoleName())
    print("ROWS\t%d" % t.nRows)
    print("HEADERS\t" + "\t".join(text_of(t.getColumnHeader(c)) for c in range(t.nColumns)))
    for r in range(t.nRows):
        print("ROW\t" + "\t".join(text_of(t.getAccessibleAt(r, c)) for c in range(t.nColumns)))
finally:
    proc.terminate()
    proc.wait(10)
)py";

bool CanRun(const char* command) { return std::system((std::string(command) + " >/dev/null 2>&1").c_str()) == 0; }

std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
}

// The reader's lines; the bus daemons print lines of their own.
std::vector<std::string> ReaderLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        const std::string key = line.substr(0, line.find('\t'));
        if (key == "ROLE" || key == "ROWS" || key == "HEADERS" || key == "ROW") lines.push_back(line);
    }
    return lines;
}

TEST(AtSpiResults, RowsAndCellsAreReadable) {
    const char* exe = std::getenv("ZORUNA_EXE");
    if (!exe || !*exe) GTEST_SKIP() << "ZORUNA_EXE is set by CTest";
    if (access("/usr/bin/python3", X_OK) != 0) GTEST_SKIP() << "needs /usr/bin/python3";
    if (!CanRun("/usr/bin/python3 -c 'import pyatspi'")) GTEST_SKIP() << "needs python3-pyatspi";
    if (!CanRun("command -v dbus-run-session")) GTEST_SKIP() << "needs dbus-run-session (dbus-daemon)";
    if (access("/usr/libexec/at-spi2-registryd", X_OK) != 0) GTEST_SKIP() << "needs at-spi2-core";

    TempDir tmp;
    const std::string a = tmp.MakeDir("A"), b = tmp.MakeDir("B");
    constexpr FileTime kOld = 1700000000, kNew = 1710000000;
    WriteFile(a + "/only_a.txt", "a", kOld);
    WriteFile(a + "/報告書_第3四半期.txt", "a", kNew);
    WriteFile(b + "/報告書_第3四半期.txt", "b", kOld);
    WriteFile(tmp / "zoruna.INI", PairSection(0, a, b));
    WriteFile(tmp / "reader.py", kReader);

    const std::string out = Output("cd '" + tmp.path() + "' && dbus-run-session -- /usr/bin/python3 reader.py '" +
                                   exe + "' '" + tmp.path() + "' 2>/dev/null");
    const std::vector<std::string> lines = ReaderLines(out);
    ASSERT_EQ(lines.size(), 5u) << out;
    EXPECT_EQ(lines[0], "ROLE\ttable");
    EXPECT_EQ(lines[1], "ROWS\t2");
    EXPECT_EQ(lines[2], "HEADERS\tﾌｧｲﾙ名\t更新日付Ａ\t更新日付Ｂ");
    // The rows in the list's order, each cell with its text.
    const std::string oldDate = FormatDateText(kOld), newDate = FormatDateText(kNew);
    const std::vector<std::string> rows(lines.begin() + 3, lines.end());
    const std::string onlyA = "ROW\tonly_a.txt\t" + oldDate + "\t";
    const std::string newer = "ROW\t報告書_第3四半期.txt\t" + newDate + "\t" + oldDate;
    EXPECT_TRUE((rows == std::vector<std::string>{onlyA, newer}) || (rows == std::vector<std::string>{newer, onlyA}))
        << out;
}

}  // namespace

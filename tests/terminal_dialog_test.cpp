// The built program in a real terminal: tmux runs it in an 80 by 24 pane,
// sends it keys, and reads the screen back.
#include "framework/dialog_template.h"
#include "framework/host/dialog_text.h"
#include "app/resource.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kProgram = BRENNICK_BINARY_DIR "/brennick";
const std::string kDemoMachine = BRENNICK_SOURCE_DIR "/demo/machine";
const std::string kDemoAfterRun = BRENNICK_SOURCE_DIR "/tests/data/app_demo";
const char kRestartLine[] = "System restart requested.";

std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

bool HaveTmux()
{
    return std::system("tmux -V >/dev/null 2>&1") == 0;
}

// One tmux server of its own, with the program in its only pane. After the
// program the pane's shell says how it ended and whether the terminal is
// back in its normal mode, then waits to be read.
class Terminal {
public:
    explicit Terminal(const std::string& machine)
    {
        static int s_count = 0;
        m_socket = "brennick-test-" + std::to_string(getpid()) + "-" + std::to_string(++s_count);
        std::string script = "WIN95_MACHINE=" + Quoted(machine) + " " + Quoted(kProgram) +
                             "; echo \"EXIT=$?\"; if stty -a | grep -qw -- -icanon; then echo RAW; else echo "
                             "COOKED; fi; exec sleep 600";
        Tmux("-f /dev/null new-session -d -x 80 -y 24 -s t " + Quoted(script));
    }
    ~Terminal() { Tmux("kill-server"); }

    void Keys(const std::string& keys) { Tmux("send-keys -t t " + keys); }
    void Literal(const std::string& text) { Tmux("send-keys -t t -l " + Quoted(text)); }

    std::vector<std::string> Screen()
    {
        std::vector<std::string> rows;
        std::istringstream in(Output("tmux -L " + m_socket + " capture-pane -p -t t 2>/dev/null"));
        for (std::string row; std::getline(in, row);)
            rows.push_back(row);
        rows.resize(24);
        return rows;
    }

    std::string ScreenText()
    {
        std::string text;
        for (const std::string& row : Screen())
            text += row + "\n";
        return text;
    }

    bool AlternateScreen() { return Output("tmux -L " + m_socket + " display -p -t t '#{alternate_on}'") == "1\n"; }

    // Polls the screen until the condition holds; false after the timeout.
    bool WaitFor(const std::function<bool(const std::string&)>& condition, int milliseconds = 10000)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < deadline) {
            if (condition(ScreenText()))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        return false;
    }

    bool WaitForText(const std::string& text)
    {
        return WaitFor([&](const std::string& screen) { return screen.find(text) != std::string::npos; });
    }

    bool WaitForGone(const std::string& text)
    {
        return WaitFor([&](const std::string& screen) { return screen.find(text) == std::string::npos; });
    }

    // Waits for the program's end; the pane's shell has printed its lines.
    bool WaitForExit() { return WaitForText("COOKED") || WaitForText("RAW"); }

private:
    void Tmux(const std::string& arguments)
    {
        std::system(("tmux -L " + m_socket + " " + arguments + " >/dev/null 2>&1").c_str());
    }

    std::string m_socket;
};

class TerminalDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveTmux())
            GTEST_SKIP() << "tmux is not installed: the terminal dialog is not tested";
        ASSERT_TRUE(fs::exists(kProgram)) << kProgram << " is not built";
        m_machine = m_scratch / "machine";
        fs::copy(kDemoMachine, m_machine, fs::copy_options::recursive);
        m_dialog = FindDialogTemplate(IDD_PATCH_DIALOG);
        ASSERT_NE(m_dialog, nullptr);
    }

    // The program has ended normally and given the terminal back.
    void ExpectEndedAndRestored(Terminal& terminal, bool restart)
    {
        ASSERT_TRUE(terminal.WaitForExit()) << terminal.ScreenText();
        std::string screen = terminal.ScreenText();
        EXPECT_NE(screen.find("EXIT=0"), std::string::npos) << screen;
        EXPECT_NE(screen.find("COOKED"), std::string::npos) << screen;
        EXPECT_FALSE(terminal.AlternateScreen());
        EXPECT_EQ(screen.find(m_dialog->caption + std::string(" ")), std::string::npos)
            << "the dialog is gone from the screen\n"
            << screen;
        EXPECT_EQ(screen.find(kRestartLine) != std::string::npos, restart) << screen;
    }

    bool DialogShown(Terminal& terminal) { return terminal.WaitForText(PlainText(m_dialog->controls[2].text)); }

    ScratchDir m_scratch;
    std::string m_machine;
    const DialogTemplate* m_dialog = nullptr;
};

// A dialog unit is a quarter column across and an eighth of a row down,
// below the one-row title bar.
TEST_F(TerminalDialogTest, TheTextsStandWhereTheTemplatePutsThem)
{
    Terminal terminal(m_machine);
    ASSERT_TRUE(DialogShown(terminal)) << terminal.ScreenText();
    std::vector<std::string> screen = terminal.Screen();

    EXPECT_EQ(screen[0].substr(0, 1 + std::string(m_dialog->caption).size()), std::string(" ") + m_dialog->caption);
    for (int i = 0; i < m_dialog->controlCount; ++i) {
        const DialogControl& control = m_dialog->controls[i];
        std::string text = PlainText(control.text);
        SCOPED_TRACE(text);
        int row = 1 + control.y / 8;
        int col = control.x / 4;
        int width = control.cx / 4;
        ASSERT_LT(row, 24);
        std::string cells = screen[row].substr(std::min<size_t>(col, screen[row].size()), width);
        if (std::string(control.className) == "BUTTON")
            EXPECT_NE(cells.find(" " + text + " "), std::string::npos) << "[" << cells << "]";
        else
            EXPECT_EQ(cells.substr(0, text.size()), text) << screen[row];
    }
    // The default button is marked.
    EXPECT_EQ(screen[1 + m_dialog->controls[0].y / 8][m_dialog->controls[0].x / 4], '<');
    EXPECT_EQ(screen[1 + m_dialog->controls[1].y / 8][m_dialog->controls[1].x / 4], '[');

    terminal.Keys("Escape");
    ExpectEndedAndRestored(terminal, false);
}

TEST_F(TerminalDialogTest, KeysThatRunThePatch)
{
    const char* cases[] = {"Enter", "y", "M-y", "Tab Tab Enter", "Right Left Space"};
    for (const char* keys : cases) {
        SCOPED_TRACE(keys);
        fs::remove_all(m_machine);
        fs::copy(kDemoMachine, m_machine, fs::copy_options::recursive);
        Terminal terminal(m_machine);
        ASSERT_TRUE(DialogShown(terminal)) << terminal.ScreenText();
        terminal.Keys(keys);
        ASSERT_TRUE(terminal.WaitForText("Brennick needs to restart your computer to complete setup."))
            << terminal.ScreenText();
        // The box stands over the dialog, which is still there around it.
        EXPECT_NE(terminal.ScreenText().find(" Restart "), std::string::npos);
        EXPECT_NE(terminal.ScreenText().find(PlainText(m_dialog->controls[2].text)), std::string::npos);
        terminal.Keys("Enter");
        ExpectEndedAndRestored(terminal, true);
        EXPECT_EQ(FolderSnapshot(m_machine), FolderSnapshot(kDemoAfterRun));
    }
}

TEST_F(TerminalDialogTest, KeysThatEndTheDialogWithNothingChanged)
{
    const char* cases[] = {"Escape", "Tab Enter", "n", "M-n", "Right Space", "C-c"};
    const auto before = FolderSnapshot(m_machine);
    for (const char* keys : cases) {
        SCOPED_TRACE(keys);
        Terminal terminal(m_machine);
        ASSERT_TRUE(DialogShown(terminal)) << terminal.ScreenText();
        terminal.Keys(keys);
        ExpectEndedAndRestored(terminal, false);
        EXPECT_EQ(FolderSnapshot(m_machine), before);
    }
}

// There is no help file: F1 leaves the dialog as it was, still answering.
TEST_F(TerminalDialogTest, HelpShowsNothing)
{
    Terminal terminal(m_machine);
    ASSERT_TRUE(DialogShown(terminal)) << terminal.ScreenText();
    std::string before = terminal.ScreenText();
    terminal.Keys("F1 Tab Tab");  // the focus goes round to where it was
    terminal.Keys("F1");
    EXPECT_FALSE(terminal.WaitFor([&](const std::string& screen) { return screen != before; }, 300))
        << terminal.ScreenText();
    terminal.Keys("Escape");
    ExpectEndedAndRestored(terminal, false);
}

// Clicks as an xterm reports them: button press and release at a cell.
TEST_F(TerminalDialogTest, ClickingNoEndsTheDialog)
{
    const DialogControl& no = m_dialog->controls[1];
    int row = 1 + no.y / 8, col = no.x / 4 + 3;
    auto report = [&](int button) {
        return std::string("\x1b[M") + static_cast<char>(32 + button) + static_cast<char>(33 + col) +
               static_cast<char>(33 + row);
    };
    const auto before = FolderSnapshot(m_machine);
    Terminal terminal(m_machine);
    ASSERT_TRUE(DialogShown(terminal)) << terminal.ScreenText();
    terminal.Literal(report(0) + report(3));
    ExpectEndedAndRestored(terminal, false);
    EXPECT_EQ(FolderSnapshot(m_machine), before);
}

// After the platform check the box goes away, the dialog is back and
// answers again.
TEST_F(TerminalDialogTest, AMessageBoxIsDrawnAndDismissed)
{
    std::string registry = m_machine + "/registry.reg";
    WriteBytes(registry, ReadBytes(registry) +
                             Crlf("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n\n"));
    const auto before = FolderSnapshot(m_machine);
    Terminal terminal(m_machine);
    ASSERT_TRUE(DialogShown(terminal)) << terminal.ScreenText();

    for (const char* dismiss : {"Space", "Escape", "Enter"}) {
        SCOPED_TRACE(dismiss);
        terminal.Keys("Enter");
        ASSERT_TRUE(terminal.WaitForText("Your System is not Windows 95 !")) << terminal.ScreenText();
        EXPECT_NE(terminal.ScreenText().find(" Error Message "), std::string::npos);
        terminal.Keys(dismiss);
        ASSERT_TRUE(terminal.WaitForGone("Your System is not Windows 95 !")) << terminal.ScreenText();
        EXPECT_TRUE(DialogShown(terminal));
    }
    terminal.Keys("n");
    ExpectEndedAndRestored(terminal, false);
    EXPECT_EQ(FolderSnapshot(m_machine), before);
}

// The engine ends the process from inside the box; the exit handler gives
// the terminal back all the same.
TEST_F(TerminalDialogTest, TheTerminalIsRestoredAfterTheEarlyExit)
{
    fs::remove(m_machine + "/C/WINDOWS/INF/MSHDC.INF");
    const auto before = FolderSnapshot(m_machine);
    Terminal terminal(m_machine);
    ASSERT_TRUE(DialogShown(terminal)) << terminal.ScreenText();
    terminal.Keys("Enter");
    ASSERT_TRUE(terminal.WaitForText("File Open Error !")) << terminal.ScreenText();
    terminal.Keys("Enter");
    ExpectEndedAndRestored(terminal, false);
    EXPECT_EQ(FolderSnapshot(m_machine), before);
}

}  // namespace

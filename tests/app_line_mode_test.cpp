// The built program in line mode, end to end: answers on standard input, the
// dialog and the message boxes as lines on standard output, and the machine
// folder as the run leaves it.
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kProgram = BRENNICK_BINARY_DIR "/brennick";
const std::string kDemoMachine = BRENNICK_SOURCE_DIR "/demo/machine";
const std::string kDemoAfterRun = BRENNICK_SOURCE_DIR "/tests/data/app_demo";

const std::vector<std::string> kDialogLines = {
    "Brennick",
    "Brennick for Windows 95      Ver 2.1",
    "This utility will help Windows 95 find the correct description of",
    "Intel chipsets and USB devices in the Device Manager.",
    "It is recommanded that you first run the Intel IDE Bus Master driver",
    "and Mircosoft USB/WDM supplement before running this utility.",
    "Will you continue ?",
};
const char kPrompt[] = "[Y]es / [N]o ?";
const char kRestartBox[] = "Restart: Brennick needs to restart your computer to complete setup.";
const char kDriveABox[] = "Warning: Drive A contains a disk. Remove it if necessary.";
const char kRestartLine[] = "System restart requested.";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct ProgramRun {
    int exitCode;
    std::vector<std::string> out;
};

ProgramRun RunProgram(const std::string& machine, const std::string& input)
{
    ScratchDir io;
    WriteBytes(io / "in", input);
    std::string command = "WIN95_MACHINE='" + machine + "' '" + kProgram + "' <'" + (io / "in") + "' >'" +
                          (io / "out") + "' 2>&1";
    int status = std::system(command.c_str());
    return ProgramRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Lines(ReadBytes(io / "out"))};
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class LineModeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(kProgram)) << kProgram << " is not built";
        fs::copy(kDemoMachine, m_scratch.path() + "/machine", fs::copy_options::recursive);
        m_machine = m_scratch.path() + "/machine";
        m_before = FolderSnapshot(m_machine);
    }

    ScratchDir m_scratch;
    std::string m_machine;
    std::map<std::string, std::string> m_before;
};

TEST_F(LineModeTest, YesRunsThePatchAndLeavesTheExpectedFiles)
{
    ProgramRun run = RunProgram(m_machine, "y\n\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, Concat({kDialogLines, {kPrompt, kRestartBox, kRestartLine}}));
    EXPECT_EQ(FolderSnapshot(m_machine), FolderSnapshot(kDemoAfterRun));
}

TEST_F(LineModeTest, ADiskInDriveAIsWarnedAboutBeforeTheRestart)
{
    fs::create_directory(m_machine + "/A");
    ProgramRun run = RunProgram(m_machine, "Yes\n\n\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, Concat({kDialogLines, {kPrompt, kDriveABox, kRestartBox, kRestartLine}}));
}

// "&No", end of input, and answers that are neither: nothing on the machine
// changes.
TEST_F(LineModeTest, EveryWayOutChangesNothing)
{
    struct Case {
        const char* input;
        int prompts;
    };
    const Case cases[] = {
        {"n\n", 1}, {"NO\n", 1}, {"  No  \n", 1}, {"", 1}, {"maybe\nyess\n\nn\n", 4}, {"q\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("input \"") + c.input + "\"");
        ProgramRun run = RunProgram(m_machine, c.input);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, Concat({kDialogLines, std::vector<std::string>(c.prompts, kPrompt)}));
        EXPECT_EQ(FolderSnapshot(m_machine), m_before);
    }
}

// The platform check fails: the error box, then the dialog asks again and
// stays until "&No".
TEST_F(LineModeTest, OnNtTheErrorBoxIsShownAndTheDialogAsksAgain)
{
    std::string registry = ReadBytes(m_machine + "/registry.reg");
    registry += Crlf("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
                     "\"CurrentVersion\"=\"4.0\"\n\n");
    WriteBytes(m_machine + "/registry.reg", registry);
    m_before = FolderSnapshot(m_machine);

    ProgramRun run = RunProgram(m_machine, "y\n\ny\n\nn\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, Concat({kDialogLines,
                               {kPrompt, "Error Message: Your System is not Windows 95 !", kPrompt,
                                "Error Message: Your System is not Windows 95 !", kPrompt}}));
    EXPECT_EQ(FolderSnapshot(m_machine), m_before);
}

// The engine ends the process after the box; nothing after it runs.
TEST_F(LineModeTest, AMissingInfFileEndsTheProgramAfterTheBox)
{
    fs::remove(m_machine + "/C/WINDOWS/INF/MSHDC.INF");
    m_before = FolderSnapshot(m_machine);

    ProgramRun run = RunProgram(m_machine, "y\n\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, Concat({kDialogLines, {kPrompt, "Error Message: File Open Error !"}}));
    EXPECT_EQ(FolderSnapshot(m_machine), m_before);
}

TEST(LineModeMachineTest, WithoutAMachineTheProgramRefusesToStart)
{
    ScratchDir empty;
    ProgramRun run = RunProgram(empty.path(), "y\n");
    EXPECT_EQ(run.exitCode, 2);
    ASSERT_FALSE(run.out.empty());
    EXPECT_NE(run.out[0].find("registry.reg"), std::string::npos) << run.out[0];
}

}  // namespace

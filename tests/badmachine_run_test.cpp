// Runs on machines that are broken or strange: each one gets the documented
// error or a correct run, never a crash, and no file changes beyond what the
// run is there to change.
#include "inf/patch_tables.h"
#include "platform/host/host.h"
#include "platform/host/regfile.h"
#include "run/patch_run.h"
#include "tests/child/child_run.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kOpenErrorBox[] = "Error Message: File Open Error !";
const char kNoInfFolderBox[] = "Error Message: Cannot find the INF directory !";
const char kRestartBox[] = "Restart: Brennick needs to restart your computer to complete setup.";
const char kPciKey[] = "HKEY_LOCAL_MACHINE\\Enum\\PCI";

const char kMshdc[] = "[Version]\nSignature=\"$CHICAGO$\"\n[INTEL_HDC]\n[ControlFlags]\n\n[Strings]\n";
const char kMachine[] = "[MS_SYS]\n[PCI_DRV_AddReg]\n[ControlFlags]\n[Strings]\n";
const char kUsb[] = "[Version]\nClass=USB\n[Intel.Section]\n[Strings]\n";

const char kIntelRecords[] =
    "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000&SUBSYS_00000000&REV_01]\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_00]\n"
    "\"Class\"=\"System\"\n\"ConfigFlags\"=hex:00,00,\\\n  00,00\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1106&DEV_0586]\n\"Mfg\"=\"Other\"\n\n";

std::map<std::string, std::string> StandardInfFiles()
{
    return {{"mshdc.inf", Crlf(kMshdc)}, {"machine.inf", Crlf(kMachine)}, {"usb.inf", Crlf(kUsb)}};
}

const char* const g_infNames[] = {"C/WINDOWS/INF/mshdc.inf", "C/WINDOWS/INF/machine.inf", "C/WINDOWS/INF/usb.inf"};

// A run in a child on the machine WIN95_MACHINE names, with what it printed on standard error.
ChildEnd RunPatchInChild(std::string* errors = nullptr)
{
    ScratchDir logs;
    std::string errorFile = logs / "stderr";
    ChildEnd end = RunInChild(logs.path(), [&errorFile] {
        std::freopen(errorFile.c_str(), "w", stderr);
        ResetPatchTables();
        RunPatch();
    });
    std::string printed = ReadBytes(errorFile);
    if (errors)
        *errors = printed;
    else
        std::fputs(printed.c_str(), stderr);  // a sanitizer's report, say
    return end;
}

std::vector<std::string> CrlfLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0, end;
    while ((end = bytes.find("\r\n", start)) != std::string::npos) {
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

// The lines a text stream reads from `bytes`.
std::vector<std::string> TextLines(const std::string& bytes)
{
    std::string text = bytes.substr(0, bytes.find('\x1a'));
    std::vector<std::string> lines;
    std::string line;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(text[i]);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool IsTableLine(int table, const std::string& line)
{
    const PatchFile& file = g_patchFiles[table];
    for (int s = 0; s < file.sectionCount; ++s) {
        if (line == file.sections[s].header)
            return true;
        for (int i = 0; i < file.sections[s].itemCount; ++i) {
            if (line == file.sections[s].items[i].text)
                return true;
        }
    }
    return false;
}

// The rewrite of `before` holds every line of it, unchanged and in order,
// and nothing else but lines of the table.
void ExpectOnlyInsertions(const std::string& before, const std::string& after, int table)
{
    std::vector<std::string> old = TextLines(before);
    std::size_t kept = 0;
    for (const std::string& line : CrlfLines(after)) {
        if (kept < old.size() && line == old[kept]) {
            ++kept;
        } else {
            EXPECT_TRUE(IsTableLine(table, line)) << "a line that is neither the file's nor the table's: "
                                                  << line.substr(0, 80);
        }
    }
    EXPECT_EQ(kept, old.size()) << "an original line was lost or changed";
}

// registry.reg as it should be after a run: the Intel records under
// Enum\PCI gone, except those whose names no device record can have.
std::string WithoutIntelRecords(const std::string& registry)
{
    RegFile file;
    RegParseError error;
    EXPECT_TRUE(ParseRegFile(registry, file, error)) << error.line << ": " << error.message;
    for (const std::string& name : RegSubkeyNames(file, kPciKey)) {
        if (name.compare(0, 8, "VEN_8086") == 0 && name.size() < 260)
            RegDeleteTree(file, std::string(kPciKey) + "\\" + name);
    }
    return WriteRegFile(file);
}

void RemoveFolder(const std::string& path)
{
    for (const std::string& name : ListFolder(path))
        unlink((path + "/" + name).c_str());
    rmdir(path.c_str());
}

class BadMachine : public ::testing::Test {
protected:
    void SetUp() override { ResetPatchTables(); }
    void TearDown() override { ResetPatchTables(); }
};

TEST_F(BadMachine, InfFolderOrFilesThatAreNotFiles)
{
    struct Case {
        const char* what;
        std::function<void(const FixtureMachine&)> spoil;
        int patchedBefore;  // INF files rewritten ahead of the one that fails
    } cases[] = {
        {"INF folder is a file",
         [](const FixtureMachine& m) {
             RemoveFolder(m.Inf());
             WriteBytes(m.Inf(), Crlf(kMshdc));
         },
         0},
        {"mshdc.inf is a folder",
         [](const FixtureMachine& m) {
             unlink(m.InfFile("mshdc.inf").c_str());
             mkdir(m.InfFile("mshdc.inf").c_str(), 0755);
         },
         0},
        {"machine.inf is a folder",
         [](const FixtureMachine& m) {
             unlink(m.InfFile("machine.inf").c_str());
             mkdir(m.InfFile("machine.inf").c_str(), 0755);
         },
         1},
        {"usb.inf is a folder",
         [](const FixtureMachine& m) {
             unlink(m.InfFile("usb.inf").c_str());
             mkdir(m.InfFile("usb.inf").c_str(), 0755);
             WriteBytes(m.InfFile("usb.inf") + "/inside.txt", "kept");
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FixtureMachine machine(Win95Registry(kIntelRecords), StandardInfFiles());
        c.spoil(machine);
        std::map<std::string, std::string> before = machine.Snapshot();
        ChildEnd end = RunPatchInChild();
        EXPECT_EQ(end.exitCode, 0) << end;
        EXPECT_EQ(end.boxes, std::vector<std::string>{kOpenErrorBox});
        EXPECT_FALSE(end.restart);
        std::map<std::string, std::string> after = machine.Snapshot();
        for (int file = 0; file < c.patchedBefore; ++file) {
            EXPECT_NE(after[g_infNames[file]], before[g_infNames[file]]) << g_infNames[file];
            after[g_infNames[file]] = before[g_infNames[file]];
        }
        EXPECT_TRUE(after == before) << "a file changed that the run should not have reached";
    }
}

std::string Binary(unsigned seed, std::size_t size, bool ctrlZ)
{
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        char c = static_cast<char>(seed >> 16);
        if (c == '\x1a' && !ctrlZ)
            c = '\x1b';
        bytes.push_back(c);
    }
    return bytes;
}

// The headers the table brings, with lines of a megabyte between them.
std::string MegabyteLines(int table)
{
    std::string text;
    const PatchFile& file = g_patchFiles[table];
    for (int s = 0; s < file.sectionCount; ++s) {
        text += std::string(file.sections[s].header) + "\n";
        text += std::string(1 << 20, static_cast<char>('a' + s)) + "\n";
    }
    // A header a megabyte long, with blanks, as the last section.
    text += "[ " + std::string(1 << 20, 'h') + " ]\n" + std::string(1 << 20, ' ') + "\n";
    return Crlf(text);
}

TEST_F(BadMachine, StrangeInfContentsAreKeptLineForLine)
{
    // Headers that equal a table's up to a zero byte, then go on.
    const char kNulHeaders[] = "[Strings]\0]\n[INTEL_HDC]\0\n[MS_SYS\0]\n[Intel.Section]\0x]\n";
    struct Case {
        const char* what;
        std::string mshdc, machine, usb;
    } cases[] = {
        {"binary", Binary(1, 20000, false), Binary(2, 70000, false), Binary(3, 5000, false)},
        {"binary with Ctrl-Z", Binary(4, 20000, true), Binary(5, 70000, true), Binary(6, 5000, true)},
        {"empty", "", "", ""},
        {"zero bytes inside headers", Crlf(std::string(kNulHeaders, sizeof kNulHeaders - 1)),
         Crlf(std::string(kNulHeaders, sizeof kNulHeaders - 1)), Crlf(std::string(kNulHeaders, sizeof kNulHeaders - 1))},
        {"lines of a megabyte", MegabyteLines(0), MegabyteLines(2), MegabyteLines(3)},
    };
    const int tables[] = {0, 2, 3};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string registry = Win95Registry(kIntelRecords);
        FixtureMachine machine(registry, {{"mshdc.inf", c.mshdc}, {"machine.inf", c.machine}, {"usb.inf", c.usb}});
        std::map<std::string, std::string> before = machine.Snapshot();
        ChildEnd end = RunPatchInChild();
        EXPECT_TRUE(end.returned) << end;
        EXPECT_EQ(end.boxes, std::vector<std::string>{kRestartBox});
        EXPECT_TRUE(end.restart);

        std::map<std::string, std::string> after = machine.Snapshot();
        EXPECT_EQ(after.size(), before.size()) << "a file appeared or went";
        for (int file = 0; file < 3; ++file) {
            SCOPED_TRACE(g_infNames[file]);
            ExpectOnlyInsertions(before[g_infNames[file]], after[g_infNames[file]], tables[file]);
        }
        EXPECT_EQ(after["registry.reg"], WithoutIntelRecords(registry));

        // Nothing left to do: a second run changes no byte.
        ChildEnd again = RunPatchInChild();
        EXPECT_TRUE(again.returned) << again;
        EXPECT_TRUE(machine.Snapshot() == after) << "a second run changed the machine";
    }
}

TEST_F(BadMachine, FiftyMegabyteInf)
{
    // machine.inf of 50 MB in table 2's sections, in table order: each
    // section gets its table lines after its own, nothing else changes.
    const PatchFile& table = g_patchFiles[2];
    std::string body;
    for (int i = 0; body.size() < (13u << 20); ++i)
        body += "HKLM,System\\CurrentControlSet\\Services\\Class\\Big,Line" + std::to_string(i) + ",,\"filler text\"\r\n";
    std::string before, expected;
    for (int s = 0; s < table.sectionCount; ++s) {
        before += std::string(table.sections[s].header) + "\r\n" + body;
        expected += std::string(table.sections[s].header) + "\r\n" + body;
        for (int i = 0; i < table.sections[s].itemCount; ++i)
            expected += std::string(table.sections[s].items[i].text) + "\r\n";
    }
    ASSERT_GT(before.size(), 50u << 20);
    FixtureMachine machine(Win95Registry(kIntelRecords),
                           {{"mshdc.inf", Crlf(kMshdc)}, {"machine.inf", before}, {"usb.inf", Crlf(kUsb)}});
    ChildEnd end = RunPatchInChild();
    EXPECT_TRUE(end.returned) << end;
    EXPECT_TRUE(end.restart);
    EXPECT_TRUE(ReadWhole(machine.InfFile("machine.inf")) == expected) << "the 50 MB file is not as it should be";
}

TEST_F(BadMachine, RegistryThatDoesNotReadIsRefusedUntouched)
{
    std::string good = Win95Registry(kIntelRecords);
    std::string::size_type continuation = good.find(",\\\r\n") + 4;
    const char kNulKey[] = "[HKEY_LOCAL_MACHINE\\Enum\\P\0CI]\n";
    std::string::size_type inString = good.find("\"System\"") + 4;
    struct Case {
        const char* what;
        std::string registry;
        const char* where;  // "registry.reg:LINE:"
    } cases[] = {
        {"empty", "", "registry.reg:1:"},
        {"truncated after a continuation mark", good.substr(0, continuation), "registry.reg:11:"},
        {"truncated inside a string", good.substr(0, inString), "registry.reg:10:"},
        {"bad escape", Win95Registry("[HKEY_LOCAL_MACHINE\\Enum\\Bad]\n\"Name\"=\"C:\\WINDOWS\"\n"), "registry.reg:8:"},
        {"escape cut by the line end", Win95Registry("[HKEY_LOCAL_MACHINE\\Enum\\Bad]\n\"Name\"=\"ends in \\\"\n"),
         "registry.reg:8:"},
        {"NUL in a key line", Win95Registry(std::string(kNulKey, sizeof kNulKey - 1)), "registry.reg:7:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FixtureMachine machine(c.registry, StandardInfFiles());
        std::map<std::string, std::string> before = machine.Snapshot();
        std::string errors;
        ChildEnd end = RunPatchInChild(&errors);
        EXPECT_EQ(end.exitCode, 2) << end;
        EXPECT_TRUE(end.boxes.empty()) << end;
        EXPECT_FALSE(end.restart);
        EXPECT_NE(errors.find(c.where), std::string::npos) << errors;
        EXPECT_TRUE(machine.Snapshot() == before) << "a refused machine changed";
    }
}

TEST_F(BadMachine, RegistryWithLongKeysOrCutAtALineEnd)
{
    std::string longName(10000, 'K');
    std::string good = Win95Registry(kIntelRecords);
    struct Case {
        const char* what;
        std::string registry;
        std::vector<std::string> boxes;
    } cases[] = {
        {"Intel and other keys of 10,000 characters",
         Win95Registry(std::string(kIntelRecords) + "[" + kPciKey + "\\VEN_8086&" + longName + "]\n\"Class\"=\"System\"\n\n" +
                       "[" + kPciKey + "\\VEN_1106&" + longName + "\\" + longName + "]\n\n" +
                       "[HKEY_LOCAL_MACHINE\\System\\" + longName + "]\n\"" + longName + "\"=\"" + longName + "\"\n"),
         {kRestartBox}},
        {"cut after a whole key block", good.substr(0, good.find("[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1106")),
         {kRestartBox}},
        {"DevicePath of 10,000 characters",
         Crlf("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n\"DevicePath\"=\"C:\\\\" +
              longName + "\"\n\n" + kIntelRecords),
         {kNoInfFolderBox}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FixtureMachine machine(c.registry, StandardInfFiles());
        std::map<std::string, std::string> before = machine.Snapshot();
        ChildEnd end = RunPatchInChild();
        EXPECT_TRUE(end.returned) << end;
        EXPECT_EQ(end.boxes, c.boxes);
        std::map<std::string, std::string> after = machine.Snapshot();
        if (c.boxes[0] == kNoInfFolderBox) {
            EXPECT_FALSE(end.restart);
            EXPECT_TRUE(after == before) << "a run that found no INF folder changed the machine";
            continue;
        }
        EXPECT_TRUE(end.restart);
        EXPECT_EQ(after["registry.reg"], WithoutIntelRecords(c.registry));
        for (int file = 0; file < 3; ++file)
            EXPECT_NE(after[g_infNames[file]], before[g_infNames[file]]) << g_infNames[file] << " was not patched";
    }
}

}  // namespace

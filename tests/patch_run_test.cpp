// Whole runs on small simulated machines: which table goes with which file,
// what the run leaves on the machine, and the boxes it shows, in order.
#include "inf/inf_engine.h"
#include "inf/patch_tables.h"
#include "platform/host/host.h"
#include "run/patch_run.h"
#include "run/usb_template.h"
#include "tests/child/child_run.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sys/stat.h>

namespace {

const char kVersionKey[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]";
const char kRestartBox[] = "Restart: Brennick needs to restart your computer to complete setup.";
const char kDiskBox[] = "Warning: Drive A contains a disk. Remove it if necessary.";

// A registry.reg from key blocks, each its key line and value lines.
std::string RegistryFile(const std::vector<std::string>& blocks)
{
    std::string text = "REGEDIT4\n\n";
    for (const std::string& block : blocks)
        text += block + "\n\n";
    return Crlf(text);
}

std::string VersionBlock(const std::string& values)
{
    return std::string(kVersionKey) + "\n" + values;
}

const std::string kStandardVersion =
    VersionBlock("\"DevicePath\"=\"C:\\\\WINDOWS\\\\INF\"\n\"SubVersionNumber\"=\" B\"");

const char kMshdc[] =
    "[Version]\nSignature=\"$CHICAGO$\"\n\n[INTEL_HDC]\n\n[ControlFlags]\n\n[Strings]\n";
const char kMachine[] = "[MS_SYS]\n[PCI_DRV_AddReg]\n[ControlFlags]\n[Strings]\n";
// Some lines already there, one of them spaced differently.
const char kMshdcHalfPatched[] =
    "[INTEL_HDC]\n%PCI\\VEN_8086&DEV_7111.DeviceDesc% = DUAL_GOOD_IDE,,PCI\\VEN_8086&DEV_7111\n"
    "[ControlFlags]\n[Strings]\nPCI\\VEN_8086&DEV_7010.DeviceDesc=\"Intel 82371SB PCI Bus Master IDE Controller\"\n";

// A fixture machine built from key blocks, with the INF files given.
class Machine : public FixtureMachine {
public:
    explicit Machine(const std::vector<std::string>& registry,
                     const std::map<std::string, std::string>& infFiles = {{"MSHDC.INF", Crlf(kMshdc)},
                                                                           {"MACHINE.INF", Crlf(kMachine)}})
        : FixtureMachine(RegistryFile(registry), infFiles)
    {
    }

    std::string InfBytes(const std::string& name) const { return ReadBytes(InfFile(name)); }
    std::string RegistryText() const { return ReadBytes(Registry()); }
    void InsertDisk() const { mkdir((Root() + "/A").c_str(), 0755); }
};

class PatchRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetPatchTables();
        ClearRestartRequest();
    }
    void TearDown() override { SetWriteHook(nullptr); }
};

// What table `table` makes of a file whose sections are all there and empty.
std::string EmptySectionsPatched(int table)
{
    std::string text;
    const PatchFile& file = g_patchFiles[table];
    for (int s = 0; s < file.sectionCount; ++s) {
        text += std::string(file.sections[s].header) + "\n";
        for (int i = 0; i < file.sections[s].itemCount; ++i)
            text += std::string(file.sections[s].items[i].text) + "\n";
    }
    return Crlf(text);
}

TEST_F(PatchRun, SubVersionChoosesTheMachineTable)
{
    struct Case {
        const char* what;
        std::string value;  // the SubVersionNumber line, or empty for none
        int table;
    } cases[] = {
        {"blank then B", "\"SubVersionNumber\"=\" B\"", 2},
        {"C", "\"SubVersionNumber\"=\"C\"", 2},
        {"A", "\"SubVersionNumber\"=\"A\"", 1},
        {"lower-case b", "\"SubVersionNumber\"=\"b\"", 1},
        {"empty", "\"SubVersionNumber\"=\"\"", 1},
        {"missing", "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetPatchTables();
        ClearRestartRequest();
        Machine machine({VersionBlock("\"DevicePath\"=\"C:\\\\WINDOWS\\\\INF\"\n" + c.value)});
        BoxRecorder boxes;
        RunPatch();
        ResetPatchTables();
        EXPECT_EQ(machine.InfBytes("MACHINE.INF"), EmptySectionsPatched(c.table));
        EXPECT_EQ(boxes.boxes, std::vector<std::string>{kRestartBox});
        EXPECT_TRUE(RestartRequested());
    }
}

TEST_F(PatchRun, FullRunOnAWindows95Machine)
{
    Machine machine({kStandardVersion});
    BoxRecorder boxes;
    RunPatch();
    EXPECT_EQ(machine.InfBytes("MSHDC.INF"),
              Crlf("[Version]\nSignature=\"$CHICAGO$\"\n\n[INTEL_HDC]\n\n"
                   "%PCI\\VEN_8086&DEV_7010.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_8086&DEV_7010\n"
                   "%PCI\\VEN_8086&DEV_7111.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_8086&DEV_7111\n"
                   "[ControlFlags]\n\n"
                   "CopyFilesOnly=PCI\\VEN_8086&DEV_7010\n"
                   "CopyFilesOnly=PCI\\VEN_8086&DEV_7111\n"
                   "[Strings]\n"
                   "PCI\\VEN_8086&DEV_7010.DeviceDesc=\"Intel 82371SB PCI Bus Master IDE Controller\"\n"
                   "PCI\\VEN_8086&DEV_7111.DeviceDesc=\"Intel 82371AB/EB PCI Bus Master IDE Controller\"\n"));
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{kRestartBox});
    EXPECT_EQ(boxes.types, std::vector<unsigned>{0x1040});
    EXPECT_TRUE(RestartRequested());
}

TEST_F(PatchRun, CreatesUsbInfFromTheTemplate)
{
    Machine machine({kStandardVersion});
    BoxRecorder boxes;
    RunPatch();
    // Created with the name as the run spells it.
    EXPECT_TRUE(Exists(machine.Inf() + "/usb.inf"));
    std::string created = machine.InfBytes("usb.inf");
    EXPECT_EQ(created.substr(0, 81), "; USB.INF  -- This file contains descriptions of all the HDC (USB controller)\r\n\r\n");
    const std::string last = "\r\nPCI\\VEN_1106&DEV_3038.DeviceDesc=\"AMD-645 PCI to USB Universal Host Controller\"\r\n";
    EXPECT_EQ(created.substr(created.size() - last.size()), last);

    ResetPatchTables();
    EXPECT_EQ(LoadInfFile((machine.Inf() + "/usb.inf").c_str()), 160);
    EXPECT_EQ(g_infText.sectionCount, 30);
    MatchSections(3);
    for (int s = 0; s < 2; ++s) {
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(g_patchFiles[3].sections[s].items[i].pending, 0);
    }
    SaveInfFile((machine.Inf() + "/usb.inf").c_str(), 3);
    EXPECT_EQ(machine.InfBytes("usb.inf"), created);
    std::string lone;
    for (int slot = 0; slot < kUsbInfTemplateSlots; ++slot)
        lone += UsbInfTemplate[slot];
    EXPECT_EQ(created, Crlf(lone));
}

TEST_F(PatchRun, PatchesAnExistingUsbInfAndNeverReplacesIt)
{
    const std::string usb = Crlf("; my own USB.INF\n[Intel.Section]\nX=1\n[Strings]\nY=\"y\"\n");
    Machine machine({kStandardVersion},
                    {{"MSHDC.INF", Crlf(kMshdc)}, {"MACHINE.INF", Crlf(kMachine)}, {"USB.INF", usb}});
    BoxRecorder boxes;
    RunPatch();
    EXPECT_EQ(machine.InfBytes("USB.INF"),
              Crlf("; my own USB.INF\n[Intel.Section]\nX=1\n"
                   "%PCI\\VEN_8086&DEV_7020.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7020\n"
                   "%PCI\\VEN_8086&DEV_7112.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7112\n"
                   "[Strings]\nY=\"y\"\n"
                   "PCI\\VEN_8086&DEV_7020.DeviceDesc=\"Intel 82371SB PCI to USB Universal Host Controller\"\n"
                   "PCI\\VEN_8086&DEV_7112.DeviceDesc=\"Intel 82371AB/EB PCI to USB Universal Host Controller\"\n"));
    EXPECT_FALSE(Exists(machine.Inf() + "/usb.inf"));
}

TEST_F(PatchRun, DiskInDriveA)
{
    Machine machine({kStandardVersion});
    machine.InsertDisk();
    BoxRecorder boxes;
    RunPatch();
    EXPECT_EQ(boxes.boxes, (std::vector<std::string>{kDiskBox, kRestartBox}));
    EXPECT_EQ(boxes.types, (std::vector<unsigned>{0x1040, 0x1040}));
}

// Runs that stop before any change: the dialog stays, the machine is as it was.
TEST_F(PatchRun, AbandonedRunsChangeNothing)
{
    struct Case {
        const char* what;
        std::vector<std::string> registry;
        const char* box;
    } cases[] = {
        {"Windows NT", {kStandardVersion, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n\"CurrentVersion\"=\"4.0\""},
         "Error Message: Your System is not Windows 95 !"},
        {"no DevicePath", {VersionBlock("\"SubVersionNumber\"=\" B\"")}, "Error Message: Cannot find the INF directory !"},
        {"empty DevicePath", {VersionBlock("\"DevicePath\"=\"\"")}, "Error Message: Cannot find the INF directory !"},
        {"DevicePath of 244 characters", {VersionBlock("\"DevicePath\"=\"C:\\\\" + std::string(241, 'D') + "\"")},
         "Error Message: Cannot find the INF directory !"},
        {"DevicePath too long for its buffer", {VersionBlock("\"DevicePath\"=\"C:\\\\" + std::string(400, 'D') + "\"")},
         "Error Message: Cannot find the INF directory !"},
        {"DevicePath starting with a separator", {VersionBlock("\"DevicePath\"=\";C:\\\\WINDOWS\\\\INF\"")},
         "Error Message: Cannot find the INF directory !"},
        {"no CurrentVersion key", {"[HKEY_LOCAL_MACHINE\\SOFTWARE]"}, "Error Message: Cannot find the INF directory !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRestartRequest();
        std::vector<std::string> registry = c.registry;
        registry.push_back("[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000]");
        Machine machine(registry);
        auto before = machine.Snapshot();
        BoxRecorder boxes;
        RunPatch();
        EXPECT_EQ(boxes.boxes, std::vector<std::string>{c.box});
        EXPECT_EQ(boxes.types, std::vector<unsigned>{0x1030});
        EXPECT_EQ(machine.Snapshot(), before);
        EXPECT_FALSE(RestartRequested());
    }
}

TEST_F(PatchRun, DevicePathListingSeveralFoldersUsesTheFirst)
{
    Machine machine({VersionBlock("\"DevicePath\"=\"C:\\\\WINDOWS\\\\INF;C:\\\\OTHER\"")});
    BoxRecorder boxes;
    RunPatch();
    EXPECT_EQ(machine.InfBytes("MACHINE.INF"), EmptySectionsPatched(1));
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{kRestartBox});
}

TEST_F(PatchRun, AMissingFileEndsTheProcessWithoutRestart)
{
    for (const char* missing : {"MSHDC.INF", "MACHINE.INF"}) {
        SCOPED_TRACE(missing);
        std::map<std::string, std::string> files = {{"MSHDC.INF", Crlf(kMshdc)}, {"MACHINE.INF", Crlf(kMachine)}};
        files.erase(missing);
        Machine machine({kStandardVersion, "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000]"}, files);
        auto before = machine.Snapshot();
        BoxRecorder boxes(true);
        EXPECT_EXIT(RunPatch(), ::testing::ExitedWithCode(0), "^Error Message: File Open Error !\n$");
        auto after = machine.Snapshot();
        if (std::string(missing) == "MACHINE.INF") {
            // mshdc.inf comes first and stays patched.
            EXPECT_NE(after["C/WINDOWS/INF/MSHDC.INF"], before["C/WINDOWS/INF/MSHDC.INF"]);
            after.erase("C/WINDOWS/INF/MSHDC.INF");
            before.erase("C/WINDOWS/INF/MSHDC.INF");
        }
        EXPECT_EQ(after, before);
    }
}

TEST_F(PatchRun, AFailingTemplateWriteLeavesNoUsbInf)
{
    Machine machine({kStandardVersion, "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000]"});
    std::string registry = machine.RegistryText();
    int files = 0;
    // The third replacement is usb.inf's; let it fail half-way.
    SetWriteHook([&files](std::size_t offset, std::size_t length) -> std::size_t {
        if (offset == 0)
            ++files;
        return files == 3 ? length / 2 : length;
    });
    BoxRecorder boxes(true);
    EXPECT_EXIT(RunPatch(), ::testing::ExitedWithCode(0), "^Error Message: File Write Error !\n$");
    EXPECT_EQ(ListFolder(machine.Inf()), (std::vector<std::string>{"MACHINE.INF", "MSHDC.INF"}));
    EXPECT_EQ(machine.RegistryText(), registry);
}

TEST(IntelDeviceKeys, PrefixIsExact)
{
    struct Case { const char* name; bool intel; } cases[] = {
        {"VEN_8086&DEV_7000", true}, {"VEN_8086", true},   {"VEN_8086X", true},
        {"ven_8086&DEV_7000", false}, {"VEN_1106&DEV_3038", false}, {"VEN_808", false}, {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsIntelDeviceKey(c.name), c.intel);
    }
}

TEST_F(PatchRun, RemovesIntelRecordsAndNothingElse)
{
    const std::vector<std::string> kept = {
        kStandardVersion,
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI]",
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1106&DEV_3038]\n\"Class\"=\"USB\"",
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1106&DEV_3038\\BUS_00&DEV_07&FUNC_02]\n\"DeviceDesc\"=\"VIA USB\"",
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\ven_8086&DEV_7113]\n\"DeviceDesc\"=\"lower case\"",
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_808]",
        "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\VEN_8086&DEV_7000]",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VEN_8086]\n\"Flags\"=dword:00000001\n\"Data\"=hex:01,02,\\\n  03",
    };
    const std::vector<std::string> intel = {
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000]\n\"Class\"=\"System\"",
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000\\BUS_00&DEV_07&FUNC_00]\n\"DeviceDesc\"=\"PCI bridge\"",
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000\\BUS_00&DEV_07&FUNC_00\\Deeper]",
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086]",
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7111\\BUS_00&DEV_07&FUNC_01]",
    };
    std::vector<std::string> all = kept;
    all.insert(all.begin() + 3, intel.begin(), intel.begin() + 3);
    all.insert(all.end() - 2, intel.begin() + 3, intel.end());
    Machine machine(all);
    BoxRecorder boxes;
    RunPatch();
    EXPECT_EQ(machine.RegistryText(), RegistryFile(kept));
}

TEST_F(PatchRun, RemovesMoreIntelRecordsThanOnePassHolds)
{
    std::vector<std::string> blocks = {kStandardVersion};
    for (int i = 0; i < 25; ++i) {
        blocks.push_back("[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7" + std::to_string(100 + i) + "\\BUS_00]");
        if (i % 5 == 0)
            blocks.push_back("[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_10EC&DEV_" + std::to_string(8000 + i) + "]");
    }
    Machine machine(blocks);
    BoxRecorder boxes;
    RunPatch();
    std::vector<std::string> kept = {kStandardVersion};
    for (int i = 0; i < 25; i += 5)
        kept.push_back("[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_10EC&DEV_" + std::to_string(8000 + i) + "]");
    EXPECT_EQ(machine.RegistryText(), RegistryFile(kept));
}

// Pressing "&Yes" again, or running the program again after the restart.
TEST_F(PatchRun, ASecondRunChangesNothing)
{
    for (bool newProcess : {false, true}) {
        SCOPED_TRACE(newProcess ? "in a new process" : "in the same process");
        ResetPatchTables();
        Machine machine({kStandardVersion, "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000]"},
                        {{"MSHDC.INF", Crlf(kMshdcHalfPatched)}, {"MACHINE.INF", Crlf(kMachine)}});
        BoxRecorder boxes;
        RunPatch();
        auto first = machine.Snapshot();
        EXPECT_NE(first["C/WINDOWS/INF/MSHDC.INF"], Crlf(kMshdcHalfPatched));
        if (newProcess)
            ResetPatchTables();
        RunPatch();
        EXPECT_EQ(machine.Snapshot(), first);
        EXPECT_EQ(boxes.boxes, (std::vector<std::string>{kRestartBox, kRestartBox}));
    }
}

}  // namespace

// A run killed with SIGKILL at any moment leaves every file of the machine
// whole: each INF file holds exactly its old bytes or exactly its new ones,
// registry.reg is the old registry less some whole Intel device records, and
// a later run completes the job. The kills come at every chunk written to a
// temporary file (through the write hook) and at random moments.
#include "inf/patch_tables.h"
#include "platform/host/host.h"
#include "platform/host/regfile.h"
#include "run/patch_run.h"
#include "tests/child/child_run.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>

namespace {

const char kPciKey[] = "HKEY_LOCAL_MACHINE\\Enum\\PCI";
const int kIntelRecords = 12;  // more than one collecting pass holds
const int kRandomKills = 60;

// A machine.inf of about 2 MB in the sections table 2 patches, a few of the
// table's lines already there.
std::string LargeMachineInf()
{
    std::ostringstream text;
    text << "[Version]\nSignature=\"$CHICAGO$\"\nClass=System\n\n";
    const char* headers[] = {"[MS_SYS]", "[PCI_DRV_AddReg]", "[ControlFlags]", "[Strings]"};
    for (int s = 0; s < 4; ++s) {
        text << headers[s] << "\n";
        for (int i = 0; i < 8000; ++i)
            text << "%PCI\\VEN_1000&DEV_" << (s * 8000 + i) << ".DeviceDesc%=NO_DRV,PCI\\VEN_1000&DEV_" << i << "\n";
        if (s == 2)
            text << "ExcludeFromSelect=PCI\\VEN_8086&DEV_7000\n";
        text << "\n";
    }
    return Crlf(text.str());
}

const char kMshdc[] =
    "[Version]\nSignature=\"$CHICAGO$\"\n[INTEL_HDC]\n[ControlFlags]\n\n[Strings]\n";
const char kUsb[] = "[Version]\nClass=USB\n[Intel.Section]\n[Strings]\nUSB=\"USB\"\n";

// Intel records, each with a subkey, between records of other devices.
std::string IntelRegistry()
{
    std::ostringstream blocks;
    for (int i = 0; i < kIntelRecords; ++i) {
        blocks << "[" << kPciKey << "\\VEN_1106&DEV_" << 3000 + i << "]\n\n";
        blocks << "[" << kPciKey << "\\VEN_1106&DEV_" << 3000 + i << "\\BUS_00&DEV_0" << i % 8 << "&FUNC_00]\n";
        for (int v = 0; v < 150; ++v)
            blocks << "\"Value" << v << "\"=\"kept as it stands, with \\\"quotes\\\"\"\n";
        blocks << "\n[" << kPciKey << "\\VEN_8086&DEV_71" << 10 + i << "&SUBSYS_00000000&REV_01]\n\n";
        blocks << "[" << kPciKey << "\\VEN_8086&DEV_71" << 10 + i << "&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_0"
               << i % 4 << "]\n\"Class\"=\"System\"\n\"ConfigFlags\"=hex:00,00,00,00\n\n";
    }
    return Win95Registry(blocks.str());
}

RegFile ParsedRegistry(const std::string& bytes)
{
    RegFile file;
    RegParseError error;
    EXPECT_TRUE(ParseRegFile(bytes, file, error)) << "registry.reg line " << error.line << ": " << error.message;
    return file;
}

// The Intel records under Enum\PCI that `bytes` still holds.
std::set<std::string> IntelRecords(const RegFile& file)
{
    std::set<std::string> names;
    for (const std::string& name : RegSubkeyNames(file, kPciKey)) {
        if (name.compare(0, 8, "VEN_8086") == 0)
            names.insert(name);
    }
    return names;
}

bool IsMachineFile(const std::string& name)
{
    return name == "registry.reg" ||
           (name.size() > 4 && name.compare(name.size() - 4, 4, ".inf") == 0);
}

// The machine's own files, without what a killed rewrite left behind.
std::map<std::string, std::string> MachineFiles(const std::map<std::string, std::string>& snapshot)
{
    std::map<std::string, std::string> files;
    for (const auto& file : snapshot) {
        if (IsMachineFile(file.first))
            files.insert(file);
    }
    return files;
}

std::vector<std::string> Leftovers(const std::map<std::string, std::string>& snapshot)
{
    std::vector<std::string> names;
    for (const auto& file : snapshot) {
        if (!IsMachineFile(file.first))
            names.push_back(file.first);
    }
    return names;
}

struct Scenario {
    const char* what;
    std::map<std::string, std::string> infFiles;
};

// The files a run writes, in the order it writes them.
const char* const g_writeOrder[] = {"C/WINDOWS/INF/mshdc.inf", "C/WINDOWS/INF/machine.inf", "C/WINDOWS/INF/usb.inf"};

class CrashDuringRun : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        ResetPatchTables();
        m_registry = IntelRegistry();
        m_scenario = Scenarios()[GetParam()];

        // What a whole run makes of the machine, and where it writes. A
        // registry that did not read would end the test binary here.
        RegFile registry;
        RegParseError error;
        ASSERT_TRUE(ParseRegFile(m_registry, registry, error)) << error.line << ": " << error.message;
        FixtureMachine machine(m_registry, m_scenario.infFiles);
        m_before = MachineFiles(machine.Snapshot());
        auto offsets = std::make_shared<std::vector<std::pair<int, std::size_t>>>();
        SetWriteHook([offsets](std::size_t at, std::size_t length) {
            if (at == 0)
                offsets->emplace_back(offsets->empty() ? 0 : offsets->back().first + 1, at);
            else
                offsets->emplace_back(offsets->back().first, at);
            return length;
        });
        BoxRecorder boxes;
        auto start = std::chrono::steady_clock::now();
        RunPatch();
        m_runTime = std::chrono::steady_clock::now() - start;
        SetWriteHook(nullptr);
        ResetPatchTables();
        ClearRestartRequest();
        m_after = MachineFiles(machine.Snapshot());
        m_chunks = *offsets;
        ASSERT_TRUE(Leftovers(machine.Snapshot()).empty());
        ASSERT_NE(m_before, m_after);
    }
    void TearDown() override
    {
        SetWriteHook(nullptr);
        ResetPatchTables();
    }

    static std::vector<Scenario> Scenarios()
    {
        return {
            {"usb.inf present", {{"mshdc.inf", Crlf(kMshdc)}, {"machine.inf", LargeMachineInf()}, {"usb.inf", Crlf(kUsb)}}},
            {"usb.inf from the template", {{"mshdc.inf", Crlf(kMshdc)}, {"machine.inf", LargeMachineInf()}}},
        };
    }

    // After a kill: every INF file old or new, later files only new when
    // earlier ones are, registry.reg the old one less whole Intel records
    // and only once the INF files are done; at most one file left behind.
    void CheckKilledMachine(const FixtureMachine& machine)
    {
        std::map<std::string, std::string> snapshot = machine.Snapshot();
        EXPECT_LE(Leftovers(snapshot).size(), 1u);
        std::map<std::string, std::string> files = MachineFiles(snapshot);

        bool earlierNew = true;
        for (const char* name : g_writeOrder) {
            SCOPED_TRACE(name);
            auto now = files.find(name);
            auto old = m_before.find(name);
            auto rewritten = m_after.find(name);
            bool isOld = now == files.end() ? old == m_before.end() : old != m_before.end() && now->second == old->second;
            bool isNew = now != files.end() && rewritten != m_after.end() && now->second == rewritten->second;
            EXPECT_TRUE(isOld || isNew) << "neither the old nor the new bytes";
            if (isNew && !isOld) {
                EXPECT_TRUE(earlierNew) << "rewritten before the file ahead of it";
            }
            earlierNew = earlierNew && isNew;
        }

        // Whatever records went, everything else stands byte for byte.
        RegFile original = ParsedRegistry(m_registry);
        RegFile now = ParsedRegistry(files["registry.reg"]);
        std::set<std::string> before = IntelRecords(original), kept = IntelRecords(now);
        RegFile expected = original;
        for (const std::string& name : before) {
            if (!kept.count(name))
                RegDeleteTree(expected, std::string(kPciKey) + "\\" + name);
        }
        EXPECT_EQ(files["registry.reg"], WriteRegFile(expected));
        if (kept.size() < before.size()) {
            EXPECT_TRUE(earlierNew) << "records deleted before the INF files were done";
        }
        for (const auto& file : files) {
            EXPECT_TRUE(m_before.count(file.first) || m_after.count(file.first)) << file.first;
        }
    }

    // A later run on the killed machine does the whole job.
    void CheckLaterRunCompletes(const FixtureMachine& machine)
    {
        std::vector<std::string> leftBehind = Leftovers(machine.Snapshot());
        ChildEnd end = RunInChild(machine.Root(), [] {
            ResetPatchTables();
            RunPatch();
        });
        EXPECT_TRUE(end.returned) << end;
        EXPECT_TRUE(end.restart) << end;
        std::map<std::string, std::string> snapshot = machine.Snapshot();
        EXPECT_TRUE(MachineFiles(snapshot) == m_after) << "the later run did not complete the patch";
        EXPECT_EQ(Leftovers(snapshot), leftBehind);
    }

    std::string m_registry;
    Scenario m_scenario;
    std::map<std::string, std::string> m_before, m_after;
    std::vector<std::pair<int, std::size_t>> m_chunks;  // replacement, offset of each chunk
    std::chrono::steady_clock::duration m_runTime{};
};

TEST_P(CrashDuringRun, KilledAtEveryChunkWritten)
{
    SCOPED_TRACE(m_scenario.what);
    // Every Intel record is one rewrite of registry.reg after the INF files.
    int replacements = m_chunks.back().first + 1;
    EXPECT_EQ(replacements, 3 + kIntelRecords);
    for (const auto& chunk : m_chunks) {
        SCOPED_TRACE("replacement " + std::to_string(chunk.first) + ", offset " + std::to_string(chunk.second));
        FixtureMachine machine(m_registry, m_scenario.infFiles);
        ChildEnd end = RunInChild(machine.Root(), [&chunk] {
            ResetPatchTables();
            SetWriteHook(KillAtWrite(chunk.first, chunk.second));
            RunPatch();
        });
        ASSERT_TRUE(end.killed) << end;
        CheckKilledMachine(machine);
        CheckLaterRunCompletes(machine);
        if (HasFailure())
            return;
    }
    std::printf("%s: killed at %zu chunk writes of %d replacements\n", m_scenario.what, m_chunks.size(),
                replacements);
}

TEST_P(CrashDuringRun, KilledAtRandomMoments)
{
    SCOPED_TRACE(m_scenario.what);
    // Spread over the run and a little past it; the run's time in a child
    // is about that of the run measured above. The seed shows in a failure.
    std::mt19937 random(20261211u + static_cast<unsigned>(GetParam()));
    long span = std::chrono::duration_cast<std::chrono::microseconds>(m_runTime).count() * 3 / 2 + 1;
    std::uniform_int_distribution<long> delay(0, span);
    std::map<std::string, int> outcomes;
    for (int kill = 0; kill < kRandomKills; ++kill) {
        long after = delay(random);
        SCOPED_TRACE("killed " + std::to_string(after) + " us after the start");
        FixtureMachine machine(m_registry, m_scenario.infFiles);
        ChildEnd end = RunInChild(
            machine.Root(),
            [] {
                ResetPatchTables();
                RunPatch();
            },
            after);
        ASSERT_TRUE(end.killed || end.returned) << end;
        CheckKilledMachine(machine);
        std::map<std::string, std::string> files = MachineFiles(machine.Snapshot());
        ++outcomes[files == m_before ? "nothing done" : files == m_after ? "all done" : "part done"];
        CheckLaterRunCompletes(machine);
        if (HasFailure())
            return;
    }
    std::printf("%s: %d random kills:", m_scenario.what, kRandomKills);
    for (const auto& outcome : outcomes)
        std::printf(" %s %d", outcome.first.c_str(), outcome.second);
    std::printf("\n");
}

INSTANTIATE_TEST_SUITE_P(Machines, CrashDuringRun, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? std::string("UsbInfPresent") : std::string("UsbInfFromTemplate");
                         });

}  // namespace

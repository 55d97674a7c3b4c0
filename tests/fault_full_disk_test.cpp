// A disk that fills up while a run rewrites a file: the file keeps its old
// bytes (or stays absent), no temporary file is left, "File Write Error !"
// is the only box, the run ends with exit code 0 and asks for no restart.
// First through the write hook at chosen bytes of each file the run writes,
// then on a real small tmpfs where this machine lets us mount one.
#include "inf/patch_tables.h"
#include "platform/host/host.h"
#include "run/patch_run.h"
#include "tests/child/child_run.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sstream>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

const char kWriteErrorBox[] = "Error Message: File Write Error !";
const char kRestartBox[] = "Restart: Brennick needs to restart your computer to complete setup.";

const char kMshdc[] = "[Version]\nSignature=\"$CHICAGO$\"\n[INTEL_HDC]\n[ControlFlags]\n\n[Strings]\n";
const char kUsb[] = "[Version]\nClass=USB\n[Intel.Section]\n[Strings]\n";

// An INF file of `lines` filler lines in the sections of `table`.
std::string Inf(int table, int lines)
{
    std::ostringstream text;
    text << "[Version]\nSignature=\"$CHICAGO$\"\n";
    const PatchFile& file = g_patchFiles[table];
    for (int s = 0; s < file.sectionCount; ++s) {
        text << file.sections[s].header << "\n";
        for (int i = 0; i < lines / file.sectionCount; ++i)
            text << "HKLM,System\\CurrentControlSet\\Services\\Class\\Filler,Line" << s << "_" << i << ",,\"x\"\n";
    }
    return Crlf(text.str());
}

std::string TwoIntelRecords()
{
    return Win95Registry(
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000&SUBSYS_00000000&REV_01]\n\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_00]\n"
        "\"Class\"=\"System\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7111&SUBSYS_00000000&REV_01]\n\n");
}

// The files a run writes, in order; the fourth write is the first change
// of registry.reg.
const char* const g_written[] = {"C/WINDOWS/INF/mshdc.inf", "C/WINDOWS/INF/machine.inf",
                                 "C/WINDOWS/INF/usb.inf", "registry.reg"};

struct MachineShape {
    const char* what;
    std::map<std::string, std::string> infFiles;
};

std::vector<MachineShape> Shapes()
{
    // machine.inf spans several write chunks.
    std::string machine = Inf(2, 2400);
    return {
        {"usb.inf present", {{"mshdc.inf", Crlf(kMshdc)}, {"machine.inf", machine}, {"usb.inf", Crlf(kUsb)}}},
        {"usb.inf from the template", {{"mshdc.inf", Crlf(kMshdc)}, {"machine.inf", machine}}},
    };
}

// Sizes of the replacements of a whole run, in order, and the machine after it.
struct Reference {
    std::vector<std::size_t> sizes;
    std::map<std::string, std::string> after;
};

Reference RunWhole(const FixtureMachine& machine)
{
    Reference reference;
    auto sizes = std::make_shared<std::vector<std::size_t>>();
    SetWriteHook([sizes](std::size_t at, std::size_t length) {
        if (at == 0)
            sizes->push_back(0);
        sizes->back() = at + length;
        return length;
    });
    {
        BoxRecorder boxes;
        ResetPatchTables();
        RunPatch();
        ResetPatchTables();
        ClearRestartRequest();
    }
    SetWriteHook(nullptr);
    reference.sizes = *sizes;
    reference.after = machine.Snapshot();
    return reference;
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override { ResetPatchTables(); }
    void TearDown() override
    {
        SetWriteHook(nullptr);
        ResetPatchTables();
    }
};

TEST_F(FullDisk, WriteFailingAtChosenBytesLeavesTheFileAsItWas)
{
    int cases = 0;
    for (const MachineShape& shape : Shapes()) {
        SCOPED_TRACE(shape.what);
        Reference reference;
        std::map<std::string, std::string> before;
        {
            FixtureMachine machine(TwoIntelRecords(), shape.infFiles);
            before = machine.Snapshot();
            reference = RunWhole(machine);
        }
        ASSERT_GE(reference.sizes.size(), 4u);
        ASSERT_GT(reference.sizes[1], 2 * 65536u) << "machine.inf should span several chunks";

        for (int file = 0; file < 3; ++file) {
            std::size_t size = reference.sizes[file];
            for (std::size_t at : {std::size_t(0), std::size_t(1), size / 2, size - 1, std::size_t(65536),
                                   std::size_t(65537)}) {
                if (at >= size)
                    continue;
                SCOPED_TRACE(std::string(g_written[file]) + " failing after " + std::to_string(at) + " of " +
                             std::to_string(size) + " bytes");
                FixtureMachine machine(TwoIntelRecords(), shape.infFiles);
                ChildEnd end = RunInChild(machine.Root(), [file, at] {
                    ResetPatchTables();
                    SetWriteHook(FailAtWrite(file, at));
                    RunPatch();
                });
                EXPECT_EQ(end.exitCode, 0) << end;
                EXPECT_EQ(end.boxes, std::vector<std::string>{kWriteErrorBox});
                EXPECT_FALSE(end.restart);

                // Files ahead of the failing one are done, it and the rest
                // (registry.reg included) are as they were; nothing else.
                std::map<std::string, std::string> expected = before;
                for (int done = 0; done < file; ++done)
                    expected[g_written[done]] = reference.after.at(g_written[done]);
                EXPECT_TRUE(machine.Snapshot() == expected) << "the machine is not as it should be";
                ++cases;
            }
        }
    }
    std::printf("%d write failures through the seam\n", cases);
}

// Failing calls on the way to the restart are passed over: a registry.reg
// that cannot be rewritten keeps every record, and the run goes on.
TEST_F(FullDisk, RegistryThatCannotBeRewrittenStaysWhole)
{
    FixtureMachine machine(TwoIntelRecords(), Shapes()[0].infFiles);
    std::string registry = ReadBytes(machine.Registry());
    Reference reference = RunWhole(machine);
    FixtureMachine again(TwoIntelRecords(), Shapes()[0].infFiles);
    ChildEnd end = RunInChild(again.Root(), [] {
        ResetPatchTables();
        auto hook = std::make_shared<int>(0);
        SetWriteHook([hook](std::size_t at, std::size_t length) -> std::size_t {
            if (at == 0)
                ++*hook;
            return *hook > 3 ? length / 2 : length;  // every registry write
        });
        RunPatch();
    });
    EXPECT_TRUE(end.returned) << end;
    EXPECT_EQ(end.boxes, std::vector<std::string>{kRestartBox});
    EXPECT_TRUE(end.restart);
    std::map<std::string, std::string> expected = reference.after;
    expected["registry.reg"] = registry;
    EXPECT_TRUE(again.Snapshot() == expected);
}

// A real small filesystem mounted on the INF folder, filled up to a few
// free pages: the kernel's own ENOSPC, not our hook.
class SmallFilesystem {
public:
    explicit SmallFilesystem(const std::string& folder) : m_folder(folder)
    {
        if (geteuid() != 0) {
            m_refusal = "not root";
            return;
        }
        if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=4m,mode=0755") != 0) {
            m_refusal = std::strerror(errno);
            return;
        }
        m_mounted = true;
    }
    ~SmallFilesystem()
    {
        if (m_mounted)
            umount2(m_folder.c_str(), MNT_DETACH);
    }
    SmallFilesystem(const SmallFilesystem&) = delete;
    SmallFilesystem& operator=(const SmallFilesystem&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Refusal() const { return m_refusal; }

    // Fills the filesystem with one file until exactly `pages` pages stay free.
    bool LeaveFree(unsigned long pages)
    {
        std::string filler = m_folder + "/filler.bin";
        int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        std::string page(4096, 'x');
        off_t size = 0;
        while (write(fd, page.data(), page.size()) == static_cast<ssize_t>(page.size()))
            size += static_cast<off_t>(page.size());
        bool ok = false;
        while (size >= 0 && ftruncate(fd, size) == 0) {
            struct statvfs info;
            if (fstatvfs(fd, &info) != 0 || info.f_frsize != 4096)
                break;
            if (info.f_bavail >= pages) {
                ok = info.f_bavail == pages;
                break;
            }
            size -= 4096;
        }
        close(fd);
        return ok;
    }

private:
    std::string m_folder;
    bool m_mounted = false;
    std::string m_refusal;
};

TEST_F(FullDisk, RealFullFilesystemLeavesTheFileAsItWas)
{
    // One file large enough to need more than the single free page; the
    // ones written before it fit in a page, which their own rename frees
    // again.
    std::string large = Inf(2, 1200);
    struct Case {
        const char* what;
        int failing;  // index into g_written
        std::map<std::string, std::string> infFiles;
    } cases[] = {
        {"mshdc.inf", 0, {{"mshdc.inf", Inf(0, 600)}, {"machine.inf", Crlf(kMshdc)}, {"usb.inf", Crlf(kUsb)}}},
        {"machine.inf", 1, {{"mshdc.inf", Crlf(kMshdc)}, {"machine.inf", large}, {"usb.inf", Crlf(kUsb)}}},
        {"usb.inf", 2, {{"mshdc.inf", Crlf(kMshdc)}, {"machine.inf", Crlf(kMshdc)}, {"usb.inf", Inf(3, 1200)}}},
        {"usb.inf from the template", 2, {{"mshdc.inf", Crlf(kMshdc)}, {"machine.inf", Crlf(kMshdc)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FixtureMachine machine(TwoIntelRecords(), {});
        SmallFilesystem disk(machine.Inf());
        if (!disk.Mounted())
            GTEST_SKIP() << "a tmpfs cannot be mounted here (" << disk.Refusal()
                         << "): the real full-disk cases are skipped; the write hook cases still ran";
        for (const auto& file : c.infFiles)
            WriteBytes(machine.InfFile(file.first), file.second);
        ASSERT_TRUE(disk.LeaveFree(1)) << "could not fill the filesystem to one free page";
        std::map<std::string, std::string> before = machine.Snapshot();

        ScratchDir logs;
        ChildEnd end = RunInChild(logs.path(), [] {
            ResetPatchTables();
            RunPatch();
        });
        EXPECT_EQ(end.exitCode, 0) << end;
        EXPECT_EQ(end.boxes, std::vector<std::string>{kWriteErrorBox});
        EXPECT_FALSE(end.restart);
        std::map<std::string, std::string> after = machine.Snapshot();
        for (int file = 0; file < c.failing; ++file) {
            EXPECT_NE(after[g_written[file]], before[g_written[file]]) << g_written[file] << " was not patched";
        }
        for (int file = c.failing; file < 4; ++file) {
            SCOPED_TRACE(g_written[file]);
            EXPECT_EQ(after.count(g_written[file]), before.count(g_written[file]));
            if (before.count(g_written[file])) {
                EXPECT_TRUE(after[g_written[file]] == before[g_written[file]]) << "changed";
            }
        }
        EXPECT_EQ(after.size(), before.size()) << "a temporary file was left behind";
    }
}

}  // namespace

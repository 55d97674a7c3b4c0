// The engine: which lines count as present, where missing lines go, and
// that no existing byte of a file is ever lost or changed.
#include "inf/inf_engine.h"
#include "inf/patch_tables.h"
#include "platform/host/host.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const int kMshdc = 0;
const int kMachineA = 1;
const int kMachineB = 2;
const int kUsb = 3;

class InfEngine : public ::testing::Test {
protected:
    void SetUp() override { ResetPatchTables(); }
    void TearDown() override
    {
        SetWriteHook(nullptr);
        SetReadHook(nullptr);
        ResetPatchTables();
    }

    // Writes `bytes` as a file, patches it with `table`, returns the result.
    std::string Patch(const std::string& bytes, int table)
    {
        WriteBytes(m_file, bytes);
        PatchWithTable(m_file, table);
        return ReadBytes(m_file);
    }

    ScratchDir m_dir;
    std::string m_file = m_dir / "test.inf";
};

// The lines of a rewritten file that were not in the original, checking on
// the way that every original line is still there, unchanged and in order.
std::vector<std::string> AddedLines(const std::string& before, const std::string& after)
{
    auto split = [](const std::string& text) {
        std::vector<std::string> lines;
        std::string::size_type start = 0, end;
        while ((end = text.find("\r\n", start)) != std::string::npos) {
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        if (start < text.size())
            lines.push_back(text.substr(start));
        return lines;
    };
    std::vector<std::string> old = split(before), now = split(after), added;
    std::size_t o = 0;
    for (const std::string& line : now) {
        if (o < old.size() && line == old[o])
            ++o;
        else
            added.push_back(line);
    }
    EXPECT_EQ(o, old.size()) << "an original line was lost or changed";
    return added;
}

const char kExampleMshdc[] =
    "[Version]\n"
    "Signature=\"$CHICAGO$\"\n"
    "[INTEL_HDC]\n"
    "%PCI\\VEN_1234&DEV_0001.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_1234&DEV_0001\n"
    "[ControlFlags]\n"
    "CopyFilesOnly=PCI\\VEN_1234&DEV_0001\n"
    "\n"
    "[Strings]\n"
    "PCI\\VEN_1234&DEV_0001.DeviceDesc=\"Example IDE Controller\"\n";

TEST_F(InfEngine, AddsMissingLinesAtTheEndOfTheirSections)
{
    EXPECT_EQ(Patch(Crlf(kExampleMshdc), kMshdc),
              Crlf("[Version]\n"
                   "Signature=\"$CHICAGO$\"\n"
                   "[INTEL_HDC]\n"
                   "%PCI\\VEN_1234&DEV_0001.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_1234&DEV_0001\n"
                   "%PCI\\VEN_8086&DEV_7010.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_8086&DEV_7010\n"
                   "%PCI\\VEN_8086&DEV_7111.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_8086&DEV_7111\n"
                   "[ControlFlags]\n"
                   "CopyFilesOnly=PCI\\VEN_1234&DEV_0001\n"
                   "\n"
                   "CopyFilesOnly=PCI\\VEN_8086&DEV_7010\n"
                   "CopyFilesOnly=PCI\\VEN_8086&DEV_7111\n"
                   "[Strings]\n"
                   "PCI\\VEN_1234&DEV_0001.DeviceDesc=\"Example IDE Controller\"\n"
                   "PCI\\VEN_8086&DEV_7010.DeviceDesc=\"Intel 82371SB PCI Bus Master IDE Controller\"\n"
                   "PCI\\VEN_8086&DEV_7111.DeviceDesc=\"Intel 82371AB/EB PCI Bus Master IDE Controller\"\n"));
}

TEST(InfLines, NormalisationAndHeaders)
{
    char line[] = "  Copy Files = \"a  b\" c ";
    CompressLine(line);
    EXPECT_STREQ(line, "CopyFiles=\"a  b\" c ");

    struct Case { const char* line; bool header; } cases[] = {
        {"[Strings]", true},     {" [ Strings ] ", true}, {"[]", true},
        {"[Strings] ; note", false}, {"[", false},        {"", false},
        {"\t[Strings]", false},  {"[Strings]\t", false},  {"x[Strings]", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(IsSectionHeader(c.line), c.header);
    }

    // A zero byte is part of the line: it neither ends nor matches the text.
    EXPECT_TRUE(IsSectionHeader(std::string_view("[Strings]\0]", 11)));
    EXPECT_FALSE(LinesEqual("[Strings]", std::string_view("[Strings]\0]", 11)));
    EXPECT_FALSE(LinesEqual("[Strings]", std::string_view("[Strings]\0", 10)));
    EXPECT_FALSE(LinesEqual("[Str", std::string_view("[Str\0ings]", 10)));
}

// Each case puts one line into a file that otherwise holds all of table 0
// but one item, and says whether that line counts as the missing item.
TEST_F(InfEngine, MatchingRules)
{
    const std::string install10 = "%PCI\\VEN_8086&DEV_7010.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_8086&DEV_7010";
    const std::string install11 = "%PCI\\VEN_8086&DEV_7111.DeviceDesc%=DUAL_GOOD_IDE,,PCI\\VEN_8086&DEV_7111";
    const std::string copy10 = "CopyFilesOnly=PCI\\VEN_8086&DEV_7010";
    const std::string copy11 = "CopyFilesOnly=PCI\\VEN_8086&DEV_7111";
    const std::string desc10 = "PCI\\VEN_8086&DEV_7010.DeviceDesc=\"Intel 82371SB PCI Bus Master IDE Controller\"";
    const std::string desc11 = "PCI\\VEN_8086&DEV_7111.DeviceDesc=\"Intel 82371AB/EB PCI Bus Master IDE Controller\"";

    struct Case {
        const char* what;
        std::string controlFlags;  // the header and first line of the middle section
        std::string stringsLine;   // the first line of [Strings]
        std::vector<std::string> added;
    } cases[] = {
        {"exact lines", "[ControlFlags]\n" + copy10, desc10, {}},
        {"blanks around =", "[ControlFlags]\nCopyFilesOnly = PCI\\VEN_8086&DEV_7010", desc10, {}},
        {"blanks ahead and behind", "[ControlFlags]\n  CopyFilesOnly=PCI\\VEN_8086&DEV_7010  ", desc10, {}},
        {"tab instead of blank", "[ControlFlags]\nCopyFilesOnly\t=PCI\\VEN_8086&DEV_7010", desc10, {copy10}},
        {"letter case", "[ControlFlags]\ncopyfilesonly=pci\\ven_8086&dev_7010", desc10, {copy10}},
        {"blanks ahead of a quote", "[ControlFlags]\n" + copy10,
         "PCI\\VEN_8086&DEV_7010.DeviceDesc = \"Intel 82371SB PCI Bus Master IDE Controller\"", {}},
        {"doubled blank inside quotes", "[ControlFlags]\n" + copy10,
         "PCI\\VEN_8086&DEV_7010.DeviceDesc=\"Intel  82371SB PCI Bus Master IDE Controller\"", {desc10}},
        {"blanks inside and around the brackets", " [ Control Flags ] \n" + copy10, desc10, {}},
        {"header in other letter case", "[controlflags]\n" + copy10, desc10,
         {"[ControlFlags]", copy10, copy11}},
        {"header followed by a comment", "[ControlFlags] ; flags\n" + copy10, desc10,
         {"[ControlFlags]", copy10, copy11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetPatchTables();
        std::string before = Crlf("[INTEL_HDC]\n" + install10 + "\n" + install11 + "\n" +
                                  c.controlFlags + "\n" + copy11 + "\n[Strings]\n" +
                                  c.stringsLine + "\n" + desc11 + "\n");
        EXPECT_EQ(AddedLines(before, Patch(before, kMshdc)), c.added);
    }
}

TEST_F(InfEngine, EmptyHeaderEndsTheSectionAhead)
{
    std::string before = Crlf(
        "[Intel.Section]\n"
        "[]\n"
        "%PCI\\VEN_8086&DEV_7020.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7020\n"
        "[Strings]\n");
    EXPECT_EQ(Patch(before, kUsb),
              Crlf("[Intel.Section]\n"
                   "%PCI\\VEN_8086&DEV_7020.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7020\n"
                   "%PCI\\VEN_8086&DEV_7112.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7112\n"
                   "[]\n"
                   "%PCI\\VEN_8086&DEV_7020.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7020\n"
                   "[Strings]\n"
                   "PCI\\VEN_8086&DEV_7020.DeviceDesc=\"Intel 82371SB PCI to USB Universal Host Controller\"\n"
                   "PCI\\VEN_8086&DEV_7112.DeviceDesc=\"Intel 82371AB/EB PCI to USB Universal Host Controller\"\n"));
}

// Table 3 in short: its two sections and what the patch adds to each.
const std::string kUsbInstalls =
    "%PCI\\VEN_8086&DEV_7020.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7020\n"
    "%PCI\\VEN_8086&DEV_7112.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7112\n";
const std::string kUsbDescs =
    "PCI\\VEN_8086&DEV_7020.DeviceDesc=\"Intel 82371SB PCI to USB Universal Host Controller\"\n"
    "PCI\\VEN_8086&DEV_7112.DeviceDesc=\"Intel 82371AB/EB PCI to USB Universal Host Controller\"\n";

TEST_F(InfEngine, FileShapes)
{
    struct Case {
        const char* what;
        std::string before;
        std::string after;
    } cases[] = {
        {"no line feed at the end", "[Intel.Section]\r\n[Strings]\r\nA=\"a\"",
         Crlf("[Intel.Section]\n" + kUsbInstalls + "[Strings]\nA=\"a\"\n" + kUsbDescs)},
        {"Ctrl-Z at the end", "[Intel.Section]\r\n[Strings]\r\n\x1a",
         Crlf("[Intel.Section]\n" + kUsbInstalls + "[Strings]\n" + kUsbDescs)},
        {"Ctrl-Z in the middle ends the text", "[Intel.Section]\r\n[Strings]\r\n\x1a" "B=\"b\"\r\n",
         Crlf("[Intel.Section]\n" + kUsbInstalls + "[Strings]\n" + kUsbDescs)},
        {"lone carriage returns stay in their lines", "[Intel.Section]\r\nA=1\rB=2\r\r\n[Strings]\r\nC=3\r",
         Crlf("[Intel.Section]\nA=1\rB=2\r\n" + kUsbInstalls + "[Strings]\nC=3\r\n" + kUsbDescs)},
        {"line feeds without carriage return", "[Intel.Section]\nA=1\n[Strings]\n",
         Crlf("[Intel.Section]\nA=1\n" + kUsbInstalls + "[Strings]\n" + kUsbDescs)},
        {"empty file", "", Crlf("[Intel.Section]\n" + kUsbInstalls + "[Strings]\n" + kUsbDescs)},
        {"no headers", "; just a comment\r\nA=1\r\n",
         Crlf("; just a comment\nA=1\n[Intel.Section]\n" + kUsbInstalls + "[Strings]\n" + kUsbDescs)},
        {"empty sections in the middle and at the end", "[Version]\r\n[Intel.Section]\r\n[Other]\r\nX\r\n[Strings]",
         Crlf("[Version]\n[Intel.Section]\n" + kUsbInstalls + "[Other]\nX\n[Strings]\n" + kUsbDescs)},
        {"duplicate headers: all searched, insertion after the last",
         Crlf("[Intel.Section]\n"
              "%PCI\\VEN_8086&DEV_7112.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7112\n"
              "[Strings]\nA=\"a\"\n[Intel.Section]\nB\n[Strings]\nC=\"c\"\n"),
         Crlf("[Intel.Section]\n"
              "%PCI\\VEN_8086&DEV_7112.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7112\n"
              "[Strings]\nA=\"a\"\n[Intel.Section]\nB\n"
              "%PCI\\VEN_8086&DEV_7020.DeviceDesc%=UniversalHCD.Dev,PCI\\VEN_8086&DEV_7020\n"
              "[Strings]\nC=\"c\"\n" + kUsbDescs)},
        {"sections in another order than the table's", Crlf("[Strings]\nA=\"a\"\n[Intel.Section]\nB\n[Tail]\n"),
         Crlf("[Strings]\nA=\"a\"\n" + kUsbDescs + "[Intel.Section]\nB\n" + kUsbInstalls + "[Tail]\n")},
        {"a missing section is added at the end", Crlf("[Intel.Section]\n[Tail]\nT\n"),
         Crlf("[Intel.Section]\n" + kUsbInstalls + "[Tail]\nT\n[Strings]\n" + kUsbDescs)},
        {"a missing first section is not put ahead of the first line", Crlf("; head\n[Strings]\n"),
         Crlf("; head\n[Strings]\n" + kUsbDescs + "[Intel.Section]\n" + kUsbInstalls)},
        {"a zero byte inside a line is kept", std::string("[Intel.Section]\r\nA") + '\0' + "B\r\n[Strings]\r\n",
         std::string("[Intel.Section]\r\nA") + '\0' + "B\r\n" + Crlf(kUsbInstalls + "[Strings]\n" + kUsbDescs)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetPatchTables();
        EXPECT_EQ(Patch(c.before, kUsb), c.after);
    }
}

TEST_F(InfEngine, NoCapacityLimits)
{
    // Far beyond 4999 lines, 1999 headers and 255 characters a line.
    std::string before = "[Intel.Section]\r\n" + std::string(1 << 20, 'x') + "\r\n";
    for (int i = 0; i < 3000; ++i)
        before += "[S" + std::to_string(i) + "]\r\nA" + std::to_string(i) + "=1\r\n";
    before += "[Strings]\r\nZ=\"z\"\r\n";
    std::string after = Patch(before, kUsb);
    EXPECT_EQ(after, before.substr(0, 17 + (1 << 20) + 2) + Crlf(kUsbInstalls) +
                         before.substr(17 + (1 << 20) + 2) + Crlf(kUsbDescs));
}

// Applying any table twice gives the bytes of applying it once, and every
// original line survives in order, for files of many shapes.
TEST_F(InfEngine, EveryTableIsIdempotentAndKeepsEveryLine)
{
    const std::string samples[] = {
        Crlf(kExampleMshdc),
        "",
        Crlf("[Strings]\nA=\"a\"\n[ControlFlags]\n[MS_SYS]\nX=1\n[PCI_DRV_AddReg]\n"),
        Crlf("[MS_SYS]\n[Intel.Section]\n[INTEL_HDC]\n[PCI_DRV_AddReg]\nHKLM,x\n[ControlFlags]\n\n[Strings]\n"),
        Crlf("[Strings]\n[Strings]\n[ControlFlags]\n; end\n"),
        "no headers\rat all\x1a",
    };
    for (int table = 0; table < kPatchFileCount; ++table) {
        for (const std::string& sample : samples) {
            SCOPED_TRACE("table " + std::to_string(table) + " on: " + sample);
            ResetPatchTables();
            std::string once = Patch(sample, table);
            std::vector<std::string> added = AddedLines(sample.substr(0, sample.find('\x1a')), once);
            int items = 0;
            for (int s = 0; s < g_patchFiles[table].sectionCount; ++s)
                items += g_patchFiles[table].sections[s].itemCount;
            EXPECT_LE(added.size(), static_cast<std::size_t>(items + g_patchFiles[table].sectionCount));
            ResetPatchTables();
            EXPECT_EQ(Patch(once, table), once);
        }
    }
}

TEST_F(InfEngine, TablesAsListed)
{
    const int sections[] = {3, 4, 4, 2};
    const int items[] = {6, 25, 41, 4};
    const char* names[] = {"MSHDC.INF", "MACHINE.INF", "MACHINE.INF", "USB.INF"};
    for (int t = 0; t < kPatchFileCount; ++t) {
        SCOPED_TRACE(t);
        const PatchFile& file = g_patchFiles[t];
        EXPECT_STREQ(file.name, names[t]);
        EXPECT_EQ(file.sectionCount, sections[t]);
        int count = 0;
        for (int s = 0; s < file.sectionCount; ++s) {
            const PatchSection& section = file.sections[s];
            EXPECT_TRUE(IsSectionHeader(section.header));
            for (int i = 0; i < section.itemCount; ++i) {
                const PatchItem& item = section.items[i];
                EXPECT_EQ(item.pending, 1);
                EXPECT_EQ(item.insertAt, 0);
                // Stored normalised: the text compares equal to itself.
                EXPECT_TRUE(LinesEqual(item.text, item.text)) << item.text;
                EXPECT_EQ(NextInsertLine(count, t), 0);
                ++count;
            }
        }
        EXPECT_EQ(count, items[t]);
        EXPECT_EQ(NextInsertLine(count, t), -1);
    }
}

// What a failed access does: the box, the end of the process with code 0,
// and the original file exactly as it was.
TEST_F(InfEngine, FailuresLeaveTheFileAsItWas)
{
    const std::string original = Crlf(kExampleMshdc);
    struct Case {
        const char* what;
        std::function<void(const std::string& file)> arrange;
        const char* box;
    } cases[] = {
        {"missing file", [](const std::string& file) { unlink(file.c_str()); }, "File Open Error !"},
        {"a folder, not a file", [](const std::string& file) { unlink(file.c_str()); mkdir(file.c_str(), 0755); },
         "File Open Error !"},
        {"read error part-way", [](const std::string&) { SetReadHook([](std::size_t offset) { return offset == 0; }); },
         "File Open Error !"},
        {"read-only target", [](const std::string& file) { chmod(file.c_str(), 0444); }, "File Open Error !"},
        {"write fails half-way",
         [&](const std::string&) {
             SetWriteHook([&](std::size_t offset, std::size_t length) {
                 std::size_t half = original.size() / 2;
                 return offset + length <= half ? length : half - offset;
             });
         },
         "File Write Error !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        std::string file = dir / "mshdc.inf";
        WriteBytes(file, original);
        c.arrange(file);
        BoxRecorder boxes(true);
        EXPECT_EXIT(PatchWithTable(file, kMshdc), ::testing::ExitedWithCode(0),
                    std::string("^Error Message: ") + c.box + "\n$");
        SetReadHook(nullptr);
        SetWriteHook(nullptr);
        chmod(file.c_str(), 0644);
        struct stat info;
        if (stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            EXPECT_EQ(ReadBytes(file), original);
        }
        EXPECT_EQ(ListFolder(dir.path()).size(), Exists(file) ? 1u : 0u) << "a temporary file was left behind";
    }
}

}  // namespace

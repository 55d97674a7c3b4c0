#include "platform/host/regfile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

RegFile ParseOk(const std::string& text) {
    RegFile file;
    RegParseError error{};
    EXPECT_TRUE(ParseRegFile(text, file, error)) << "line " << error.line << ": " << error.message;
    return file;
}

// A file with one key whose block holds `lines`.
std::string OneKey(const std::string& lines) {
    return "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n" + lines + "\n";
}

// What a reader sees: paths, bytes and values, not where blocks started.
void ExpectSameModel(const RegFile& a, const RegFile& b) {
    EXPECT_EQ(a.preamble, b.preamble);
    ASSERT_EQ(a.blocks.size(), b.blocks.size());
    for (size_t i = 0; i < a.blocks.size(); ++i) {
        const RegKeyBlock& x = a.blocks[i];
        const RegKeyBlock& y = b.blocks[i];
        EXPECT_EQ(x.path, y.path);
        EXPECT_EQ(x.text, y.text);
        ASSERT_EQ(x.values.size(), y.values.size());
        for (size_t v = 0; v < x.values.size(); ++v) {
            EXPECT_EQ(x.values[v].name, y.values[v].name);
            EXPECT_EQ(x.values[v].type, y.values[v].type);
            EXPECT_EQ(x.values[v].data, y.values[v].data);
        }
    }
}

TEST(RegFile, WritesBackWhatItRead) {
    const std::string cases[] = {
        "REGEDIT4",
        "REGEDIT4\n",
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\"\r\n\r\n",
        "REGEDIT4\n; leading comment\n\n\n[HKEY_USERS\\.Default]\n@=\"d\"\n; inside\n\n"
        "[HKEY_CURRENT_USER\\B]\n   \t\n\"y\"=dword:00000001",
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\n\"m\"=hex(7):41,00,\\\r\n  42,00,\\\n\t00,00\r\n",
        "REGEDIT4\n\n[HKEY_DYN_DATA\\A]\n\"x\"=\"1\"\r",
        "REGEDIT4\n\n[hkey_classes_root\\x\\y]\n[HKEY_CURRENT_CONFIG]\n[HKEY_LOCAL_MACHINE\\A] \t\n",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        RegFile file = ParseOk(text);
        EXPECT_EQ(WriteRegFile(file), text);
    }
}

TEST(RegFile, BlockBytesAndLines) {
    RegFile file = ParseOk("REGEDIT4\r\n; c\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\"\r\n\r\n"
                           "[HKEY_LOCAL_MACHINE\\B]\n\n");
    EXPECT_EQ(file.preamble, "REGEDIT4\r\n; c\r\n\r\n");
    ASSERT_EQ(file.blocks.size(), 2u);
    EXPECT_EQ(file.blocks[0].text, "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\"\r\n\r\n");
    EXPECT_EQ(file.blocks[0].line, 4);
    EXPECT_EQ(file.blocks[1].text, "[HKEY_LOCAL_MACHINE\\B]\n\n");
    EXPECT_EQ(file.blocks[1].line, 7);
}

TEST(RegFile, ParsesEachValueKind) {
    struct Case {
        std::string line;
        std::string name;
        uint32_t type;
        std::string data;
    };
    const Case cases[] = {
        {"\"Name\"=\"text\"", "Name", 1, "text"},
        {"@=\"default\"", "", 1, "default"},
        {"\"e\"=\"\"", "e", 1, ""},
        {"\"q\\\"n\\\\\"=\"a\\\\b\\\"c\"", "q\"n\\", 1, "a\\b\"c"},
        {"\"a=b\"=\"[c]; d=\"", "a=b", 1, "[c]; d="},
        {"\"\xe9t\xe9\"=\"\xfc\x80\"", "\xe9t\xe9", 1, "\xfc\x80"},
        {"\"d\"=dword:0000abcd", "d", 4, std::string("\xcd\xab\0\0", 4)},
        {"\"D\"=dword:FFFFFFFE  ", "D", 4, "\xfe\xff\xff\xff"},
        {"@=dword:12345678", "", 4, "\x78\x56\x34\x12"},
        {"\"b\"=hex:00,ff,7A", "b", 3, std::string("\0\xff\x7a", 3)},
        {"\"b\"=hex:", "b", 3, ""},
        {"\"m\"=hex(7):41,00,00", "m", 7, std::string("A\0\0", 3)},
        {"\"z\"=hex(0):01", "z", 0, "\x01"},
        {"\"t\"=hex(FFFFFFFF):01", "t", 0xffffffffu, "\x01"},
        {"\"c\"=hex:01,02,\\\n  03,\\\r\n\t04", "c", 3, "\x01\x02\x03\x04"},
        {"\"s\"=hex:\\\n  05", "s", 3, "\x05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        RegFile file = ParseOk(OneKey(c.line));
        ASSERT_EQ(file.blocks.size(), 1u);
        ASSERT_EQ(file.blocks[0].values.size(), 1u);
        const RegValue& value = file.blocks[0].values[0];
        EXPECT_EQ(value.name, c.name);
        EXPECT_EQ(value.type, c.type);
        EXPECT_EQ(value.data, c.data);
    }
}

TEST(RegFile, RefusesMalformedInput) {
    struct Case {
        std::string text;
        int line;
    };
    const std::string key = "[HKEY_LOCAL_MACHINE\\K]\n";
    const std::string nul(1, '\0');
    const Case cases[] = {
        {"", 1},
        {"REGEDIT5\n", 1},
        {"REGEDIT4 \n", 1},
        {"regedit4\n", 1},
        {"\xef\xbb\xbfREGEDIT4\n", 1},
        {"\nREGEDIT4\n", 1},
        {"REGEDIT4\n\n\"a\"=\"b\"\n" + key, 3},
        {"REGEDIT4\n" + key + "\"a\"\"b\"\n", 3},
        {"REGEDIT4\n" + key + "\"a\"\n", 3},
        {"REGEDIT4\n" + key + "\"a\" = \"b\"\n", 3},
        {"REGEDIT4\n" + key + "\"a=\"b\"\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=\"b\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=\"b\\\"\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=\"b\\n\"\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=\"b\"c\n", 3},
        {"REGEDIT4\n" + key + "\"\"=\"b\"\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=str:b\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=-\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=dword:1234567\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=dword:123456789\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=dword:1234567g\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:1\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:123\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:gg\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:aa,,bb\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:aa,\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:aa bb\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:aa\\\n bb\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex():aa\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex(g):aa\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex(7:aa\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex(7)aa\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex(100000000):aa\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:aa,\\", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:aa,\\\n\n", 4},
        {"REGEDIT4\n" + key + "\"a\"=hex:aa,\\\n" + key, 4},
        {"REGEDIT4\r\n\r\n\r\n[-HKEY_LOCAL_MACHINE\\K]\r\n", 4},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\n", 2},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]x\n", 2},
        {"REGEDIT4\n[HKLM\\K]\n", 2},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINEX\\K]\n", 2},
        {"REGEDIT4\n[]\n", 2},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\K]\n", 2},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\\]\n", 2},
        {"REGEDIT4\n [HKEY_LOCAL_MACHINE\\K]\n", 2},
        {"REGEDIT4\n" + key + "junk\n", 3},
        {"REGEDIT4\n" + key + " \"a\"=\"b\"\n", 3},
        {"REGEDIT4\n" + key + "\n; a" + nul + "b\n", 4},
        {"REGEDIT4\n" + key + "\"a\"=\"b" + nul + "\"\n", 3},
        {"REGEDIT4\n" + key + "\"a\"=hex:01,\\\n 02" + nul + "\n", 4},
        {"REGEDIT4\n" + key + "\"a\"=\"b\"\r\r\n", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RegFile file;
        file.preamble = "untouched";
        RegParseError error{};
        EXPECT_FALSE(ParseRegFile(c.text, file, error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_FALSE(error.message.empty());
        EXPECT_EQ(file.preamble, "untouched");
    }
}

const char kLookupFile[] =
    "REGEDIT4\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000\\BUS_00]\n"
    "[HKEY_LOCAL_MACHINE\\Enum]\n"
    "\"Name\"=\"first\"\n"
    "\"NAME\"=\"second\"\n"
    "\"\xc9\"=\"upper e-acute\"\n"
    "[HKEY_LOCAL_MACHINE\\enum\\Root]\n"
    "[HKEY_LOCAL_MACHINE\\ENUM\\pci\\VEN_1106&DEV_0586]\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\ven_8086&dev_7000\\BUS_01]\n"
    "[HKEY_CURRENT_USER\\Enum\\Other]\n"
    "[HKEY_LOCAL_MACHINE\\Enum]\n"
    "@=\"default\"\n"
    "\"name\"=\"third\"\n";

TEST(RegFile, LooksUpKeysAndValuesIgnoringCase) {
    RegFile file = ParseOk(kLookupFile);
    const RegValue* value = RegFindValue(file, "hkey_local_machine\\ENUM", "nAmE");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->name, "name");
    EXPECT_EQ(value->data, "third");

    value = RegFindValue(file, "HKEY_LOCAL_MACHINE\\Enum", "");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->data, "default");

    // Case folding stops at ASCII.
    EXPECT_NE(RegFindValue(file, "HKEY_LOCAL_MACHINE\\Enum", "\xc9"), nullptr);
    EXPECT_EQ(RegFindValue(file, "HKEY_LOCAL_MACHINE\\Enum", "\xe9"), nullptr);

    EXPECT_EQ(RegFindValue(file, "HKEY_LOCAL_MACHINE\\Enum", "Nam"), nullptr);
    EXPECT_EQ(RegFindValue(file, "HKEY_LOCAL_MACHINE\\Enum\\PCI", "Name"), nullptr);
    EXPECT_EQ(RegFindValue(file, "HKEY_CURRENT_USER\\Enum", "Name"), nullptr);
}

TEST(RegFile, KnowsImpliedKeys) {
    RegFile file = ParseOk(kLookupFile);
    struct Case {
        const char* path;
        bool exists;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE", true},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI", true},
        {"hkey_local_machine\\enum\\pci\\VEN_8086&DEV_7000", true},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086", false},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000\\BUS", false},
        {"HKEY_LOCAL_MACHINE\\Enum\\", false},
        {"HKEY_LOCAL_MACHINE\\Enum\\Root\\X", false},
        {"HKEY_CURRENT_USER\\Enum\\PCI", false},
        {"HKEY_USERS", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(RegKeyExists(file, c.path), c.exists);
    }
}

TEST(RegFile, ListsSubkeysInFirstAppearanceOrder) {
    RegFile file = ParseOk(kLookupFile);
    struct Case {
        const char* path;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE", {"Enum"}},
        {"HKEY_LOCAL_MACHINE\\Enum", {"PCI", "Root"}},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI", {"VEN_8086&DEV_7000", "VEN_1106&DEV_0586"}},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000", {"BUS_00", "BUS_01"}},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086", {}},
        {"HKEY_LOCAL_MACHINE\\Enum\\Root", {}},
        {"HKEY_CURRENT_USER\\Enum", {"Other"}},
        {"HKEY_USERS", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(RegSubkeyNames(file, c.path), c.names);
    }
}

TEST(RegFile, DeletesWholeSubtreesOnly) {
    const std::string base =
        "REGEDIT4\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086]\r\n\"a\"=\"1\"\r\n\r\n"           // 0
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000\\BUS_00]\r\n\r\n"       // 1
        "; about 1106\r\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1106]\n"                             // 2
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_80860\\X]\r\n"                       // 3
        "[HKEY_CURRENT_USER\\Enum\\PCI\\VEN_8086\\Y]\r\n"                         // 4
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\ven_8086\\Z]\r\n\"m\"=hex:01,\\\r\n  02\r\n"  // 5
        "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086]\r\n";                          // 6
    RegFile parsed = ParseOk(base);
    ASSERT_EQ(parsed.blocks.size(), 7u);
    std::vector<std::string> blockText;
    for (const RegKeyBlock& block : parsed.blocks) blockText.push_back(block.text);

    struct Case {
        const char* path;
        std::vector<int> removed;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086", {0, 5, 6}},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7000", {1}},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1106", {2}},
        {"hkey_local_machine\\enum\\pci", {0, 1, 2, 3, 5, 6}},
        {"HKEY_LOCAL_MACHINE", {0, 1, 2, 3, 5, 6}},
        {"HKEY_CURRENT_USER\\Enum", {4}},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_808", {}},
        {"HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086\\", {}},
        {"HKEY_USERS", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        RegFile file = parsed;
        EXPECT_EQ(RegDeleteTree(file, c.path), static_cast<int>(c.removed.size()));
        std::string expected = "REGEDIT4\r\n\r\n";
        for (size_t i = 0; i < blockText.size(); ++i) {
            bool gone = false;
            for (int r : c.removed) gone = gone || r == static_cast<int>(i);
            if (!gone) expected += blockText[i];
        }
        std::string written = WriteRegFile(file);
        EXPECT_EQ(written, expected);
        EXPECT_FALSE(RegKeyExists(file, c.path) && !c.removed.empty());
        ExpectSameModel(ParseOk(written), file);
    }
}

TEST(RegFile, TakesLongNames) {
    const std::string name(10000, 'k');
    const std::string path = "HKEY_LOCAL_MACHINE\\" + name + "\\" + name;
    const std::string valueName(10000, 'v');
    RegFile file = ParseOk("REGEDIT4\n[" + path + "]\n\"" + valueName + "\"=\"x\"\n");
    EXPECT_TRUE(RegKeyExists(file, path));
    EXPECT_EQ(RegSubkeyNames(file, "HKEY_LOCAL_MACHINE\\" + name), std::vector<std::string>{name});
    ASSERT_NE(RegFindValue(file, path, valueName), nullptr);
}

TEST(RegFile, HandlesManyKeysInLinearTime) {
    // Quadratic work here would take minutes, not milliseconds.
    std::string text = "REGEDIT4\n";
    const int count = 200000;
    for (int i = 0; i < count; ++i) {
        text += "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_" + std::to_string(i % 2 ? 8086 : 1106) + "_" +
                std::to_string(i) + "]\n\"v\"=hex:01,02\n";
    }
    RegFile file = ParseOk(text);
    EXPECT_EQ(RegSubkeyNames(file, "HKEY_LOCAL_MACHINE\\Enum\\PCI").size(), static_cast<size_t>(count));
    EXPECT_EQ(WriteRegFile(file), text);
    EXPECT_EQ(RegDeleteTree(file, "HKEY_LOCAL_MACHINE\\Enum\\PCI"), count);
}

// Every accepted variant of a sample must survive write-back and, with any
// one key deleted, read back as what was kept.
TEST(RegFile, MutatedInputIsRefusedOrRoundTrips) {
    const std::string sample =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"n\"=\"s\\\\\"\r\n@=dword:0000abcd\r\n"
        "; c\n[HKEY_LOCAL_MACHINE\\A]\n\"h\"=hex(2):41,\\\n  42\n\n[HKEY_USERS\\A\\BC]\n";
    const char replacements[] = {'\0', '\n', '\r', '\\', '"', '[', ']', '@', '=', ',', ' ', ';', 'a', '-'};
    uint32_t seed = 12345;
    for (int round = 0; round < 4000; ++round) {
        std::string text = sample;
        for (int edits = 1 + round % 3; edits > 0; --edits) {
            seed = seed * 1103515245u + 12345u;
            size_t at = (seed >> 8) % text.size();
            char c = replacements[(seed >> 20) % sizeof replacements];
            if ((seed >> 28) % 3 == 0) {
                text.erase(at, 1);
            } else if ((seed >> 28) % 3 == 1) {
                text.insert(at, 1, c);
            } else {
                text[at] = c;
            }
        }
        RegFile file;
        RegParseError error{};
        if (!ParseRegFile(text, file, error)) {
            EXPECT_GE(error.line, 1);
            continue;
        }
        SCOPED_TRACE(text);
        ASSERT_EQ(WriteRegFile(file), text);
        for (const RegKeyBlock& block : file.blocks) {
            RegFile smaller = file;
            RegDeleteTree(smaller, block.path);
            ExpectSameModel(ParseOk(WriteRegFile(smaller)), smaller);
        }
    }
}

}  // namespace

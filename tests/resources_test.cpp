// The resource script as the host build reads it, the generated icon, and
// the script reader's handling of what it cannot read.

#include "rcparse.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Win32 values written out here on their own, so that a wrong entry in the
// reader's constant table shows up as a mismatch.
const unsigned long kWsPopup = 0x80000000UL;
const unsigned long kWsChild = 0x40000000UL;
const unsigned long kWsVisible = 0x10000000UL;
const unsigned long kWsCaption = 0x00C00000UL;
const unsigned long kWsBorder = 0x00800000UL;
const unsigned long kWsSysMenu = 0x00080000UL;
const unsigned long kWsGroup = 0x00020000UL;
const unsigned long kWsMinimizeBox = 0x00020000UL;
const unsigned long kWsTabStop = 0x00010000UL;
const unsigned long kWsExAppWindow = 0x00040000UL;
const unsigned long kDsSysModal = 0x0002UL;
const unsigned long kDsSetFont = 0x0040UL;
const unsigned long kDsModalFrame = 0x0080UL;
const unsigned long kDsCenter = 0x0800UL;
const unsigned long kBsDefPushButton = 0x0001UL;
const unsigned long kBsGroupBox = 0x0007UL;
const unsigned long kSsCenter = 0x0001UL;
const unsigned long kSsNoPrefix = 0x0080UL;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

unsigned U16(const std::string& data, size_t at)
{
    return static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1]) << 8;
}

std::uint32_t U32(const std::string& data, size_t at)
{
    return U16(data, at) | static_cast<std::uint32_t>(U16(data, at + 2)) << 16;
}

struct ExpectedControl {
    int id;
    const char* statement;
    const char* className;
    const char* text;
    int x, y, cx, cy;
    unsigned long style;
};

const unsigned long kButton = kWsChild | kWsVisible | kWsTabStop;
const unsigned long kLeftText = kWsChild | kWsVisible | kWsGroup;

const ExpectedControl g_expectedControls[] = {
    {1, "DEFPUSHBUTTON", "BUTTON", "&Yes", 94, 135, 50, 14, kButton | kBsDefPushButton},
    {2, "PUSHBUTTON", "BUTTON", "&No", 175, 134, 50, 14, kButton},
    {-1, "LTEXT", "STATIC", "Brennick for Windows 95      Ver 2.1", 28, 19, 258, 8, kLeftText},
    {-1, "LTEXT", "STATIC", "This utility will help Windows 95 find the correct description of", 20, 50, 290, 8,
     kLeftText},
    {-1, "LTEXT", "STATIC", "Intel chipsets and USB devices in the Device Manager.", 20, 60, 275, 8, kLeftText},
    {-1, "LTEXT", "STATIC", "It is recommanded that you first run the Intel IDE Bus Master driver", 20, 80, 290, 8,
     kLeftText},
    {-1, "LTEXT", "STATIC", "and Mircosoft USB/WDM supplement before running this utility.", 20, 90, 255, 8,
     kLeftText},
    {-1, "LTEXT", "STATIC", "Will you continue ?", 20, 110, 115, 8, kLeftText},
};

TEST(ResourcesTest, DialogTemplateFromScript)
{
    const std::string appDir = std::string(BRENNICK_SOURCE_DIR) + "/app/";
    const std::string header = ReadFile(appDir + "resource.h");
    const std::string script = ReadFile(appDir + "brennick.rc");
    ASSERT_FALSE(header.empty());
    ASSERT_FALSE(script.empty());

    // Checked out with Windows line ends the script must read the same.
    for (bool crLf : {false, true}) {
        SCOPED_TRACE(crLf ? "CR LF line ends" : "LF line ends");
        RcSymbols symbols;
        RcError error;
        ASSERT_TRUE(ParseResourceHeader(crLf ? WithCrLf(header) : header, symbols, error)) << FormatRcError(error);
        EXPECT_EQ(symbols["IDD_PATCH_DIALOG"], 102);
        EXPECT_EQ(symbols["IDR_MAINFRAME"], 128);

        RcDialog dialog;
        ASSERT_TRUE(ParseDialog(crLf ? WithCrLf(script) : script, symbols, 102, dialog, error))
            << FormatRcError(error);
        EXPECT_EQ(dialog.caption, "Brennick");
        EXPECT_EQ(dialog.x, 0);
        EXPECT_EQ(dialog.y, 0);
        EXPECT_EQ(dialog.cx, 319);
        EXPECT_EQ(dialog.cy, 183);
        EXPECT_EQ(dialog.style, kWsPopup | kWsVisible | kWsCaption | kWsSysMenu | kWsMinimizeBox | kDsModalFrame |
                                    kDsSetFont | kDsSysModal | kDsCenter);
        EXPECT_EQ(dialog.exStyle, kWsExAppWindow);
        EXPECT_EQ(dialog.fontName, "Courier New");
        EXPECT_EQ(dialog.pointSize, 8);
        EXPECT_EQ(dialog.fontWeight, 400);
        EXPECT_FALSE(dialog.fontItalic);
        EXPECT_EQ(dialog.fontCharset, 1);

        const size_t expectedCount = sizeof g_expectedControls / sizeof g_expectedControls[0];
        ASSERT_EQ(dialog.controls.size(), expectedCount);
        for (size_t i = 0; i < expectedCount; ++i) {
            const ExpectedControl& want = g_expectedControls[i];
            const RcControl& got = dialog.controls[i];
            SCOPED_TRACE("control " + std::to_string(i) + ": " + want.text);
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(got.statement, want.statement);
            EXPECT_EQ(got.className, want.className);
            EXPECT_EQ(got.text, want.text);
            EXPECT_EQ(got.x, want.x);
            EXPECT_EQ(got.y, want.y);
            EXPECT_EQ(got.cx, want.cx);
            EXPECT_EQ(got.cy, want.cy);
            EXPECT_EQ(got.style, want.style) << std::hex << got.style << " != " << want.style;
        }
    }
}

TEST(ResourcesTest, GeneratedIconIs32By32In16Colours)
{
    const std::string icon = ReadFile(std::string(BRENNICK_BINARY_DIR) + "/generated/brennick.ico");
    const size_t kDirSize = 6 + 16, kHeaderSize = 40, kPaletteSize = 16 * 4;
    const size_t kXorSize = 32 * 16, kAndSize = 32 * 4;
    const size_t kImageSize = kHeaderSize + kPaletteSize + kXorSize + kAndSize;
    ASSERT_EQ(icon.size(), kDirSize + kImageSize);

    // ICONDIR
    EXPECT_EQ(U16(icon, 0), 0u);
    EXPECT_EQ(U16(icon, 2), 1u);  // icon, not cursor
    EXPECT_EQ(U16(icon, 4), 1u);  // one image
    // ICONDIRENTRY
    EXPECT_EQ(static_cast<unsigned char>(icon[6]), 32);
    EXPECT_EQ(static_cast<unsigned char>(icon[7]), 32);
    EXPECT_EQ(static_cast<unsigned char>(icon[8]), 16);
    EXPECT_EQ(static_cast<unsigned char>(icon[9]), 0);
    EXPECT_EQ(U16(icon, 10), 1u);
    EXPECT_EQ(U16(icon, 12), 4u);
    EXPECT_EQ(U32(icon, 14), kImageSize);
    EXPECT_EQ(U32(icon, 18), kDirSize);
    // BITMAPINFOHEADER: the height covers the XOR bitmap and the AND mask.
    const size_t h = kDirSize;
    EXPECT_EQ(U32(icon, h), kHeaderSize);
    EXPECT_EQ(U32(icon, h + 4), 32u);
    EXPECT_EQ(U32(icon, h + 8), 64u);
    EXPECT_EQ(U16(icon, h + 12), 1u);
    EXPECT_EQ(U16(icon, h + 14), 4u);
    EXPECT_EQ(U32(icon, h + 16), 0u);  // BI_RGB
    EXPECT_EQ(U32(icon, h + 20), kXorSize + kAndSize);
    EXPECT_TRUE(U32(icon, h + 32) == 0 || U32(icon, h + 32) == 16);
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(icon[h + kHeaderSize + i * 4 + 3], 0) << "palette entry " << i;

    // Rows are stored bottom up. A transparent pixel must be black in the
    // XOR bitmap, or it would invert the desktop behind it.
    const size_t xorAt = h + kHeaderSize + kPaletteSize, andAt = xorAt + kXorSize;
    int opaque = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            size_t row = 31 - y;
            unsigned char pair = static_cast<unsigned char>(icon[xorAt + row * 16 + x / 2]);
            int colour = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
            bool transparent = (static_cast<unsigned char>(icon[andAt + row * 4 + x / 8]) & (0x80 >> (x % 8))) != 0;
            if (transparent)
                EXPECT_EQ(colour, 0) << "pixel " << x << ", " << y;
            else
                ++opaque;
        }
    }
    EXPECT_GT(opaque, 32 * 32 / 3);
    EXPECT_LT(opaque, 32 * 32);
}

// Control statements beyond what the dialog uses: the defaults each adds and
// how a given style combines with them.
TEST(ResourcesTest, ControlStyleDefaults)
{
    struct Case {
        const char* control;
        const char* className;
        unsigned long style;
    };
    const Case cases[] = {
        {"PUSHBUTTON \"a\", 3, 0, 0, 1, 1", "BUTTON", kButton},
        {"PUSHBUTTON \"a\", 3, 0, 0, 1, 1, NOT WS_TABSTOP", "BUTTON", kWsChild | kWsVisible},
        {"DEFPUSHBUTTON \"a\", 3, 0, 0, 1, 1, NOT WS_VISIBLE | WS_BORDER", "BUTTON",
         kWsChild | kWsTabStop | kWsBorder | kBsDefPushButton},
        {"LTEXT \"a\", 3, 0, 0, 1, 1, SS_NOPREFIX", "STATIC", kLeftText | kSsNoPrefix},
        {"CTEXT \"a\", 3, 0, 0, 1, 1", "STATIC", kLeftText | kSsCenter},
        {"GROUPBOX \"a\", 3, 0, 0, 1, 1", "BUTTON", kWsChild | kWsVisible | kBsGroupBox},
        {"LTEXT \"a\", 3, 0, 0, 1, 1, (0x80 | 0x100) & ~0x100", "STATIC", kLeftText | kSsNoPrefix},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        const std::string script = std::string("1 DIALOGEX 0, 0, 10, 10\nBEGIN\n    ") + c.control + "\nEND\n";
        RcDialog dialog;
        RcError error;
        ASSERT_TRUE(ParseDialog(script, RcSymbols(), 1, dialog, error)) << FormatRcError(error);
        ASSERT_EQ(dialog.controls.size(), 1u);
        EXPECT_EQ(dialog.controls[0].className, c.className);
        EXPECT_EQ(dialog.controls[0].style, c.style) << std::hex << dialog.controls[0].style;
        // Without STYLE the dialog gets the resource compiler's default.
        EXPECT_EQ(dialog.style, kWsPopup | kWsBorder | kWsSysMenu);
    }
}

// Resources the reader has to step over on the way to the dialog.
TEST(ResourcesTest, SkipsOtherResources)
{
    const std::string script =
        "#include <windows.h>\n"
        "#define IDD_OTHER 7\n"
        "/* a comment\n   over two lines */\n"
        "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
        "128 ICON \"app.ico\"\n"
        "STRINGTABLE\nBEGIN\n    1 \"END\"\nEND\n"
        "1 VERSIONINFO\n FILEVERSION 1,0,0,1\nBEGIN\n BLOCK \"x\"\n BEGIN\n  VALUE \"a\", \"b\"\n END\nEND\n"
        "IDD_OTHER DIALOGEX DISCARDABLE 1, 2, 3, 4\n"
        "CAPTION \"Other\"\n"
        "{\n    LTEXT \"\"\"quoted\"\"\", -1, 0, 0, 1, 1\n}\n";
    RcDialog dialog;
    RcError error;
    ASSERT_TRUE(ParseDialog(script, RcSymbols(), 7, dialog, error)) << FormatRcError(error);
    EXPECT_EQ(dialog.caption, "Other");
    EXPECT_EQ(dialog.cy, 4);
    EXPECT_EQ(dialog.style, kWsPopup | kWsBorder | kWsSysMenu | kWsCaption);
    ASSERT_EQ(dialog.controls.size(), 1u);
    EXPECT_EQ(dialog.controls[0].text, "\"quoted\"");
    EXPECT_EQ(dialog.controls[0].line, 22);
}

TEST(ResourcesTest, ErrorsNameTheLine)
{
    struct Case {
        const char* name;
        const char* header;
        const char* script;  // looked up as dialog 102
        int line;
        const char* message;  // part of the message
    };
    const Case cases[] = {
        {"header: include guard", "#ifndef RES_H\n#define RES_H\n#define IDD_X 102\n#endif\n", "", 1,
         "unsupported preprocessor directive '#ifndef'"},
        {"header: text outside a define", "#define A 1\nenum A\n", "", 2, "expected a #define line"},
        {"header: value not a number", "#define A \"text\"\n", "", 1, "expected the value of A"},
        {"header: redefined", "#define A 1\n#define A 2\n", "", 2, "A redefined as 2 (was 1)"},
        {"header: macro with parameters", "#define F(x) (x)\n", "", 1, "macro with parameters"},
        {"unknown id symbol", "", "102 DIALOGEX 0, 0, 1, 1\nBEGIN\n LTEXT \"a\", IDC_NONE, 0, 0, 1, 1\nEND\n", 3,
         "unknown symbol 'IDC_NONE' in control id"},
        {"unknown style symbol", "", "102 DIALOGEX 0, 0, 1, 1\nSTYLE WS_POPUP |\n  WS_NOSUCH\nBEGIN\nEND\n", 3,
         "unknown symbol 'WS_NOSUCH' in dialog style"},
        {"missing comma", "", "102 DIALOGEX 0, 0, 1, 1\nBEGIN\n PUSHBUTTON \"a\" 1, 0, 0, 1, 1\nEND\n", 3,
         "expected ',' after PUSHBUTTON text, found number 1"},
        {"unterminated string", "", "102 DIALOGEX 0, 0, 1, 1\nCAPTION \"Brennick\nBEGIN\nEND\n", 2,
         "unterminated string"},
        {"unsupported control", "", "102 DIALOGEX 0, 0, 1, 1\nBEGIN\n EDITTEXT 5, 0, 0, 1, 1\nEND\n", 3,
         "unsupported control statement 'EDITTEXT'"},
        {"no END", "", "\n102 DIALOGEX 0, 0, 1, 1\nBEGIN\n LTEXT \"a\", 1, 0, 0, 1, 1\n", 2, "no END"},
        {"DIALOG, not DIALOGEX", "", "102 DIALOG 0, 0, 1, 1\nBEGIN\nEND\n", 1, "write it as DIALOGEX"},
        {"same id twice", "#define IDD_A 102\n",
         "IDD_A DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n102 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n", 4,
         "second dialog with id 102 (the first is at line 1)"},
        {"coordinate too large", "", "102 DIALOGEX 0, 0, 40000, 1\nBEGIN\nEND\n", 1, "width out of range: 40000"},
        {"conditional in script", "", "#ifdef X\n102 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n#endif\n", 1,
         "unsupported preprocessor directive '#ifdef'"},
        {"dialog missing", "", "103 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n", 0, "no DIALOGEX with id 102"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RcSymbols symbols;
        RcError error;
        RcDialog dialog;
        bool ok = ParseResourceHeader(c.header, symbols, error) && ParseDialog(c.script, symbols, 102, dialog, error);
        ASSERT_FALSE(ok);
        EXPECT_EQ(error.line, c.line) << error.message;
        EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    }
}

}  // namespace

// mkicon: turns the text drawing of the application icon into a Windows .ico
// file with one 32x32 image in 16 colours (4 bits per pixel).
//
//   mkicon <icon.txt> <out.ico>
//
// Kept free of other project code: the cross build compiles this one file
// with the build machine's compiler.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int kIconSize = 32;
const int kPaletteSize = 16;
const int kTransparent = -1;

struct NamedColour {
    const char* name;
    unsigned char red, green, blue;
};

// The 16 colours of the standard VGA palette in the order Windows uses for
// 4-bit bitmaps; index 3 (dark yellow) is the palette's brown.
const NamedColour g_vgaColours[kPaletteSize] = {
    {"black", 0x00, 0x00, 0x00},       {"darkred", 0x80, 0x00, 0x00},
    {"darkgreen", 0x00, 0x80, 0x00},   {"brown", 0x80, 0x80, 0x00},
    {"darkblue", 0x00, 0x00, 0x80},    {"darkmagenta", 0x80, 0x00, 0x80},
    {"darkcyan", 0x00, 0x80, 0x80},    {"lightgrey", 0xC0, 0xC0, 0xC0},
    {"darkgrey", 0x80, 0x80, 0x80},    {"red", 0xFF, 0x00, 0x00},
    {"green", 0x00, 0xFF, 0x00},       {"yellow", 0xFF, 0xFF, 0x00},
    {"blue", 0x00, 0x00, 0xFF},        {"magenta", 0xFF, 0x00, 0xFF},
    {"cyan", 0x00, 0xFF, 0xFF},        {"white", 0xFF, 0xFF, 0xFF},
};

struct IconImage {
    // Palette index per pixel, top row first; kTransparent where the AND
    // mask lets the background show through.
    int pixels[kIconSize][kIconSize];
};

struct LegendEntry {
    bool defined = false;
    int colour = 0;
};

bool Fail(const std::string& where, int line, const std::string& message, std::string& error)
{
    std::ostringstream out;
    out << where << ":";
    if (line > 0)
        out << line << ":";
    out << " " << message;
    error = out.str();
    return false;
}

int FindColour(const std::string& name)
{
    if (name == "transparent")
        return kTransparent;
    for (int i = 0; i < kPaletteSize; ++i) {
        if (name == g_vgaColours[i].name)
            return i;
    }
    return kPaletteSize;  // not a colour
}

// Reads the drawing: "colour <char> <name>" lines, then "pixels" and 32 rows.
bool ReadDrawing(const std::string& path, IconImage& image, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Fail(path, 0, "cannot open", error);

    LegendEntry legend[256];
    bool inPixels = false;
    int row = 0;
    int lineNo = 0;
    std::string line;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();

        if (!inPixels) {
            if (line.empty() || line[0] == '#')
                continue;
            std::istringstream words(line);
            std::string keyword, symbol, name, extra;
            words >> keyword;
            if (keyword == "pixels") {
                if (words >> extra)
                    return Fail(path, lineNo, "unexpected text after \"pixels\"", error);
                inPixels = true;
                continue;
            }
            if (keyword != "colour")
                return Fail(path, lineNo, "expected \"colour\" or \"pixels\", found \"" + keyword + "\"", error);
            if (!(words >> symbol >> name) || (words >> extra))
                return Fail(path, lineNo, "expected \"colour <character> <name>\"", error);
            if (symbol.size() != 1)
                return Fail(path, lineNo, "colour symbol must be one character: \"" + symbol + "\"", error);
            int colour = FindColour(name);
            if (colour == kPaletteSize)
                return Fail(path, lineNo, "unknown colour \"" + name + "\"", error);
            LegendEntry& entry = legend[static_cast<unsigned char>(symbol[0])];
            if (entry.defined)
                return Fail(path, lineNo, "colour symbol '" + symbol + "' defined twice", error);
            entry.defined = true;
            entry.colour = colour;
            continue;
        }

        if (row == kIconSize) {
            if (!line.empty())
                return Fail(path, lineNo, "more than 32 pixel rows", error);
            continue;
        }
        if (static_cast<int>(line.size()) != kIconSize) {
            return Fail(path, lineNo,
                        "pixel row has " + std::to_string(line.size()) + " characters, expected 32", error);
        }
        for (int x = 0; x < kIconSize; ++x) {
            const LegendEntry& entry = legend[static_cast<unsigned char>(line[x])];
            if (!entry.defined) {
                return Fail(path, lineNo,
                            "column " + std::to_string(x + 1) + ": no colour for '" + std::string(1, line[x]) + "'",
                            error);
            }
            image.pixels[row][x] = entry.colour;
        }
        ++row;
    }
    if (!inPixels)
        return Fail(path, lineNo, "no \"pixels\" line", error);
    if (row != kIconSize)
        return Fail(path, lineNo, "only " + std::to_string(row) + " pixel rows, expected 32", error);
    return true;
}

void PutU8(std::vector<unsigned char>& out, unsigned value)
{
    out.push_back(static_cast<unsigned char>(value & 0xFF));
}

void PutU16(std::vector<unsigned char>& out, unsigned value)
{
    PutU8(out, value);
    PutU8(out, value >> 8);
}

void PutU32(std::vector<unsigned char>& out, std::uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

std::vector<unsigned char> EncodeIcon(const IconImage& image)
{
    const int xorRowBytes = (kIconSize * 4 / 8 + 3) / 4 * 4;
    const int andRowBytes = (kIconSize / 8 + 3) / 4 * 4;
    const std::uint32_t headerSize = 40;
    const std::uint32_t bitsSize = (xorRowBytes + andRowBytes) * kIconSize;
    const std::uint32_t imageSize = headerSize + kPaletteSize * 4 + bitsSize;
    const std::uint32_t imageOffset = 6 + 16;

    std::vector<unsigned char> out;
    // ICONDIR
    PutU16(out, 0);  // reserved
    PutU16(out, 1);  // type: icon
    PutU16(out, 1);  // one image
    // ICONDIRENTRY
    PutU8(out, kIconSize);
    PutU8(out, kIconSize);
    PutU8(out, kPaletteSize);
    PutU8(out, 0);   // reserved
    PutU16(out, 1);  // planes
    PutU16(out, 4);  // bits per pixel
    PutU32(out, imageSize);
    PutU32(out, imageOffset);
    // BITMAPINFOHEADER; the height counts the XOR bitmap and the AND mask.
    PutU32(out, headerSize);
    PutU32(out, kIconSize);
    PutU32(out, kIconSize * 2);
    PutU16(out, 1);  // planes
    PutU16(out, 4);  // bits per pixel
    PutU32(out, 0);  // BI_RGB
    PutU32(out, bitsSize);
    PutU32(out, 0);  // pixels per metre, x
    PutU32(out, 0);  // pixels per metre, y
    PutU32(out, 0);  // colours used: all 16
    PutU32(out, 0);  // important colours: all
    for (const NamedColour& colour : g_vgaColours) {
        PutU8(out, colour.blue);
        PutU8(out, colour.green);
        PutU8(out, colour.red);
        PutU8(out, 0);
    }
    // XOR bitmap, bottom row first, two pixels a byte (left one high).
    // Transparent pixels are black here so that the AND mask alone decides.
    for (int y = kIconSize - 1; y >= 0; --y) {
        std::vector<unsigned char> rowBytes(xorRowBytes, 0);
        for (int x = 0; x < kIconSize; ++x) {
            int colour = image.pixels[y][x] == kTransparent ? 0 : image.pixels[y][x];
            rowBytes[x / 2] |= static_cast<unsigned char>(x % 2 == 0 ? colour << 4 : colour);
        }
        out.insert(out.end(), rowBytes.begin(), rowBytes.end());
    }
    // AND mask, bottom row first, one bit a pixel (leftmost is bit 7); 1 = transparent.
    for (int y = kIconSize - 1; y >= 0; --y) {
        std::vector<unsigned char> rowBytes(andRowBytes, 0);
        for (int x = 0; x < kIconSize; ++x) {
            if (image.pixels[y][x] == kTransparent)
                rowBytes[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
        out.insert(out.end(), rowBytes.begin(), rowBytes.end());
    }
    return out;
}

bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = path + ": cannot write";
        std::remove(path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: mkicon <icon.txt> <out.ico>\n";
        return 2;
    }
    IconImage image;
    std::string error;
    if (!ReadDrawing(argv[1], image, error) || !WriteFile(argv[2], EncodeIcon(image), error)) {
        std::cerr << "mkicon: " << error << "\n";
        return 1;
    }
    return 0;
}

// The registry of the simulated machine, held as a REGEDIT4 text file.
//
// The model keeps the exact bytes of every key block, so that writing back
// what was read reproduces the file byte for byte, and deleting a key
// removes only the bytes of its own blocks and of its descendants' blocks.
// Keys and value names compare without regard to ASCII letter case; bytes
// from 0x80 up compare exactly. Paths are full, with single backslashes:
// "HKEY_LOCAL_MACHINE\Enum\PCI".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Value types, numbered as the registry numbers them.
constexpr uint32_t kRegTypeSz = 1;
constexpr uint32_t kRegTypeBinary = 3;
constexpr uint32_t kRegTypeDword = 4;

struct RegValue {
    std::string name;  // as spelled in the file; "" for the default value (@)
    uint32_t type;     // kRegTypeSz, kRegTypeDword, kRegTypeBinary, or N of hex(N)
    std::string data;  // string without terminator; dword as 4 bytes little endian; hex bytes
};

// One key line with everything up to the next key line.
struct RegKeyBlock {
    std::string path;  // as spelled, without brackets
    std::string text;  // exact bytes, key line through the line before the next key line
    std::vector<RegValue> values;  // in file order
    int line;          // 1-based line of the key line
};

struct RegFile {
    std::string preamble;  // bytes ahead of the first key line, REGEDIT4 line included
    std::vector<RegKeyBlock> blocks;
};

struct RegParseError {
    int line;  // 1-based
    std::string message;
};

// Reads a whole file. On failure `file` is left as it was and `error` says
// where and what.
bool ParseRegFile(std::string_view bytes, RegFile& file, RegParseError& error);

// The preamble followed by every kept block.
std::string WriteRegFile(const RegFile& file);

// True when some block names the key itself or a key below it.
bool RegKeyExists(const RegFile& file, std::string_view path);

// Immediate subkeys, explicit or implied, each once, in the order they
// first appear in the file and spelled as at that first appearance.
std::vector<std::string> RegSubkeyNames(const RegFile& file, std::string_view path);

// The value's last occurrence among all blocks of the key, or null. The
// pointer is valid until `file` changes.
const RegValue* RegFindValue(const RegFile& file, std::string_view path, std::string_view name);

// Removes every block of the key and of all keys below it; returns how many
// blocks went.
int RegDeleteTree(RegFile& file, std::string_view path);

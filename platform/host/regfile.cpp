#include "platform/host/regfile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_set>
#include <utility>

namespace {

constexpr std::string_view kRegHeader = "REGEDIT4";

const std::string_view g_regRootNames[] = {
    "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",   "HKEY_CLASSES_ROOT",
    "HKEY_USERS",         "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

// True when `key` is `path` or lies below it; whole components only, so
// "A\B" is not above "A\BC".
bool IsSameOrBelow(std::string_view key, std::string_view path) {
    if (key.size() < path.size()) return false;
    if (!EqualNoCase(key.substr(0, path.size()), path)) return false;
    return key.size() == path.size() || key[path.size()] == '\\';
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsBlankLine(std::string_view s) {
    return std::all_of(s.begin(), s.end(), IsBlank);
}

size_t SkipBlanks(std::string_view s, size_t i) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct LineCursor {
    std::string_view bytes;
    size_t pos = 0;  // start of the next line
    int number = 0;  // of the line last fetched
};

struct Line {
    size_t start;              // offset in the file
    std::string_view content;  // without the line end
};

enum class Fetch { kEnd, kLine, kError };

// Lines end in LF or CR LF; any other CR is part of the line.
Fetch FetchLine(LineCursor& cursor, Line& line, RegParseError& error) {
    if (cursor.pos >= cursor.bytes.size()) return Fetch::kEnd;
    if (cursor.number == INT_MAX) {
        error = {cursor.number, "too many lines"};
        return Fetch::kError;
    }
    ++cursor.number;
    std::string_view rest = cursor.bytes.substr(cursor.pos);
    size_t lf = rest.find('\n');
    std::string_view content = rest.substr(0, lf);
    line.start = cursor.pos;
    cursor.pos += (lf == std::string_view::npos) ? rest.size() : lf + 1;
    // A CR cut off by the end of the file still counts as a line end.
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    line.content = content;
    if (std::memchr(content.data(), '\0', content.size()) != nullptr) {
        error = {cursor.number, "NUL byte"};
        return Fetch::kError;
    }
    return Fetch::kLine;
}

// Reads a quoted name or string starting at s[i] == '"'; leaves i past the
// closing quote.
bool ParseQuoted(std::string_view s, size_t& i, std::string& out, const char*& message) {
    ++i;
    for (;;) {
        if (i >= s.size()) {
            message = "unterminated string";
            return false;
        }
        char c = s[i];
        if (c == '"') {
            ++i;
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= s.size()) {
                message = "unterminated string";
                return false;
            }
            char next = s[i + 1];
            if (next != '\\' && next != '"') {
                message = "unknown escape sequence";
                return false;
            }
            out += next;
            i += 2;
            continue;
        }
        out += c;
        ++i;
    }
}

// Reads comma-separated hex bytes from line.content[i], following
// continuation lines (a line ending in '\' after a comma).
bool ParseHexList(LineCursor& cursor, std::string_view s, size_t i, std::string& out,
                  RegParseError& error) {
    bool needByte = false;  // after a comma
    for (;;) {
        if (i < s.size() && s[i] == '\\' && SkipBlanks(s, i + 1) == s.size()) {
            Line next;
            Fetch fetched = FetchLine(cursor, next, error);
            if (fetched == Fetch::kError) return false;
            if (fetched == Fetch::kEnd) {
                error = {cursor.number, "continuation line missing at end of file"};
                return false;
            }
            s = next.content;
            i = SkipBlanks(s, 0);
            needByte = true;
            continue;
        }
        if (SkipBlanks(s, i) == s.size()) {
            if (needByte) {
                error = {cursor.number, "hex byte expected after ','"};
                return false;
            }
            return true;
        }
        if (i + 1 >= s.size() || HexDigit(s[i]) < 0 || HexDigit(s[i + 1]) < 0) {
            error = {cursor.number, "bad hex byte"};
            return false;
        }
        out += static_cast<char>(HexDigit(s[i]) * 16 + HexDigit(s[i + 1]));
        i += 2;
        if (SkipBlanks(s, i) == s.size()) return true;
        if (s[i] != ',') {
            error = {cursor.number, "',' expected between hex bytes"};
            return false;
        }
        ++i;
        needByte = true;
    }
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool ParseValueLine(LineCursor& cursor, std::string_view s, RegValue& value,
                    RegParseError& error) {
    const char* message = nullptr;
    auto fail = [&](const char* text) {
        error = {cursor.number, text};
        return false;
    };
    size_t i = 0;
    value.name.clear();
    if (s[0] == '@') {
        i = 1;
    } else {
        if (!ParseQuoted(s, i, value.name, message)) return fail(message);
        if (value.name.empty()) return fail("empty value name (the default value is @)");
    }
    if (i >= s.size() || s[i] != '=') return fail("'=' expected after the value name");
    ++i;
    std::string_view data = s.substr(i);
    value.data.clear();
    if (StartsWith(data, "\"")) {
        value.type = kRegTypeSz;
        if (!ParseQuoted(s, i, value.data, message)) return fail(message);
    } else if (StartsWith(data, "dword:")) {
        value.type = kRegTypeDword;
        i += 6;
        uint32_t number = 0;
        size_t digits = 0;
        while (i < s.size() && HexDigit(s[i]) >= 0 && digits < 9) {
            number = number * 16 + static_cast<uint32_t>(HexDigit(s[i]));
            ++i;
            ++digits;
        }
        if (digits != 8) return fail("dword needs exactly 8 hex digits");
        for (int b = 0; b < 4; ++b) value.data += static_cast<char>((number >> (8 * b)) & 0xff);
    } else if (StartsWith(data, "hex:") || StartsWith(data, "hex(")) {
        value.type = kRegTypeBinary;
        i += 3;
        if (s[i] == '(') {
            ++i;
            uint64_t number = 0;
            size_t digits = 0;
            while (i < s.size() && HexDigit(s[i]) >= 0) {
                number = number * 16 + static_cast<uint64_t>(HexDigit(s[i]));
                if (number > UINT32_MAX) return fail("hex type number too large");
                ++i;
                ++digits;
            }
            if (digits == 0) return fail("hex type number expected after 'hex('");
            if (i >= s.size() || s[i] != ')') return fail("')' expected after the hex type number");
            ++i;
            if (i >= s.size() || s[i] != ':') return fail("':' expected after 'hex(N)'");
            value.type = static_cast<uint32_t>(number);
        }
        ++i;
        // The list takes the rest of the line and its continuations.
        return ParseHexList(cursor, s, i, value.data, error);
    } else if (StartsWith(data, "-")) {
        return fail("value deletion lines are not supported");
    } else {
        return fail("unknown value type");
    }
    if (SkipBlanks(s, i) != s.size()) return fail("unexpected text after the value");
    return true;
}

bool ParseKeyLine(std::string_view s, std::string& path, const char*& message) {
    if (StartsWith(s, "[-")) {
        message = "key deletion lines are not supported";
        return false;
    }
    size_t close = s.rfind(']');
    if (close == std::string_view::npos) {
        message = "']' missing at the end of the key line";
        return false;
    }
    if (SkipBlanks(s, close + 1) != s.size()) {
        message = "unexpected text after ']'";
        return false;
    }
    std::string_view p = s.substr(1, close - 1);
    std::string_view root = p.substr(0, p.find('\\'));
    bool known = std::any_of(std::begin(g_regRootNames), std::end(g_regRootNames),
                             [&](std::string_view name) { return EqualNoCase(root, name); });
    if (!known) {
        message = "unknown root key";
        return false;
    }
    // Every component after the root must be non-empty.
    for (size_t i = root.size(); i < p.size(); ++i) {
        if (p[i] == '\\' && (i + 1 == p.size() || p[i + 1] == '\\')) {
            message = "empty key name in the path";
            return false;
        }
    }
    path.assign(p);
    return true;
}

}  // namespace

bool ParseRegFile(std::string_view bytes, RegFile& file, RegParseError& error) {
    LineCursor cursor{bytes};
    Line line;
    Fetch fetched = FetchLine(cursor, line, error);
    if (fetched == Fetch::kError) return false;
    if (fetched == Fetch::kEnd || line.content != kRegHeader) {
        error = {1, "first line must be REGEDIT4"};
        return false;
    }

    RegFile result;
    bool inBlock = false;
    size_t blockStart = 0;
    auto closeBlock = [&](size_t end) {
        if (inBlock) {
            result.blocks.back().text.assign(bytes.substr(blockStart, end - blockStart));
        } else {
            result.preamble.assign(bytes.substr(0, end));
        }
    };

    while ((fetched = FetchLine(cursor, line, error)) == Fetch::kLine) {
        std::string_view s = line.content;
        if (IsBlankLine(s)) continue;
        char first = s[SkipBlanks(s, 0)];
        if (first == ';') continue;
        if (s[0] == '[') {
            RegKeyBlock block;
            const char* message = nullptr;
            if (!ParseKeyLine(s, block.path, message)) {
                error = {cursor.number, message};
                return false;
            }
            block.line = cursor.number;
            closeBlock(line.start);
            result.blocks.push_back(std::move(block));
            inBlock = true;
            blockStart = line.start;
            continue;
        }
        if (s[0] != '"' && s[0] != '@') {
            error = {cursor.number, "not a key, value or comment line"};
            return false;
        }
        if (!inBlock) {
            error = {cursor.number, "value line ahead of the first key"};
            return false;
        }
        RegValue value;
        if (!ParseValueLine(cursor, s, value, error)) return false;
        result.blocks.back().values.push_back(std::move(value));
    }
    if (fetched == Fetch::kError) return false;
    closeBlock(bytes.size());
    file = std::move(result);
    return true;
}

std::string WriteRegFile(const RegFile& file) {
    size_t size = file.preamble.size();
    for (const RegKeyBlock& block : file.blocks) size += block.text.size();
    std::string out;
    out.reserve(size);
    out += file.preamble;
    for (const RegKeyBlock& block : file.blocks) out += block.text;
    return out;
}

bool RegKeyExists(const RegFile& file, std::string_view path) {
    return std::any_of(file.blocks.begin(), file.blocks.end(), [&](const RegKeyBlock& block) {
        return IsSameOrBelow(block.path, path);
    });
}

std::vector<std::string> RegSubkeyNames(const RegFile& file, std::string_view path) {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;  // folded
    for (const RegKeyBlock& block : file.blocks) {
        std::string_view key = block.path;
        if (key.size() <= path.size() || !IsSameOrBelow(key, path)) continue;
        std::string_view rest = key.substr(path.size() + 1);
        std::string_view child = rest.substr(0, rest.find('\\'));
        std::string folded(child);
        std::transform(folded.begin(), folded.end(), folded.begin(), FoldCase);
        if (seen.insert(std::move(folded)).second) names.emplace_back(child);
    }
    return names;
}

const RegValue* RegFindValue(const RegFile& file, std::string_view path, std::string_view name) {
    for (auto block = file.blocks.rbegin(); block != file.blocks.rend(); ++block) {
        if (!EqualNoCase(block->path, path)) continue;
        for (auto value = block->values.rbegin(); value != block->values.rend(); ++value) {
            if (EqualNoCase(value->name, name)) return &*value;
        }
    }
    return nullptr;
}

int RegDeleteTree(RegFile& file, std::string_view path) {
    auto kept = std::remove_if(file.blocks.begin(), file.blocks.end(),
                               [&](const RegKeyBlock& block) { return IsSameOrBelow(block.path, path); });
    int removed = static_cast<int>(file.blocks.end() - kept);
    file.blocks.erase(kept, file.blocks.end());
    return removed;
}

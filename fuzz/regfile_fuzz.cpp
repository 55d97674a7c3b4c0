// Arbitrary bytes as the simulated machine's registry.reg. They are either
// refused cleanly (a line that exists, a message, the model untouched) or
// read; what was read writes back byte for byte as it came and reads back
// the same; and deleting a key removes exactly that key's blocks and those
// below it, leaving a file that still reads, everything else unchanged.
#include "platform/host/regfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void Broken(const char* promise)
{
    std::fprintf(stderr, "%s\n", promise);
    std::abort();
}

char Folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    }
    return true;
}

// Written apart from the reader's own test on purpose.
bool AtOrBelow(std::string_view key, std::string_view path)
{
    return SameIgnoringCase(key.substr(0, path.size()), path) &&
           (key.size() == path.size() || (key.size() > path.size() && key[path.size()] == '\\'));
}

bool SameValues(const std::vector<RegValue>& a, const std::vector<RegValue>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].data != b[i].data)
            return false;
    }
    return true;
}

// Same keys, values and bytes; line numbers may differ.
bool SameModel(const RegFile& a, const RegFile& b)
{
    if (a.preamble != b.preamble || a.blocks.size() != b.blocks.size())
        return false;
    for (std::size_t i = 0; i < a.blocks.size(); ++i) {
        const RegKeyBlock& x = a.blocks[i];
        const RegKeyBlock& y = b.blocks[i];
        if (x.path != y.path || x.text != y.text || !SameValues(x.values, y.values))
            return false;
    }
    return true;
}

int LineCount(std::string_view bytes)
{
    int lines = 1;
    for (char c : bytes)
        lines += c == '\n';
    return lines;
}

const char kKnownFile[] =
    "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Enum]\r\n\"Kept\"=\"yes\"\r\n";

void CheckDelete(const RegFile& read, std::string_view path)
{
    RegFile changed = read;
    int removed = RegDeleteTree(changed, path);

    std::vector<const RegKeyBlock*> kept;
    for (const RegKeyBlock& block : read.blocks) {
        if (!AtOrBelow(block.path, path))
            kept.push_back(&block);
    }
    if (removed != static_cast<int>(read.blocks.size() - kept.size()) ||
        changed.blocks.size() != kept.size())
        Broken("a delete removed other blocks than the key's own and those below it");
    if (RegKeyExists(changed, path))
        Broken("a deleted key still exists");

    std::string written = WriteRegFile(changed);
    RegFile reread;
    RegParseError error;
    if (!ParseRegFile(written, reread, error))
        Broken("a file with a key deleted no longer reads");
    if (reread.preamble != read.preamble || reread.blocks.size() != kept.size())
        Broken("a file with a key deleted reads back other keys");
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (reread.blocks[i].path != kept[i]->path || reread.blocks[i].text != kept[i]->text ||
            !SameValues(reread.blocks[i].values, kept[i]->values))
            Broken("a kept key changed when another was deleted");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    RegFile before;
    RegParseError error;
    if (!ParseRegFile(kKnownFile, before, error))
        Broken("the known file does not read");

    RegFile read = before;
    error = {};
    if (!ParseRegFile(bytes, read, error)) {
        if (error.line < 1 || error.line > LineCount(bytes) || error.message.empty())
            Broken("a refusal names no line of the file or no reason");
        if (!SameModel(read, before))
            Broken("a refused file changed the model");
        return 0;
    }

    std::string written = WriteRegFile(read);
    if (written != bytes)
        Broken("what was read does not write back byte for byte");
    RegFile again;
    if (!ParseRegFile(written, again, error) || !SameModel(again, read))
        Broken("what was written does not read back the same");

    // The queries the registry calls make, on every key the file names and
    // on its parent.
    for (const RegKeyBlock& block : read.blocks) {
        RegSubkeyNames(read, block.path);
        for (const RegValue& value : block.values) {
            if (!RegFindValue(read, block.path, value.name))
                Broken("a value that was read is not found");
        }
        if (!RegKeyExists(read, block.path))
            Broken("a key that was read does not exist");
    }

    // Deleting each key in turn would be quadratic on large inputs: a few.
    for (std::size_t i = 0; i < read.blocks.size() && i < 8; ++i) {
        std::string_view path = read.blocks[i].path;
        CheckDelete(read, path);
        std::string_view::size_type slash = path.rfind('\\');
        if (slash != std::string_view::npos)
            CheckDelete(read, path.substr(0, slash));
    }
    return 0;
}

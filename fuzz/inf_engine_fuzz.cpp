// Arbitrary bytes as an INF file, patched with each of the four tables. The
// target checks what the rewrite promises and aborts when a promise breaks:
// the new file is text with CR LF line ends only; its lines without the
// inserted ones are the original lines, in order; every table line stands in
// its section afterwards; the inserted lines are exactly the missing ones,
// at the end of their sections; a second patch changes no byte.
#include "inf/inf_engine.h"
#include "inf/patch_tables.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Taken before the first input: the tables are constant-initialised.
const std::vector<PatchFile> g_freshTables(g_patchFiles, g_patchFiles + kPatchFileCount);

const char kCtrlZ = 26;

std::string g_folder;
std::string g_path;

[[noreturn]] void Broken(int table, const char* promise)
{
    std::fprintf(stderr, "table %d: %s\n", table, promise);
    std::abort();
}

void WriteWhole(const std::string& path, const std::string& bytes)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

std::string ReadWhole(const std::string& path)
{
    std::string bytes;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        std::perror(path.c_str());
        std::abort();
    }
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        bytes.append(chunk, got);
    std::fclose(in);
    return bytes;
}

// The lines a text stream reads: the first Ctrl-Z ends the text, CR LF ends
// a line, a lone CR stays in its line, and a last piece without a line feed
// is a line when it is not empty. Written apart from the engine's own
// reading on purpose.
std::vector<std::string> TextLines(std::string bytes)
{
    std::string::size_type stop = bytes.find(kCtrlZ);
    if (stop != std::string::npos)
        bytes.resize(stop);
    std::vector<std::string> lines;
    std::string line;
    for (std::string::size_type i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        if (bytes[i] == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(bytes[i]);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::string Normalised(const std::string& line)
{
    std::string out;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = true;
        if (c != ' ' || quoted)
            out.push_back(c);
    }
    return out;
}

struct Section {
    int header;  // line index
    int end;     // the line that ends it: the next header, or the line count
};

// Lines with their normalised forms and sections, each worked out once.
struct Lines {
    std::vector<std::string> text, normalised;
    std::vector<Section> sections;

    explicit Lines(std::vector<std::string> lines) : text(std::move(lines))
    {
        for (const std::string& line : text)
            normalised.push_back(Normalised(line));
        for (int i = 0; i < static_cast<int>(text.size()); ++i) {
            const std::string& n = normalised[i];
            if (n.size() >= 2 && n.front() == '[' && n.back() == ']') {
                if (!sections.empty())
                    sections.back().end = i;
                sections.push_back({i, static_cast<int>(text.size())});
            }
        }
    }

    bool Holds(const Section& section, const char* item) const
    {
        for (int j = section.header + 1; j < section.end; ++j) {
            if (normalised[j] == item)
                return true;
        }
        return false;
    }
};

// The lines the rewrite must give: the missing items of a section the file
// holds go ahead of the line that ends its last occurrence, in table order;
// a section the file lacks follows at the end, header first.
std::vector<std::string> ExpectedLines(const Lines& lines, const PatchFile& file)
{
    std::map<int, std::vector<std::string>> insertions;
    std::vector<std::string> tail;
    for (int s = 0; s < file.sectionCount; ++s) {
        const PatchSection& table = file.sections[s];
        std::vector<const Section*> found;
        for (const Section& section : lines.sections) {
            if (lines.normalised[section.header] == table.header)
                found.push_back(&section);
        }
        if (found.empty()) {
            if (table.itemCount > 0)
                tail.push_back(table.header);
            for (int i = 0; i < table.itemCount; ++i)
                tail.push_back(table.items[i].text);
            continue;
        }
        for (int i = 0; i < table.itemCount; ++i) {
            bool present = std::any_of(found.begin(), found.end(), [&](const Section* section) {
                return lines.Holds(*section, table.items[i].text);
            });
            if (!present)
                insertions[found.back()->end].push_back(table.items[i].text);
        }
    }
    std::vector<std::string> expected;
    int count = static_cast<int>(lines.text.size());
    for (int j = 0; j <= count; ++j) {
        auto at = insertions.find(j);
        if (at != insertions.end())
            expected.insert(expected.end(), at->second.begin(), at->second.end());
        if (j < count)
            expected.push_back(lines.text[j]);
    }
    expected.insert(expected.end(), tail.begin(), tail.end());
    return expected;
}

bool IsTableLine(const PatchFile& file, const std::string& line)
{
    for (int s = 0; s < file.sectionCount; ++s) {
        if (line == file.sections[s].header)
            return true;
        for (int i = 0; i < file.sections[s].itemCount; ++i) {
            if (line == file.sections[s].items[i].text)
                return true;
        }
    }
    return false;
}

std::string Patched(const std::string& bytes, int table)
{
    std::copy(g_freshTables.begin(), g_freshTables.end(), g_patchFiles);
    WriteWhole(g_path, bytes);
    LoadInfFile(g_path.c_str());
    MatchSections(table);
    SaveInfFile(g_path.c_str(), table);
    return ReadWhole(g_path);
}

void CheckTable(const std::string& input, int table)
{
    const PatchFile& file = g_freshTables[table];
    std::string output = Patched(input, table);

    // Text with CR LF line ends only, each line ended.
    if (output.find(kCtrlZ) != std::string::npos)
        Broken(table, "a Ctrl-Z was written");
    std::vector<std::string> written;
    std::string::size_type start = 0, lf;
    while ((lf = output.find('\n', start)) != std::string::npos) {
        if (lf == start || output[lf - 1] != '\r')
            Broken(table, "a line feed without its carriage return");
        written.push_back(output.substr(start, lf - 1 - start));
        start = lf + 1;
    }
    if (start != output.size())
        Broken(table, "the last line has no line end");

    // The original lines, unchanged and in order, once the inserted table
    // lines are taken out.
    std::vector<std::string> original = TextLines(input);
    std::size_t kept = 0;
    for (const std::string& line : written) {
        if (kept < original.size() && line == original[kept])
            ++kept;
        else if (!IsTableLine(file, line))
            Broken(table, "a line that is neither the file's nor the table's");
    }
    if (kept != original.size())
        Broken(table, "an original line was lost or changed");

    // Every table line in its section.
    Lines after(written);
    for (int s = 0; s < file.sectionCount; ++s) {
        const PatchSection& tableSection = file.sections[s];
        for (int i = 0; i < tableSection.itemCount; ++i) {
            bool present = std::any_of(after.sections.begin(), after.sections.end(), [&](const Section& section) {
                return after.normalised[section.header] == tableSection.header &&
                       after.Holds(section, tableSection.items[i].text);
            });
            if (!present)
                Broken(table, "a table line is not in its section");
        }
    }

    // Nothing inserted but the missing lines, each where it belongs.
    if (written != ExpectedLines(Lines(original), file))
        Broken(table, "the inserted lines are not the missing ones at the ends of their sections");

    if (Patched(output, table) != output)
        Broken(table, "a second patch changed the file");
}

void RemoveScratch()
{
    unlink(g_path.c_str());
    rmdir(g_folder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Memory-backed when we can: every patch flushes the file to the disk.
    struct stat info;
    const char* base = std::getenv("TMPDIR");
    if (stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) && access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/brennick-fuzz-XXXXXX";
    if (!mkdtemp(&pattern[0])) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_folder = pattern;
    g_path = g_folder + "/test.inf";
    std::atexit(RemoveScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    for (int table = 0; table < kPatchFileCount; ++table)
        CheckTable(input, table);
    return 0;
}

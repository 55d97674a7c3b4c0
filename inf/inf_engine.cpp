#include "inf/inf_engine.h"

#include "inf/patch_tables.h"
#include "platform/textfile.h"
#include "win32api.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

InfText g_infText;

namespace {

const char kErrorCaption[] = "Error Message";
const char kFileOpenError[] = "File Open Error !";
const char kFileWriteError[] = "File Write Error !";

// The normalised form of a line is the line without the blanks ahead of its
// first double quote. Rather than building it, we walk the line and skip
// those blanks.
struct NormalisedWalk {
    std::string_view line;
    std::string_view::size_type at = 0;
    bool quoted = false;

    bool Next(char& c)
    {
        while (at < line.size()) {
            char here = line[at++];
            if (here == ' ' && !quoted)
                continue;
            if (here == '"')
                quoted = true;
            c = here;
            return true;
        }
        return false;
    }
};

bool SectionInFile(const char* header)
{
    const InfText& inf = g_infText;
    for (int k = 0; k < inf.sectionCount; ++k) {
        if (LinesEqual(header, inf.lines[inf.sectionStart[k]]))
            return true;
    }
    return false;
}

PatchItem* ItemAt(int n, int table)
{
    PatchFile& file = g_patchFiles[table];
    if (n < 0)
        return nullptr;
    for (int s = 0; s < file.sectionCount; ++s) {
        PatchSection& section = file.sections[s];
        if (n < section.itemCount)
            return &section.items[n];
        n -= section.itemCount;
    }
    return nullptr;
}

void ReleaseInfText()
{
    InfText& inf = g_infText;
    std::string().swap(inf.buffer);
    std::vector<std::string_view>().swap(inf.lines);
    std::vector<int>().swap(inf.sectionStart);
    std::string().swap(inf.stream);
    inf.lineCount = 0;
    inf.sectionCount = 0;
}

}  // namespace

void ShowErrorBox(const char* text)
{
    MessageBoxA(NULL, text, kErrorCaption, MB_SYSTEMMODAL | MB_ICONWARNING);
}

void EndOnFileError(FileStatus status)
{
    if (status == FileStatus::ok)
        return;
    ShowErrorBox(status == FileStatus::writeFailed ? kFileWriteError : kFileOpenError);
    std::exit(0);
}

void CompressLine(char* text)
{
    char* to = text;
    bool quoted = false;
    for (char* from = text; *from; ++from) {
        if (*from == '"')
            quoted = true;
        if (*from == ' ' && !quoted)
            continue;
        *to++ = *from;
    }
    *to = '\0';
}

bool LinesEqual(const char* tableText, std::string_view fileLine)
{
    NormalisedWalk walk{fileLine};
    char c;
    while (walk.Next(c)) {
        // A zero byte in the file line must not match the table text's end.
        if (*tableText == '\0' || *tableText != c)
            return false;
        ++tableText;
    }
    return *tableText == '\0';
}

bool IsSectionHeader(std::string_view line)
{
    NormalisedWalk walk{line};
    char c;
    if (!walk.Next(c) || c != '[')
        return false;
    char last = c;
    bool more = false;
    while (walk.Next(c)) {
        last = c;
        more = true;
    }
    return more && last == ']';
}

int LoadInfFile(const char* path)
{
    ReleaseInfText();
    InfText& inf = g_infText;

    EndOnFileError(ReadTextFile(path, inf.buffer));

    // A final piece without a line feed is a line only when it is not empty.
    std::size_t size = inf.buffer.size();
    char* text = &inf.buffer[0];
    char* start = text;
    char* stop = text + size;
    inf.lines.reserve(size / 32 + 1);
    while (start < stop) {
        char* lf = static_cast<char*>(std::memchr(start, '\n', static_cast<std::size_t>(stop - start)));
        if (!lf) {
            inf.lines.emplace_back(start, static_cast<std::size_t>(stop - start));
            break;
        }
        *lf = '\0';
        inf.lines.emplace_back(start, static_cast<std::size_t>(lf - start));
        start = lf + 1;
    }
    inf.lineCount = static_cast<int>(inf.lines.size());

    for (int i = 0; i < inf.lineCount; ++i) {
        if (IsSectionHeader(inf.lines[i]))
            inf.sectionStart.push_back(i);
    }
    inf.sectionCount = static_cast<int>(inf.sectionStart.size());
    inf.sectionStart.push_back(inf.lineCount);
    return inf.lineCount;
}

void MatchSections(int table)
{
    const InfText& inf = g_infText;
    PatchFile& file = g_patchFiles[table];
    for (int s = 0; s < file.sectionCount; ++s) {
        PatchSection& section = file.sections[s];
        for (int k = 0; k < inf.sectionCount; ++k) {
            if (!LinesEqual(section.header, inf.lines[inf.sectionStart[k]]))
                continue;
            for (int i = 0; i < section.itemCount; ++i)
                section.items[i].insertAt = inf.sectionStart[k + 1];
            for (int j = inf.sectionStart[k] + 1; j < inf.sectionStart[k + 1]; ++j) {
                for (int i = 0; i < section.itemCount; ++i) {
                    if (LinesEqual(section.items[i].text, inf.lines[j]))
                        section.items[i].pending = 0;
                }
            }
        }
    }
}

int NextInsertLine(int n, int table)
{
    const PatchItem* item = ItemAt(n, table);
    return item ? item->insertAt : -1;
}

void WriteItem(int n, int table)
{
    const PatchItem* item = ItemAt(n, table);
    if (item && item->pending)
        AppendTextLine(g_infText.stream, item->text);
}

void SaveInfFile(const char* path, int table)
{
    InfText& inf = g_infText;
    const PatchFile& file = g_patchFiles[table];

    // The items of the sections the file holds, by insertion line; the sort
    // is stable, so each section's items keep their table order, and when
    // the file's sections stand in table order this is the table order.
    std::vector<std::pair<int, int>> order;
    std::vector<bool> present(file.sectionCount);
    int n = 0;
    for (int s = 0; s < file.sectionCount; ++s) {
        present[s] = SectionInFile(file.sections[s].header);
        for (int i = 0; i < file.sections[s].itemCount; ++i, ++n) {
            if (present[s])
                order.emplace_back(NextInsertLine(n, table), n);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const std::pair<int, int>& a, const std::pair<int, int>& b) {
                         return a.first < b.first;
                     });

    inf.stream.clear();
    inf.stream.reserve(inf.buffer.size() + 2 * inf.lines.size() + 8192);
    std::size_t next = 0;
    for (int j = 0; j <= inf.lineCount; ++j) {
        while (next < order.size() && order[next].first == j)
            WriteItem(order[next++].second, table);
        if (j < inf.lineCount)
            AppendTextLine(inf.stream, inf.lines[j]);
    }

    // Sections the file lacks are added at its end, header first.
    for (int s = 0; s < file.sectionCount; ++s) {
        const PatchSection& section = file.sections[s];
        bool anyPending = false;
        for (int i = 0; i < section.itemCount; ++i)
            anyPending = anyPending || section.items[i].pending;
        if (present[s] || !anyPending)
            continue;
        AppendTextLine(inf.stream, section.header);
        for (int i = 0; i < section.itemCount; ++i) {
            if (section.items[i].pending)
                AppendTextLine(inf.stream, section.items[i].text);
        }
    }

    FileStatus status = ReplaceFileBytes(path, inf.stream);
    ReleaseInfText();
    EndOnFileError(status);
}

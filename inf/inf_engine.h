// Makes sure that given lines stand in given sections of an INF file without
// touching any line that is already there: the file is loaded as lines, the
// table lines each section holds are found, and the file is written back
// with the missing lines at the end of their sections.
#pragma once

#include "platform/files.h"

#include <string>
#include <string_view>
#include <vector>

struct InfText {
    std::string buffer;                    // the text as read, line feeds made zero bytes
    std::vector<std::string_view> lines;   // each line, without its line end
    int lineCount;
    std::vector<int> sectionStart;         // header line indices, then one entry of lineCount
    int sectionCount;
    std::string stream;                    // the file's new bytes, line ends as written
};

// The one loaded file.
extern InfText g_infText;

// Removes every blank that stands ahead of the first double quote.
void CompressLine(char* text);

// True when tableText equals the normalised form of fileLine exactly.
bool LinesEqual(const char* tableText, std::string_view fileLine);

// True when the normalised line begins with "[" and ends with "]".
bool IsSectionHeader(std::string_view line);

int LoadInfFile(const char* path);
void MatchSections(int table);
int NextInsertLine(int n, int table);
void WriteItem(int n, int table);
void SaveInfFile(const char* path, int table);

// The program's error report: a system-modal warning box, "Error Message".
void ShowErrorBox(const char* text);

// Shows the error box for a failed file access ("File Open Error !" or
// "File Write Error !") and ends the process with exit code 0; returns only
// when the access succeeded.
void EndOnFileError(FileStatus status);

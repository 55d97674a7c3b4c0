// Small helpers shared by the tests: scratch folders, whole-file access,
// recorded message boxes and fresh patch tables.
#pragma once

#include <map>
#include <string>
#include <vector>

// A fresh folder below the system's temporary folder, removed at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
std::vector<std::string> ListFolder(const std::string& path);  // names, sorted

// Every file below the folder by relative path, with its bytes, and every
// folder as "name/"; .gitattributes is left out (it belongs to the repo).
std::map<std::string, std::string> FolderSnapshot(const std::string& folder);

// Text with LF line ends made CR LF, for writing fixtures readably.
std::string Crlf(const std::string& text);

// Records every message box as "Caption: text" while it lives; with `echo`
// also writes each to standard error, so that a death test can match it.
class BoxRecorder {
public:
    explicit BoxRecorder(bool echo = false);
    ~BoxRecorder();
    std::vector<std::string> boxes;
    std::vector<unsigned> types;
};

// Puts the patch tables back to their state at program start.
void ResetPatchTables();

// Patches the file with one table the way the run does.
void PatchWithTable(const std::string& path, int table);

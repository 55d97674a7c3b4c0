#include "tests/test_support.h"

#include "inf/inf_engine.h"
#include "inf/patch_tables.h"
#include "platform/host/host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Taken before any test runs: the tables are constant-initialised.
const std::vector<PatchFile> g_initialTables(g_patchFiles, g_patchFiles + kPatchFileCount);

void RemoveTree(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode)) {
        chmod(path.c_str(), 0755);
        for (const std::string& name : ListFolder(path))
            RemoveTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

}  // namespace

ScratchDir::ScratchDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/brennick-test-XXXXXX";
    if (!mkdtemp(&pattern[0]))
        throw std::runtime_error("cannot create a scratch folder");
    m_path = pattern;
}

ScratchDir::~ScratchDir()
{
    RemoveTree(m_path);
}

// In large pieces: some fixtures are megabytes and the sanitizer build is slow.
std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char piece[1 << 16];
        std::size_t got;
        while ((got = std::fread(piece, 1, sizeof piece, file)) > 0)
            bytes.append(piece, got);
        std::fclose(file);
    }
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> ListFolder(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (struct dirent* entry = readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back(entry->d_name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::map<std::string, std::string> FolderSnapshot(const std::string& folder)
{
    std::map<std::string, std::string> files;
    std::vector<std::pair<std::string, std::string>> pending = {{folder, ""}};
    while (!pending.empty()) {
        auto [path, prefix] = pending.back();
        pending.pop_back();
        for (const std::string& name : ListFolder(path)) {
            std::string full = path + "/" + name;
            struct stat info;
            if (lstat(full.c_str(), &info) != 0)
                continue;
            if (S_ISDIR(info.st_mode)) {
                files[prefix + name + "/"] = "";
                pending.push_back({full, prefix + name + "/"});
            } else if (name != ".gitattributes") {
                files[prefix + name] = ReadBytes(full);
            }
        }
    }
    return files;
}

std::string Crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

BoxRecorder::BoxRecorder(bool echo)
{
    SetMessageBoxHook([this, echo](const char* text, const char* caption, unsigned type) {
        boxes.push_back(std::string(caption) + ": " + text);
        types.push_back(type);
        if (echo) {
            std::fprintf(stderr, "%s: %s\n", caption, text);
            std::fflush(stderr);
        }
        return 1;
    });
}

BoxRecorder::~BoxRecorder()
{
    SetMessageBoxHook(nullptr);
}

void ResetPatchTables()
{
    std::copy(g_initialTables.begin(), g_initialTables.end(), g_patchFiles);
}

void PatchWithTable(const std::string& path, int table)
{
    LoadInfFile(path.c_str());
    MatchSections(table);
    SaveInfFile(path.c_str(), table);
}

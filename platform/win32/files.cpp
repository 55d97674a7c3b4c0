// Whole-file access with the calls Windows 95 has. Windows 95 cannot replace
// a file in one step (no MoveFileEx, no ReplaceFile), so the new bytes go to
// a temporary file beside the target and reach the disk first; then the old
// file is deleted and the temporary one renamed. Between the two the complete
// new copy stands under the temporary name.
#include "platform/files.h"
#include "win32api.h"

#include <string>

namespace {

const DWORD kChunk = 64 * 1024;

// The folder part of a path, for the temporary file: the target's own
// folder, so that the rename stays on one drive.
std::string FolderOf(const char* path)
{
    std::string text(path);
    std::string::size_type cut = text.find_last_of("\\/");
    if (cut == std::string::npos) {
        if (text.size() >= 2 && text[1] == ':')
            return text.substr(0, 2);
        return ".";
    }
    if (cut == 0 || (cut == 2 && text[1] == ':'))
        return text.substr(0, cut + 1);
    return text.substr(0, cut);
}

bool IsPlainFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

HANDLE OpenForReading(const char* path)
{
    if (!IsPlainFile(GetFileAttributesA(path)))
        return INVALID_HANDLE_VALUE;
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

bool WriteAll(HANDLE file, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD length = kChunk;
        if (bytes.size() - done < length)
            length = static_cast<DWORD>(bytes.size() - done);
        DWORD written = 0;
        // A full disk shows as a short write, not always as an error.
        if (!WriteFile(file, bytes.data() + done, length, &written, NULL) || written != length)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

FileStatus ReadFileBytes(const char* path, std::string& bytes)
{
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE)
        return FileStatus::openFailed;
    DWORD size = GetFileSize(file, NULL);
    bytes.clear();
    if (size != INVALID_FILE_SIZE)
        bytes.reserve(size);
    // Read to the end rather than to the size: a file that grew meanwhile is
    // read on.
    std::string chunk(kChunk, '\0');
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, &chunk[0], kChunk, &got, NULL)) {
            CloseHandle(file);
            return FileStatus::readFailed;
        }
        if (got == 0)
            break;
        bytes.append(chunk.data(), got);
    }
    CloseHandle(file);
    return FileStatus::ok;
}

bool FileOpensForReading(const char* path)
{
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

FileStatus ReplaceFileBytes(const char* path, std::string_view bytes)
{
    DWORD attributes = GetFileAttributesA(path);
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists) {
        if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
            return FileStatus::openFailed;
        // A file another program holds open cannot be rewritten; find that
        // out before anything is written.
        HANDLE probe = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
        if (probe == INVALID_HANDLE_VALUE)
            return FileStatus::openFailed;
        CloseHandle(probe);
    }

    char temp[MAX_PATH];
    if (GetTempFileNameA(FolderOf(path).c_str(), "brk", 0, temp) == 0)
        return FileStatus::openFailed;
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temp);
        return FileStatus::openFailed;
    }
    bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
    if (!CloseHandle(file))
        written = false;
    if (!written) {
        DeleteFileA(temp);
        return FileStatus::writeFailed;
    }

    if (exists && !DeleteFileA(path)) {
        DeleteFileA(temp);
        return FileStatus::writeFailed;
    }
    if (!MoveFileA(temp, path)) {
        // The old file is gone; the temporary file is now the only complete
        // copy, so it stays where it is.
        return FileStatus::writeFailed;
    }
    // A hidden or system file stays so; like any changed file it is marked
    // for backup.
    DWORD kept = exists ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) : 0;
    if (kept)
        SetFileAttributesA(path, kept | FILE_ATTRIBUTE_ARCHIVE);
    return FileStatus::ok;
}

#include "platform/files.h"
#include "platform/host/host.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::size_t kWriteChunk = 64 * 1024;

WriteHook g_writeHook;
ReadHook g_readHook;

std::string FolderOf(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::size_t length = bytes.size() - done;
        if (length > kWriteChunk)
            length = kWriteChunk;
        if (g_writeHook) {
            std::size_t allowed = g_writeHook(done, length);
            if (allowed < length) {
                if (allowed > 0 && write(fd, bytes.data() + done, allowed) < 0)
                    return false;
                errno = ENOSPC;
                return false;
            }
        }
        ssize_t written = write(fd, bytes.data() + done, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void SyncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

void SetWriteHook(WriteHook hook)
{
    g_writeHook = std::move(hook);
}

void SetReadHook(ReadHook hook)
{
    g_readHook = std::move(hook);
}

FileStatus ReadFileBytes(const char* path, std::string& bytes)
{
    std::string real = HostPath(path);
    int fd = open(real.c_str(), O_RDONLY);
    if (fd < 0)
        return FileStatus::openFailed;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return FileStatus::openFailed;
    }
    // Straight into the string; a file that grew meanwhile is read on.
    std::size_t size = 0;
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    for (;;) {
        if (size == bytes.size())
            bytes.resize(bytes.size() * 2);
        if (g_readHook && !g_readHook(size)) {
            close(fd);
            return FileStatus::readFailed;
        }
        ssize_t got = read(fd, &bytes[size], bytes.size() - size);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            close(fd);
            return FileStatus::readFailed;
        }
        size += static_cast<std::size_t>(got);
    }
    bytes.resize(size);
    close(fd);
    return FileStatus::ok;
}

bool FileOpensForReading(const char* path)
{
    std::string real = HostPath(path);
    int fd = open(real.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    struct stat info;
    bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    close(fd);
    return regular;
}

FileStatus ReplaceFileBytes(const char* path, std::string_view bytes)
{
    std::string real = HostPath(path);
    mode_t mode = 0644;
    struct stat info;
    if (stat(real.c_str(), &info) == 0) {
        // A file without any write bit is read-only, as the read-only
        // attribute makes it on Windows, even for root.
        if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0)
            return FileStatus::openFailed;
        int probe = open(real.c_str(), O_WRONLY);
        if (probe < 0)
            return FileStatus::openFailed;
        close(probe);
        mode = info.st_mode & 07777;
    } else if (errno != ENOENT) {
        return FileStatus::openFailed;
    }

    std::string folder = FolderOf(real);
    std::string temp = real + ".~XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0)
        return FileStatus::openFailed;
    fchmod(fd, mode);

    bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    if (close(fd) != 0)
        written = false;
    if (!written || rename(temp.c_str(), real.c_str()) != 0) {
        unlink(temp.c_str());
        return FileStatus::writeFailed;
    }
    SyncFolder(folder);
    return FileStatus::ok;
}

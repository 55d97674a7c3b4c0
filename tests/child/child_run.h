// For the crash, fault and bad-machine tests: parts of a test that must run
// in a process of their own, because the process dies (SIGKILL at a chosen
// moment) or ends (the exit after "File Open Error !"), and a small machine
// folder to run them on. Header only: the test binary builds every
// *_test.cpp and nothing else from here.
#pragma once

#include "platform/host/host.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// How a child ended, and what it showed.
struct ChildEnd {
    bool killed = false;    // by SIGKILL
    bool returned = false;  // the body ran to its end
    int exitCode = -1;      // when it called exit: the code
    int signal = 0;         // when another signal ended it
    std::vector<std::string> boxes;  // "Caption: text", in order
    bool restart = false;            // ExitWindowsEx was called
};

inline std::ostream& operator<<(std::ostream& out, const ChildEnd& end)
{
    out << (end.killed ? "killed" : end.returned ? "returned" : end.signal ? "signalled" : "exited");
    if (end.exitCode >= 0)
        out << " with " << end.exitCode;
    if (end.signal)
        out << " by signal " << end.signal;
    for (const std::string& box : end.boxes)
        out << "; box " << box;
    if (end.restart)
        out << "; restart requested";
    return out;
}

// The file's bytes in large reads: the machines here hold files of many
// megabytes, and the tests also run unoptimised under the sanitizers.
inline std::string ReadWhole(const std::string& path)
{
    std::string bytes;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        std::vector<char> chunk(1 << 20);
        std::size_t got;
        while ((got = std::fread(chunk.data(), 1, chunk.size(), in)) > 0)
            bytes.append(chunk.data(), got);
        std::fclose(in);
    }
    return bytes;
}

namespace child_run {

const int kReturned = 99;

// The child's log: one line per box, a last line when a restart was asked
// for. Each line is written at once, so that a kill loses none.
inline std::string& LogPath()
{
    static std::string path;
    return path;
}

inline void Append(const std::string& line)
{
    if (FILE* log = std::fopen(LogPath().c_str(), "a")) {
        std::fputs((line + "\n").c_str(), log);
        std::fclose(log);
    }
}

inline void NoteRestart()
{
    if (RestartRequested())
        Append("restart");
}

}  // namespace child_run

// Runs `body` in a forked child with the message boxes recorded. With
// `killAfterMicroseconds`, the parent kills the child that long after the
// fork (if it still runs). Output the parent had buffered is flushed first
// so that the child does not print it again.
inline ChildEnd RunInChild(const std::string& scratch, const std::function<void()>& body,
                           long killAfterMicroseconds = -1)
{
    std::string log = scratch + "/child.log";
    unlink(log.c_str());
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return {};
    }
    if (pid == 0) {
        child_run::LogPath() = log;
        SetMessageBoxHook([](const char* text, const char* caption, unsigned) {
            child_run::Append(std::string(caption) + ": " + text);
            return 1;
        });
        ClearRestartRequest();
        std::atexit(child_run::NoteRestart);
        body();
        child_run::NoteRestart();
        std::fflush(nullptr);
        _exit(child_run::kReturned);
    }
    if (killAfterMicroseconds >= 0) {
        usleep(static_cast<useconds_t>(killAfterMicroseconds));
        kill(pid, SIGKILL);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    ChildEnd end;
    if (WIFSIGNALED(status)) {
        end.killed = WTERMSIG(status) == SIGKILL;
        end.signal = end.killed ? 0 : WTERMSIG(status);
    } else if (WEXITSTATUS(status) == child_run::kReturned) {
        end.returned = true;
    } else {
        end.exitCode = WEXITSTATUS(status);
    }
    std::string text = ReadWhole(log);
    std::string::size_type start = 0, lf;
    while ((lf = text.find('\n', start)) != std::string::npos) {
        std::string line = text.substr(start, lf - start);
        if (line == "restart")
            end.restart = true;
        else
            end.boxes.push_back(line);
        start = lf + 1;
    }
    unlink(log.c_str());
    return end;
}

// A write hook that kills the process before the chunk that would pass
// `offset` bytes in the `file`-th replacement of the run (counting from 0;
// a replacement starts with a chunk at offset 0).
inline WriteHook KillAtWrite(int file, std::size_t offset)
{
    auto seen = std::make_shared<int>(-1);
    return [seen, file, offset](std::size_t at, std::size_t length) {
        if (at == 0)
            ++*seen;
        if (*seen == file && at + length > offset)
            raise(SIGKILL);
        return length;
    };
}

// A write hook that lets exactly `offset` bytes of the `file`-th
// replacement reach the disk, then fails as a full disk does.
inline WriteHook FailAtWrite(int file, std::size_t offset)
{
    auto seen = std::make_shared<int>(-1);
    return [seen, file, offset](std::size_t at, std::size_t length) -> std::size_t {
        if (at == 0)
            ++*seen;
        if (*seen == file && at + length > offset)
            return offset > at ? offset - at : 0;
        return length;
    };
}

// A simulated machine: registry.reg and C/WINDOWS/INF with the given files,
// named by WIN95_MACHINE while it lives.
class FixtureMachine {
public:
    FixtureMachine(const std::string& registry, const std::map<std::string, std::string>& infFiles)
    {
        WriteBytes(Registry(), registry);
        mkdir((m_dir / "C").c_str(), 0755);
        mkdir((m_dir / "C/WINDOWS").c_str(), 0755);
        mkdir(Inf().c_str(), 0755);
        for (const auto& file : infFiles)
            WriteBytes(Inf() + "/" + file.first, file.second);
        setenv("WIN95_MACHINE", m_dir.path().c_str(), 1);
    }
    ~FixtureMachine() { unsetenv("WIN95_MACHINE"); }
    FixtureMachine(const FixtureMachine&) = delete;
    FixtureMachine& operator=(const FixtureMachine&) = delete;

    const std::string& Root() const { return m_dir.path(); }
    std::string Registry() const { return m_dir / "registry.reg"; }
    std::string Inf() const { return m_dir / "C/WINDOWS/INF"; }
    std::string InfFile(const std::string& name) const { return Inf() + "/" + name; }

    // Every file of the machine with its bytes, the child's log left out.
    std::map<std::string, std::string> Snapshot() const
    {
        std::map<std::string, std::string> files;
        Walk(m_dir.path(), "", files);
        files.erase("child.log");
        return files;
    }

private:
    static void Walk(const std::string& folder, const std::string& prefix,
                     std::map<std::string, std::string>& files)
    {
        for (const std::string& name : ListFolder(folder)) {
            std::string path = folder + "/" + name;
            struct stat info;
            if (lstat(path.c_str(), &info) != 0)
                continue;
            if (S_ISDIR(info.st_mode))
                Walk(path, prefix + name + "/", files);
            else
                files[prefix + name] = ReadWhole(path);
        }
    }

    ScratchDir m_dir;
};

// A registry.reg for a Windows 95 machine whose INF folder is
// C:\WINDOWS\INF, with more key blocks after the version key.
inline std::string Win95Registry(const std::string& moreBlocks = "", const char* subVersion = " B")
{
    return Crlf(std::string("REGEDIT4\n\n") +
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
                "\"DevicePath\"=\"C:\\\\WINDOWS\\\\INF\"\n"
                "\"SubVersionNumber\"=\"" + subVersion + "\"\n\n" + moreBlocks);
}

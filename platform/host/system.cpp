// The machine-wide calls: version, current drive, error mode, restart.
#include "platform/files.h"
#include "platform/host/host.h"
#include "platform/host/machine.h"
#include "platform/host/win32api.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

const char kNtVersionKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

const char kMachineHelp[] =
    "A machine folder holds registry.reg, the machine's registry in REGEDIT4\n"
    "format, and one folder per drive named by its letter: C/ is drive C:,\n"
    "and a folder A/ means a readable disk is in drive A.\n";

bool g_restartRequested = false;
UINT g_errorMode = 0;
int g_currentDrive = 3;

[[noreturn]] void RefuseMachine(const std::string& what)
{
    std::fprintf(stderr, "brennick: %s\n%s", what.c_str(), kMachineHelp);
    std::exit(2);
}

bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string MachineRegistryPath()
{
    return MachineRoot() + "/registry.reg";
}

void LoadMachineRegistry(RegFile& registry)
{
    std::string root = MachineRoot();
    if (root.empty())
        RefuseMachine("WIN95_MACHINE is not set; it must name a machine folder.");
    if (!IsFolder(root))
        RefuseMachine("WIN95_MACHINE names " + root + ", which is not a folder.");
    std::string path = MachineRegistryPath();
    std::string bytes;
    if (ReadFileBytes(path.c_str(), bytes) != FileStatus::ok)
        RefuseMachine(root + " is not a machine folder: it has no readable registry.reg.");
    RegFile read;
    RegParseError error;
    if (!ParseRegFile(bytes, read, error)) {
        std::fprintf(stderr, "brennick: %s:%d: %s\n", path.c_str(), error.line, error.message.c_str());
        std::exit(2);
    }
    registry = std::move(read);
}

bool SaveMachineRegistry(const RegFile& registry)
{
    return ReplaceFileBytes(MachineRegistryPath().c_str(), WriteRegFile(registry)) == FileStatus::ok;
}

void RequireMachine()
{
    RegFile registry;
    LoadMachineRegistry(registry);
}

BOOL WINAPI GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return FALSE;
    ForgetMachineRegistry();
    bool nt = RegKeyExists(MachineRegistry(), kNtVersionKey);
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = nt ? 1381 : 950;
    info->dwPlatformId = nt ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS;
    info->szCSDVersion[0] = '\0';
    return TRUE;
}

// Drive 1 is A:. A drive is there when the machine has its folder.
int _chdrive(int drive)
{
    if (drive < 1 || drive > 26 || MachineRoot().empty())
        return -1;
    std::string path(1, static_cast<char>('A' + drive - 1));
    path += ":\\";
    if (!IsFolder(HostPath(path.c_str())))
        return -1;
    g_currentDrive = drive;
    return 0;
}

UINT WINAPI SetErrorMode(UINT mode)
{
    UINT previous = g_errorMode;
    g_errorMode = mode;
    return previous;
}

BOOL WINAPI ExitWindowsEx(UINT, DWORD)
{
    g_restartRequested = true;
    return TRUE;
}

bool RestartRequested()
{
    return g_restartRequested;
}

void ClearRestartRequest()
{
    g_restartRequested = false;
}

// The fixed sequence of one run, from the platform check to the restart.
#include "run/patch_run.h"

#include "inf/inf_engine.h"
#include "platform/files.h"
#include "win32api.h"

#include <cstring>

namespace {

const int kPathSize = 256;
const char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

const int kMshdcTable = 0;
const int kUsbTable = 3;
// Entry t is the file patched with table t.
const char* const g_infFileNames[] = {"mshdc.inf", "machine.inf", "machine.inf", "usb.inf"};

const char kNotWindows95[] = "Your System is not Windows 95 !";
const char kNoInfDirectory[] = "Cannot find the INF directory !";
const char kDiskCaption[] = "Warning";
const char kDiskInDriveA[] = "Drive A contains a disk. Remove it if necessary.";
const char kRestartCaption[] = "Restart";
const char kRestartNotice[] = "Brennick needs to restart your computer to complete setup.";

const UINT kNoticeStyle = MB_SYSTEMMODAL | MB_ICONINFORMATION;

// Reads a string value into `value` (kPathSize bytes); false when it is
// missing or does not fit.
bool QueryString(const char* name, char* value)
{
    std::memset(value, 0, kPathSize);
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kVersionKey, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = kPathSize;
    LONG result = RegQueryValueExA(key, name, NULL, NULL, reinterpret_cast<LPBYTE>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || size > static_cast<DWORD>(kPathSize))
        return false;
    // A string stored without its terminator must not run on.
    if (size == static_cast<DWORD>(kPathSize) && value[kPathSize - 1] != '\0')
        return false;
    return true;
}

// The INF folder with a backslash appended: the first folder DevicePath
// lists, short enough that the longest file name still fits behind it.
bool FindInfDirectory(char* directory)
{
    if (!QueryString("DevicePath", directory))
        return false;
    if (char* separator = std::strchr(directory, ';'))
        *separator = '\0';
    std::size_t length = std::strlen(directory);
    if (length == 0 || length + 1 + std::strlen("machine.inf") + 1 > static_cast<std::size_t>(kPathSize))
        return false;
    std::strcat(directory, "\\");
    return true;
}

// Table 2 for the releases whose sub-version letter is B or C, table 1
// for the others.
int MachineTable()
{
    char subVersion[kPathSize];
    if (!QueryString("SubVersionNumber", subVersion))
        std::strcpy(subVersion, "A");
    CompressLine(subVersion);
    return subVersion[0] == 'B' || subVersion[0] == 'C' ? 2 : 1;
}

void InfPath(const char* directory, int table, char* path)
{
    std::strcpy(path, directory);
    std::strcat(path, g_infFileNames[table]);
}

void PatchInf(const char* directory, int table)
{
    char path[kPathSize];
    InfPath(directory, table, path);
    LoadInfFile(path);
    MatchSections(table);
    SaveInfFile(path, table);
}

}  // namespace

void RunPatch()
{
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    if (version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) {
        ShowErrorBox(kNotWindows95);
        return;
    }

    char directory[kPathSize];
    if (!FindInfDirectory(directory)) {
        ShowErrorBox(kNoInfDirectory);
        return;
    }

    PatchInf(directory, kMshdcTable);
    PatchInf(directory, MachineTable());

    char usbPath[kPathSize];
    InfPath(directory, kUsbTable, usbPath);
    if (FileOpensForReading(usbPath))
        PatchInf(directory, kUsbTable);
    else
        WriteUsbInfTemplate(usbPath);

    DeleteIntelDeviceKeys();

    if (_chdrive(1) == 0)
        MessageBoxA(NULL, kDiskInDriveA, kDiskCaption, kNoticeStyle);
    MessageBoxA(NULL, kRestartNotice, kRestartCaption, kNoticeStyle);
    ExitWindowsEx(EWX_REBOOT, 0);
}

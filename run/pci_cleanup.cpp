// Removes the records of Intel PCI devices, so that Windows detects them
// again at the next start and installs them from the patched INF files.
#include "run/patch_run.h"

#include "win32api.h"

#include <cstring>

namespace {

const int kKeyNameSize = 260;
const int kMaxCollected = 10;
const char kIntelPrefix[] = "VEN_8086";

}  // namespace

bool IsIntelDeviceKey(const char* name)
{
    return std::strncmp(name, kIntelPrefix, 8) == 0;
}

void DeleteIntelDeviceKeys()
{
    // Names are collected first and deleted after the enumeration, so that
    // the indices stay valid. When there are more than fit, the pass is
    // repeated; a pass that deletes nothing ends it, so a key that cannot
    // be deleted cannot keep us here.
    for (;;) {
        HKEY key;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Enum\\PCI", &key) != ERROR_SUCCESS)
            return;

        char collected[kMaxCollected][kKeyNameSize];
        int count = 0;
        bool more = false;
        char name[kKeyNameSize];
        for (DWORD index = 0;; ++index) {
            LONG result = RegEnumKeyA(key, index, name, kKeyNameSize);
            if (result == ERROR_MORE_DATA)
                continue;  // a name too long for any device record: pass it by
            if (result != ERROR_SUCCESS)
                break;
            if (!IsIntelDeviceKey(name))
                continue;
            if (count < kMaxCollected)
                std::memcpy(collected[count++], name, std::strlen(name) + 1);
            else
                more = true;
        }

        int deleted = 0;
        for (int i = 0; i < count; ++i) {
            if (RegDeleteKeyA(key, collected[i]) == ERROR_SUCCESS)
                ++deleted;
        }
        RegCloseKey(key);
        if (!more || deleted == 0)
            return;
    }
}

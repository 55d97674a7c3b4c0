// The registry calls against the simulated machine's registry.reg. The file
// is read when a key is opened and kept while keys are open; every change is
// written back at once, through the same safe replacement as every file.
#include "platform/files.h"
#include "platform/host/host.h"
#include "platform/host/machine.h"
#include "platform/host/regfile.h"
#include "platform/host/win32api.h"

#include <cstring>
#include <string>
#include <vector>

struct HKEY__ {
    std::string path;
    std::vector<std::string> subkeys;  // taken when enumeration starts
    int subkeysTaken = -1;             // the registry's generation they were taken at
};

namespace {

RegFile g_registry;
bool g_registryLoaded = false;
int g_generation = 0;
int g_openKeys = 0;

struct RootKey {
    HKEY key;
    const char* name;
};

const RootKey g_rootKeys[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},   {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"}, {HKEY_USERS, "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"}, {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
};

const char* RootName(HKEY key)
{
    for (const RootKey& root : g_rootKeys) {
        if (root.key == key)
            return root.name;
    }
    return nullptr;
}

// The full path of `key`, or false when it is no key at all.
bool KeyPath(HKEY key, std::string& path)
{
    if (const char* root = RootName(key)) {
        path = root;
        return true;
    }
    if (!key)
        return false;
    path = key->path;
    return true;
}

bool SubPath(HKEY key, LPCSTR subKey, std::string& path)
{
    if (!KeyPath(key, path))
        return false;
    if (subKey && *subKey)
        path += std::string("\\") + subKey;
    return true;
}

bool KeyExists(const std::string& path)
{
    return path.find('\\') == std::string::npos || RegKeyExists(g_registry, path);
}

void UseRegistry()
{
    if (!g_registryLoaded) {
        LoadMachineRegistry(g_registry);
        g_registryLoaded = true;
        ++g_generation;
    }
}

}  // namespace

const RegFile& MachineRegistry()
{
    UseRegistry();
    return g_registry;
}

void ForgetMachineRegistry()
{
    if (g_openKeys == 0)
        g_registryLoaded = false;
}

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_HANDLE;
    *result = nullptr;
    std::string path;
    if (!SubPath(key, subKey, path))
        return ERROR_INVALID_HANDLE;
    if (g_openKeys == 0)
        g_registryLoaded = false;  // someone may have changed the file since
    UseRegistry();
    if (!KeyExists(path))
        return ERROR_FILE_NOT_FOUND;
    HKEY opened = new HKEY__;
    opened->path = path;
    *result = opened;
    ++g_openKeys;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key)
{
    if (RootName(key))
        return ERROR_SUCCESS;
    if (!key)
        return ERROR_INVALID_HANDLE;
    delete key;
    --g_openKeys;
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize)
{
    std::string path;
    if (!KeyPath(key, path))
        return ERROR_INVALID_HANDLE;
    UseRegistry();
    const RegValue* value = RegFindValue(g_registry, path, name ? name : "");
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;

    bool isString = value->type == REG_SZ || value->type == REG_EXPAND_SZ;
    DWORD needed = static_cast<DWORD>(value->data.size() + (isString ? 1 : 0));
    if (!dataSize)
        return data ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
    if (!data) {
        *dataSize = needed;
        return ERROR_SUCCESS;
    }
    if (*dataSize < needed) {
        *dataSize = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, value->data.data(), value->data.size());
    if (isString)
        data[value->data.size()] = 0;
    *dataSize = needed;
    return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize)
{
    std::string path;
    if (!KeyPath(key, path) || !name)
        return ERROR_INVALID_HANDLE;
    UseRegistry();
    std::vector<std::string> rootSubkeys;
    std::vector<std::string>* subkeys = &rootSubkeys;
    if (RootName(key)) {
        rootSubkeys = RegSubkeyNames(g_registry, path);
    } else {
        if (key->subkeysTaken != g_generation) {
            key->subkeys = RegSubkeyNames(g_registry, path);
            key->subkeysTaken = g_generation;
        }
        subkeys = &key->subkeys;
    }
    if (index >= subkeys->size())
        return ERROR_NO_MORE_ITEMS;
    const std::string& found = (*subkeys)[index];
    if (found.size() + 1 > nameSize)
        return ERROR_MORE_DATA;
    std::memcpy(name, found.c_str(), found.size() + 1);
    return ERROR_SUCCESS;
}

// As on Windows 95: the key goes with every key below it.
LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey)
{
    std::string path;
    if (!subKey || !*subKey || !SubPath(key, subKey, path))
        return ERROR_INVALID_HANDLE;
    UseRegistry();
    if (path.find('\\') == std::string::npos || !RegKeyExists(g_registry, path))
        return ERROR_FILE_NOT_FOUND;
    RegDeleteTree(g_registry, path);
    ++g_generation;
    if (!SaveMachineRegistry(g_registry)) {
        // What is on disk is what counts: take it back.
        LoadMachineRegistry(g_registry);
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

#include "platform/host/host.h"

#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <vector>

namespace {

bool SameIgnoringCase(const std::string& a, const char* b)
{
    std::string::size_type i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

// The entry of `folder` spelled like `name` but for letter case; the exact
// spelling wins when both exist.
std::string FindEntry(const std::string& folder, const std::string& name)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return name;
    std::string found;
    while (struct dirent* entry = readdir(dir)) {
        if (name == entry->d_name) {
            found = name;
            break;
        }
        if (found.empty() && SameIgnoringCase(name, entry->d_name))
            found = entry->d_name;
    }
    closedir(dir);
    return found.empty() ? name : found;
}

std::vector<std::string> Components(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

}  // namespace

std::string MachineRoot()
{
    const char* root = std::getenv("WIN95_MACHINE");
    return root ? std::string(root) : std::string();
}

std::string HostPath(const char* path)
{
    std::string root = MachineRoot();
    std::string given(path);
    if (root.empty() || given.size() < 2 || given[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(given[0])))
        return given;

    std::string drive(1, static_cast<char>(std::toupper(static_cast<unsigned char>(given[0]))));
    std::vector<std::string> resolved;
    for (const std::string& part : Components(given.substr(2))) {
        if (part == ".")
            continue;
        if (part == "..") {
            // Never climbs out of the drive's folder.
            if (!resolved.empty())
                resolved.pop_back();
            continue;
        }
        resolved.push_back(part);
    }
    std::string real = root + "/" + FindEntry(root, drive);
    for (const std::string& part : resolved)
        real += "/" + FindEntry(real, part);
    return real;
}

// One run of the utility, from the platform check to the restart request.
#pragma once

// Checks the platform, patches the three INF files of the INF folder,
// removes the Intel PCI device records and asks Windows to restart. Returns
// at once, with nothing changed, when the platform check fails or the INF
// folder is unknown.
void RunPatch();

// Creates usb.inf (or replaces the file at `path`) from the built-in template.
void WriteUsbInfTemplate(const char* path);

// True when the key name begins with "VEN_8086", letter case as written.
bool IsIntelDeviceKey(const char* name);

// Deletes every HKLM\Enum\PCI subkey of vendor 8086 with all keys below it.
void DeleteIntelDeviceKeys();

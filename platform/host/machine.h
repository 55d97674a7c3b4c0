// The simulated machine behind the host backend.
#pragma once

#include "platform/host/regfile.h"

#include <string>

// The path of the machine's registry.reg.
std::string MachineRegistryPath();

// Reads registry.reg; a machine that has none, or one that does not parse,
// ends the process with exit code 2 and a message on standard error.
void LoadMachineRegistry(RegFile& registry);

// Writes the registry back in place of registry.reg; false when that failed
// (the file on disk is then unchanged).
bool SaveMachineRegistry(const RegFile& registry);

// The registry as the registry calls see it, read on first use.
const RegFile& MachineRegistry();
// Makes the next use read registry.reg again (when no key is open).
void ForgetMachineRegistry();

// What the host backend offers beyond the Win32 names: the simulated
// machine's folder, and the hooks through which tests and the terminal
// front end take over message boxes and file writes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The folder named by WIN95_MACHINE, or empty when none is set.
std::string MachineRoot();

// Maps a Windows path (C:\WINDOWS\INF\mshdc.inf) onto the machine folder,
// each component found without regard to letter case; a component that does
// not exist keeps its spelling. Without a machine, or for a path without a
// drive, the path passes through unchanged.
std::string HostPath(const char* path);

// Checks that WIN95_MACHINE names a machine folder and that its registry
// reads; on failure prints what is wrong on standard error and ends the
// process with exit code 2.
void RequireMachine();

// Replaces the message box: tests record the boxes, the terminal dialog
// draws them. An empty hook restores the line-mode box.
using MessageBoxHook = std::function<int(const char* text, const char* caption, unsigned type)>;
void SetMessageBoxHook(MessageBoxHook hook);

// Called before each write to a temporary file with the bytes written so far
// and the length of the next piece; returns how many of those bytes may be
// written before the write fails as on a full disk. For fault tests.
using WriteHook = std::function<std::size_t(std::size_t offset, std::size_t length)>;
void SetWriteHook(WriteHook hook);

// Called before each read of a file with the bytes read so far; returning
// false makes that read fail as on a bad sector. For fault tests.
using ReadHook = std::function<bool(std::size_t offset)>;
void SetReadHook(ReadHook hook);

// The restart request made through ExitWindowsEx, if any.
bool RestartRequested();
void ClearRestartRequest();

// The Windows build calls the real Win32 API and the C runtime's _chdrive.
#pragma once

#include <windows.h>
#include <direct.h>

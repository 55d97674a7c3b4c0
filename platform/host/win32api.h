// The few Win32 names the program calls, declared for the Linux host.
// The host backend implements them against a simulated Windows 95 machine
// (a folder named by WIN95_MACHINE); the Windows build includes the real
// headers instead (platform/win32/win32api.h).
#pragma once

#include <cstdint>

#define WINAPI

typedef int BOOL;
typedef std::uint8_t BYTE;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef unsigned int UINT;
typedef char CHAR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;

struct HWND__;
typedef HWND__* HWND;
struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#ifndef NULL
#define NULL nullptr
#endif

#define HKEY_CLASSES_ROOT ((HKEY)(std::uintptr_t)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(std::uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(std::uintptr_t)0x80000002u)
#define HKEY_USERS ((HKEY)(std::uintptr_t)0x80000003u)
#define HKEY_CURRENT_CONFIG ((HKEY)(std::uintptr_t)0x80000005u)
#define HKEY_DYN_DATA ((HKEY)(std::uintptr_t)0x80000006u)

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

#define MB_OK 0x00000000u
#define MB_ICONWARNING 0x00000030u
#define MB_ICONINFORMATION 0x00000040u
#define MB_SYSTEMMODAL 0x00001000u
#define IDOK 1
#define IDCANCEL 2

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

#define EWX_LOGOFF 0
#define EWX_SHUTDOWN 1
#define EWX_REBOOT 2

#define SEM_FAILCRITICALERRORS 0x0001u
#define SEM_NOOPENFILEERRORBOX 0x8000u

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA has the Win32 layout");

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
BOOL WINAPI GetVersionExA(OSVERSIONINFOA* info);
LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize);
LONG WINAPI RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize);
LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey);
LONG WINAPI RegCloseKey(HKEY key);
BOOL WINAPI ExitWindowsEx(UINT flags, DWORD reason);
UINT WINAPI SetErrorMode(UINT mode);
int _chdrive(int drive);

// The window names the application and its framework use. The host's
// windows, icons and device contexts are records of framework/host/.
#define CALLBACK
#define PASCAL

typedef std::uint16_t WORD;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t ULONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

struct HICON__;
typedef HICON__* HICON;
typedef HICON HCURSOR;
struct HDC__;
typedef HDC__* HDC;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;

#define LOWORD(l) ((WORD)((ULONG_PTR)(l) & 0xFFFF))
#define HIWORD(l) ((WORD)(((ULONG_PTR)(l) >> 16) & 0xFFFF))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)(((DWORD)(WORD)(l)) | (((DWORD)(WORD)(h)) << 16)))
#define MAKEINTRESOURCEA(i) ((LPSTR)(ULONG_PTR)(WORD)(i))
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)

#define WM_CLOSE 0x0010
#define WM_PAINT 0x000F
#define WM_ICONERASEBKGND 0x0027
#define WM_QUERYDRAGICON 0x0037
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111

#define ICON_SMALL 0
#define ICON_BIG 1

#define SM_CXICON 11
#define SM_CYICON 12

#define BN_CLICKED 0
#define BS_TYPEMASK 0x000Fu
#define BS_DEFPUSHBUTTON 0x0001u
#define WS_TABSTOP 0x00010000u
#define WS_DISABLED 0x08000000u
#define SS_NOPREFIX 0x0080u

#define IDABORT 3

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI EnableWindow(HWND window, BOOL enable);
BOOL WINAPI IsWindowEnabled(HWND window);
BOOL WINAPI IsIconic(HWND window);
BOOL WINAPI SetForegroundWindow(HWND window);
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
int WINAPI GetSystemMetrics(int index);
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);
BOOL WINAPI DrawIcon(HDC dc, int x, int y, HICON icon);

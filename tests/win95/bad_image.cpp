// A program Windows 95 could not run, for the image check to refuse: it
// calls what Windows 95 lacks and keeps the compiler's start-up code, which
// needs a Pentium Pro. tests/win95/CMakeLists.txt links it as a console
// program asking for Windows 5.0 and with SHELL32.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

int main()
{
    if (IsDebuggerPresent())
        return 1;
    MoveFileExA("a", "b", MOVEFILE_REPLACE_EXISTING);
    HANDLE file = CreateFileW(L"c", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    CloseHandle(file);
    std::FILE* stream = _wfopen(L"d", L"r");
    ShellExecuteA(NULL, "open", "e", NULL, NULL, SW_SHOW);
    return stream != NULL;
}

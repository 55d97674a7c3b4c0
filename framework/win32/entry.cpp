// The Windows program entry. The program brings its own process entry and
// links without the compiler's start-up files: those are built for the
// Pentium Pro and later and use CMOV on every start, which stops a Pentium,
// the processor of many of the machines this program is for. Nothing of
// theirs is needed: there is no command line, no TLS and no exception
// machinery, and MSVCRT.DLL initialises itself when it is loaded.
#include "framework/afxwin.h"

#include <cstdlib>

extern "C" {
// MSVCRT: a GUI program's runtime errors are shown in a message box.
void __cdecl __set_app_type(int type);
// GCC's static constructors (the application object among them); each
// registers its destructor with atexit, so exit() runs them.
void __main();
}

namespace {

const int kGuiApp = 2;

}  // namespace

// The start-up files would supply atexit: in a program (not a DLL) it is
// MSVCRT's own exit list, which exit() runs.
extern "C" int __cdecl atexit(void(__cdecl* function)(void))
{
    return _onexit(reinterpret_cast<_onexit_t>(function)) ? 0 : -1;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    return AfxWinMain(hInstance);
}

// Named as the process entry by the link options in app/CMakeLists.txt.
// Windows guarantees only 4-byte stack alignment here.
extern "C" __attribute__((force_align_arg_pointer)) void BrennickStartup()
{
    __set_app_type(kGuiApp);
    __main();
    char noCommandLine[] = "";
    std::exit(WinMain(GetModuleHandleA(NULL), NULL, noCommandLine, SW_SHOWDEFAULT));
}

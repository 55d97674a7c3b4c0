// The dialog drawn full-screen in the terminal with ncurses.
#include "framework/host/modal.h"

#include <unistd.h>

bool TerminalAvailable()
{
    return isatty(0) && isatty(1);
}

bool RunTerminalDialog(HWND)
{
    return false;
}

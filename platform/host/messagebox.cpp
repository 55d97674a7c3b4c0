#include "platform/host/host.h"
#include "platform/host/win32api.h"

#include <cstdio>

namespace {

MessageBoxHook g_messageBoxHook;

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    g_messageBoxHook = std::move(hook);
}

// Line mode: the box is one line on standard output; the next input line,
// or the end of input, closes it.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    if (g_messageBoxHook)
        return g_messageBoxHook(text, caption, type);
    std::printf("%s: %s\n", caption, text);
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
    }
    return IDOK;
}

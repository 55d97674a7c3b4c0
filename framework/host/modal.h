// The two ways the host runs a modal dialog, and what they share.
#pragma once

#include "framework/host/host_window.h"

#include <cstdio>

// The modal loop ends when the dialog has ended or, after a completed run,
// when a restart was requested: on Windows the restart ends the program.
bool ModalLoopDone(HWND window);

// True when standard input and output are a terminal that can be drawn on.
bool TerminalAvailable();

// Full-screen dialog with ncurses; the terminal is restored on return and
// on every exit of the process. False when the terminal could not be set up.
bool RunTerminalDialog(HWND window);

// Line mode: prints the caption, the texts and the prompt, and reads one
// answer a line until the dialog ends. End of input is the Cancel button.
void RunLineDialog(HWND window, std::FILE* in, std::FILE* out);

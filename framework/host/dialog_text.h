// How the host shows a control's text: "&Yes" has the accelerator Y, is
// drawn "Yes" with the Y marked, and reads "[Y]es" in line mode.
#pragma once

#include <string>

// The text without its '&' marks ("&&" stands for one '&').
std::string PlainText(const char* text);

// The position in PlainText of the marked character, or -1.
int AcceleratorIndex(const char* text);

// The marked character in upper case, or 0.
char AcceleratorKey(const char* text);

// The text with its marked character in brackets: "&No" -> "[N]o".
std::string LineModeLabel(const char* text);

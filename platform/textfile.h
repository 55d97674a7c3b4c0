// Text files the way the C runtime's text streams see them: on reading,
// CR LF becomes LF, a lone CR stays in its line and the first Ctrl-Z ends the
// text; on writing, every LF becomes CR LF and no other byte changes. We do
// the translation ourselves so that every build treats the bytes alike.
#pragma once

#include "platform/files.h"

#include <string>
#include <string_view>

std::string TextFromFileBytes(std::string_view bytes);
std::string FileBytesFromText(std::string_view text);

// Appends a line and its line end the way a text stream writes them; the
// line holds no line feed.
void AppendTextLine(std::string& bytes, std::string_view line);

FileStatus ReadTextFile(const char* path, std::string& text);
FileStatus WriteTextFile(const char* path, std::string_view text);

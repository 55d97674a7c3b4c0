#include "framework/host/dialog_text.h"

#include <cctype>

namespace {

// Walks the text calling emit(c, marked) for each shown character.
template <typename Emit>
void ForEachShown(const char* text, Emit emit)
{
    for (const char* p = text; *p; ++p) {
        if (*p == '&' && p[1] == '&') {
            emit('&', false);
            ++p;
        } else if (*p == '&' && p[1]) {
            ++p;
            emit(*p, true);
        } else if (*p != '&') {
            emit(*p, false);
        }
    }
}

}  // namespace

std::string PlainText(const char* text)
{
    std::string plain;
    ForEachShown(text, [&](char c, bool) { plain += c; });
    return plain;
}

int AcceleratorIndex(const char* text)
{
    int index = -1, at = 0;
    ForEachShown(text, [&](char, bool marked) {
        if (marked && index < 0)
            index = at;
        ++at;
    });
    return index;
}

char AcceleratorKey(const char* text)
{
    int index = AcceleratorIndex(text);
    if (index < 0)
        return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(PlainText(text)[index])));
}

std::string LineModeLabel(const char* text)
{
    std::string plain = PlainText(text);
    int index = AcceleratorIndex(text);
    if (index < 0)
        return plain;
    return plain.substr(0, index) + "[" + plain[index] + "]" + plain.substr(index + 1);
}

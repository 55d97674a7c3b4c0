#include "platform/textfile.h"

#include <cstring>

namespace {

const char kCtrlZ = 26;

// Ends the text at the first Ctrl-Z and makes every CR LF a LF, in place:
// the text is never longer than the bytes. Runs between carriage returns
// move whole, since this is on every load.
void TranslateReadBytes(std::string& text)
{
    std::string::size_type end = text.find(kCtrlZ);
    if (end != std::string::npos)
        text.resize(end);
    char* to = &text[0];
    const char* at = to;
    const char* stop = at + text.size();
    while (at < stop) {
        const char* cr = static_cast<const char*>(std::memchr(at, '\r', static_cast<std::size_t>(stop - at)));
        const char* runEnd = cr ? cr : stop;
        std::size_t run = static_cast<std::size_t>(runEnd - at);
        if (to != at)
            std::memmove(to, at, run);
        to += run;
        if (!cr)
            break;
        if (cr + 1 == stop || cr[1] != '\n')
            *to++ = '\r';
        at = cr + 1;
    }
    text.resize(static_cast<std::size_t>(to - &text[0]));
}

}  // namespace

std::string TextFromFileBytes(std::string_view bytes)
{
    std::string text(bytes);
    TranslateReadBytes(text);
    return text;
}

std::string FileBytesFromText(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 16);
    const char* at = text.data();
    const char* stop = at + text.size();
    while (at < stop) {
        const char* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(stop - at)));
        if (!lf) {
            bytes.append(at, static_cast<std::size_t>(stop - at));
            break;
        }
        AppendTextLine(bytes, std::string_view(at, static_cast<std::size_t>(lf - at)));
        at = lf + 1;
    }
    return bytes;
}

void AppendTextLine(std::string& bytes, std::string_view line)
{
    bytes.append(line.data(), line.size());
    bytes.append("\r\n", 2);
}

FileStatus ReadTextFile(const char* path, std::string& text)
{
    FileStatus status = ReadFileBytes(path, text);
    if (status == FileStatus::ok)
        TranslateReadBytes(text);
    return status;
}

FileStatus WriteTextFile(const char* path, std::string_view text)
{
    return ReplaceFileBytes(path, FileBytesFromText(text));
}

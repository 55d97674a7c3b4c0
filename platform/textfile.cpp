#include "platform/textfile.h"

#include <cstring>

namespace {

const char kCtrlZ = 26;

}  // namespace

std::string TextFromFileBytes(std::string_view bytes)
{
    std::string_view::size_type end = bytes.find(kCtrlZ);
    if (end != std::string_view::npos)
        bytes = bytes.substr(0, end);

    // Copies runs between carriage returns whole: this is on every load.
    std::string text;
    text.reserve(bytes.size());
    const char* at = bytes.data();
    const char* stop = at + bytes.size();
    while (at < stop) {
        const char* cr = static_cast<const char*>(std::memchr(at, '\r', static_cast<std::size_t>(stop - at)));
        if (!cr) {
            text.append(at, static_cast<std::size_t>(stop - at));
            break;
        }
        text.append(at, static_cast<std::size_t>(cr - at));
        if (cr + 1 == stop || cr[1] != '\n')
            text.push_back('\r');
        at = cr + 1;
    }
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
        bytes.append(at, static_cast<std::size_t>(lf - at));
        bytes.append("\r\n", 2);
        at = lf + 1;
    }
    return bytes;
}

FileStatus ReadTextFile(const char* path, std::string& text)
{
    FileStatus status = ReadFileBytes(path, text);
    if (status != FileStatus::ok)
        return status;
    std::string::size_type end = text.find(kCtrlZ);
    if (end != std::string::npos)
        text.resize(end);
    // The text is never longer than the bytes: translate in place.
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
    return FileStatus::ok;
}

void AppendTextLine(std::string& bytes, std::string_view line)
{
    bytes.append(line.data(), line.size());
    bytes.append("\r\n", 2);
}

FileStatus WriteTextFile(const char* path, std::string_view text)
{
    return ReplaceFileBytes(path, FileBytesFromText(text));
}

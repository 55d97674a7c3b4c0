#include "rcparse.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <set>

namespace {

// Only the Win32 names a dialog script of ours may use; the script's own
// #include of the system headers is skipped.
struct Win32Constant {
    const char* name;
    std::uint32_t value;
};

const Win32Constant g_win32Constants[] = {
    // window styles
    {"WS_OVERLAPPED", 0x00000000},
    {"WS_POPUP", 0x80000000},
    {"WS_CHILD", 0x40000000},
    {"WS_MINIMIZE", 0x20000000},
    {"WS_VISIBLE", 0x10000000},
    {"WS_DISABLED", 0x08000000},
    {"WS_CLIPSIBLINGS", 0x04000000},
    {"WS_CLIPCHILDREN", 0x02000000},
    {"WS_MAXIMIZE", 0x01000000},
    {"WS_CAPTION", 0x00C00000},
    {"WS_BORDER", 0x00800000},
    {"WS_DLGFRAME", 0x00400000},
    {"WS_VSCROLL", 0x00200000},
    {"WS_HSCROLL", 0x00100000},
    {"WS_SYSMENU", 0x00080000},
    {"WS_THICKFRAME", 0x00040000},
    {"WS_GROUP", 0x00020000},
    {"WS_TABSTOP", 0x00010000},
    {"WS_MINIMIZEBOX", 0x00020000},
    {"WS_MAXIMIZEBOX", 0x00010000},
    // extended window styles
    {"WS_EX_DLGMODALFRAME", 0x00000001},
    {"WS_EX_NOPARENTNOTIFY", 0x00000004},
    {"WS_EX_TOPMOST", 0x00000008},
    {"WS_EX_ACCEPTFILES", 0x00000010},
    {"WS_EX_TRANSPARENT", 0x00000020},
    {"WS_EX_TOOLWINDOW", 0x00000080},
    {"WS_EX_WINDOWEDGE", 0x00000100},
    {"WS_EX_CLIENTEDGE", 0x00000200},
    {"WS_EX_CONTEXTHELP", 0x00000400},
    {"WS_EX_CONTROLPARENT", 0x00010000},
    {"WS_EX_STATICEDGE", 0x00020000},
    {"WS_EX_APPWINDOW", 0x00040000},
    // dialog styles
    {"DS_ABSALIGN", 0x0001},
    {"DS_SYSMODAL", 0x0002},
    {"DS_3DLOOK", 0x0004},
    {"DS_FIXEDSYS", 0x0008},
    {"DS_NOFAILCREATE", 0x0010},
    {"DS_LOCALEDIT", 0x0020},
    {"DS_SETFONT", 0x0040},
    {"DS_MODALFRAME", 0x0080},
    {"DS_NOIDLEMSG", 0x0100},
    {"DS_SETFOREGROUND", 0x0200},
    {"DS_CONTROL", 0x0400},
    {"DS_CENTER", 0x0800},
    {"DS_CENTERMOUSE", 0x1000},
    {"DS_CONTEXTHELP", 0x2000},
    // button styles
    {"BS_PUSHBUTTON", 0x0000},
    {"BS_DEFPUSHBUTTON", 0x0001},
    {"BS_CHECKBOX", 0x0002},
    {"BS_AUTOCHECKBOX", 0x0003},
    {"BS_RADIOBUTTON", 0x0004},
    {"BS_3STATE", 0x0005},
    {"BS_AUTO3STATE", 0x0006},
    {"BS_GROUPBOX", 0x0007},
    {"BS_AUTORADIOBUTTON", 0x0009},
    {"BS_LEFTTEXT", 0x0020},
    {"BS_LEFT", 0x0100},
    {"BS_RIGHT", 0x0200},
    {"BS_CENTER", 0x0300},
    {"BS_TOP", 0x0400},
    {"BS_BOTTOM", 0x0800},
    {"BS_VCENTER", 0x0C00},
    {"BS_MULTILINE", 0x2000},
    {"BS_FLAT", 0x8000},
    // static styles
    {"SS_LEFT", 0x0000},
    {"SS_CENTER", 0x0001},
    {"SS_RIGHT", 0x0002},
    {"SS_LEFTNOWORDWRAP", 0x000C},
    {"SS_NOPREFIX", 0x0080},
    {"SS_CENTERIMAGE", 0x0200},
    {"SS_SUNKEN", 0x1000},
    // dialog box command ids
    {"IDOK", 1},
    {"IDCANCEL", 2},
    {"IDABORT", 3},
    {"IDRETRY", 4},
    {"IDIGNORE", 5},
    {"IDYES", 6},
    {"IDNO", 7},
    // FONT statement arguments
    {"FW_DONTCARE", 0},
    {"FW_NORMAL", 400},
    {"FW_BOLD", 700},
    {"ANSI_CHARSET", 0},
    {"DEFAULT_CHARSET", 1},
    {"FALSE", 0},
    {"TRUE", 1},
};

const std::uint32_t kWsChild = 0x40000000;
const std::uint32_t kWsVisible = 0x10000000;
const std::uint32_t kWsTabStop = 0x00010000;
const std::uint32_t kWsGroup = 0x00020000;
const std::uint32_t kWsPopup = 0x80000000;
const std::uint32_t kWsBorder = 0x00800000;
const std::uint32_t kWsSysMenu = 0x00080000;
const std::uint32_t kWsCaption = 0x00C00000;
const std::uint32_t kDsSetFont = 0x0040;

struct ControlKind {
    const char* statement;
    const char* className;
    std::uint32_t defaultStyle;  // besides WS_CHILD | WS_VISIBLE
};

// What the resource compiler puts into a control's style before the
// statement's own style is or-ed in (and NOT-ed out).
const ControlKind g_controlKinds[] = {
    {"PUSHBUTTON", "BUTTON", 0x0000 | kWsTabStop},
    {"DEFPUSHBUTTON", "BUTTON", 0x0001 | kWsTabStop},
    {"CHECKBOX", "BUTTON", 0x0002 | kWsTabStop},
    {"AUTOCHECKBOX", "BUTTON", 0x0003 | kWsTabStop},
    {"RADIOBUTTON", "BUTTON", 0x0004},
    {"AUTORADIOBUTTON", "BUTTON", 0x0009},
    {"GROUPBOX", "BUTTON", 0x0007},
    {"LTEXT", "STATIC", 0x0000 | kWsGroup},
    {"CTEXT", "STATIC", 0x0001 | kWsGroup},
    {"RTEXT", "STATIC", 0x0002 | kWsGroup},
};

// Resource types whose statement is followed by option lines and a block.
const char* const g_blockResourceTypes[] = {
    "VERSIONINFO", "MENU", "MENUEX", "ACCELERATORS", "RCDATA", "TOOLBAR", "DLGINIT", "TEXTINCLUDE", "DESIGNINFO",
};

// Memory options the old resource compilers accepted after the type; ignored.
const char* const g_memoryOptions[] = {
    "PRELOAD", "LOADONCALL", "FIXED", "MOVEABLE", "DISCARDABLE", "PURE", "IMPURE", "SHARED", "NONSHARED",
};

enum class TokenKind { Identifier, Number, String, Punct, Directive, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // identifier, decoded string, punctuation, or a directive line without '#'
    std::uint32_t number = 0;
    int line = 0;
};

bool SetError(RcError& error, int line, const std::string& message)
{
    error.line = line;
    error.message = message;
    return false;
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

template <size_t N>
bool IsOneOf(const std::string& word, const char* const (&words)[N])
{
    for (const char* w : words) {
        if (EqualsNoCase(word, w))
            return true;
    }
    return false;
}

std::string Describe(const Token& token)
{
    switch (token.kind) {
    case TokenKind::Identifier:
        return "'" + token.text + "'";
    case TokenKind::Number:
        return "number " + std::to_string(token.number);
    case TokenKind::String:
        return "string \"" + token.text + "\"";
    case TokenKind::Punct:
        return "'" + token.text + "'";
    case TokenKind::Directive:
        return "'#" + token.text + "'";
    case TokenKind::End:
        break;
    }
    return "end of file";
}

// A resource name or type as written: identifier, number or string.
std::string NameOf(const Token& token)
{
    if (token.kind == TokenKind::Number)
        return std::to_string(token.number);
    if (token.kind == TokenKind::String)
        return "\"" + token.text + "\"";
    return token.text;
}

bool IsIdentStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Decodes a string literal starting at text[pos] == '"'. Inside, "" stands
// for one quote and the usual backslash escapes apply.
bool ReadString(const std::string& text, size_t& pos, int line, std::string& out, RcError& error)
{
    ++pos;
    out.clear();
    while (true) {
        if (pos >= text.size() || text[pos] == '\n')
            return SetError(error, line, "unterminated string");
        char c = text[pos++];
        if (c == '"') {
            if (pos < text.size() && text[pos] == '"') {
                out += '"';
                ++pos;
                continue;
            }
            return true;
        }
        if (c == '\\' && pos < text.size() && text[pos] != '\n') {
            char e = text[pos++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'a': out += '\a'; break;
            case '0': out += '\0'; break;
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            default:
                out += '\\';
                out += e;
                break;
            }
            continue;
        }
        out += c;
    }
}

// Splits text into tokens. With directives on, a '#' first on a line makes
// the rest of that line one Directive token.
bool Tokenize(const std::string& text, int firstLine, bool directives, std::vector<Token>& tokens, RcError& error)
{
    int line = firstLine;
    bool lineStart = true;
    size_t pos = 0;
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '\n') {
            ++line;
            lineStart = true;
            ++pos;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++pos;
            continue;
        }
        if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '/') {
            while (pos < text.size() && text[pos] != '\n')
                ++pos;
            continue;
        }
        if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
            int startLine = line;
            size_t close = text.find("*/", pos + 2);
            if (close == std::string::npos)
                return SetError(error, startLine, "unterminated comment");
            for (size_t i = pos; i < close; ++i) {
                if (text[i] == '\n')
                    ++line;
            }
            pos = close + 2;
            continue;
        }

        Token token;
        token.line = line;
        if (c == '#' && directives && lineStart) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos)
                end = text.size();
            token.kind = TokenKind::Directive;
            token.text = text.substr(pos + 1, end - pos - 1);
            if (!token.text.empty() && token.text.back() == '\r')
                token.text.pop_back();
            pos = end;
        } else if (c == '"' || ((c == 'L' || c == 'l') && pos + 1 < text.size() && text[pos + 1] == '"')) {
            if (c != '"')
                ++pos;
            token.kind = TokenKind::String;
            if (!ReadString(text, pos, line, token.text, error))
                return false;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            size_t start = pos;
            int base = 10;
            if (c == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
                base = 16;
                pos += 2;
            }
            std::uint64_t value = 0;
            size_t digits = 0;
            while (pos < text.size() && std::isxdigit(static_cast<unsigned char>(text[pos]))) {
                char d = text[pos];
                int digit = std::isdigit(static_cast<unsigned char>(d))
                                ? d - '0'
                                : std::toupper(static_cast<unsigned char>(d)) - 'A' + 10;
                if (digit >= base)
                    break;
                value = value * base + digit;
                if (value > 0xFFFFFFFFull)
                    return SetError(error, line, "number too large: " + text.substr(start, pos + 1 - start));
                ++digits;
                ++pos;
            }
            while (pos < text.size() && std::strchr("lLuU", text[pos]) != nullptr)
                ++pos;
            if (digits == 0 || (pos < text.size() && IsIdentChar(text[pos]))) {
                while (pos < text.size() && IsIdentChar(text[pos]))
                    ++pos;
                return SetError(error, line, "bad number '" + text.substr(start, pos - start) + "'");
            }
            token.kind = TokenKind::Number;
            token.number = static_cast<std::uint32_t>(value);
        } else if (IsIdentStart(c)) {
            size_t start = pos;
            while (pos < text.size() && IsIdentChar(text[pos]))
                ++pos;
            token.kind = TokenKind::Identifier;
            token.text = text.substr(start, pos - start);
        } else if (std::strchr(",|&+-~(){}", c) != nullptr) {
            token.kind = TokenKind::Punct;
            token.text = std::string(1, c);
            ++pos;
        } else {
            return SetError(error, line, std::string("unexpected character '") + c + "'");
        }
        lineStart = false;
        tokens.push_back(token);
    }
    Token end;
    end.line = line;
    tokens.push_back(end);
    return true;
}

// Walks a token list; every parse step reports its own errors.
class Parser {
public:
    Parser(const std::vector<Token>& tokens, RcSymbols& symbols, RcError& error)
        : m_tokens(tokens), m_symbols(symbols), m_error(error)
    {
    }

    const Token& Peek() const { return m_tokens[m_pos]; }
    const Token& Next() { return m_tokens[m_pos < m_tokens.size() - 1 ? m_pos++ : m_pos]; }
    bool AtEnd() const { return Peek().kind == TokenKind::End; }

    bool IsPunct(const char* p) const { return Peek().kind == TokenKind::Punct && Peek().text == p; }
    bool IsWord(const char* w) const { return Peek().kind == TokenKind::Identifier && EqualsNoCase(Peek().text, w); }
    bool IsBegin() const { return IsWord("BEGIN") || IsPunct("{"); }
    bool IsEndOfBlock() const { return IsWord("END") || IsPunct("}"); }

    bool Fail(const std::string& message) { return SetError(m_error, Peek().line, message); }
    bool Fail(int line, const std::string& message) { return SetError(m_error, line, message); }

    bool Expect(const char* punct, const char* after)
    {
        if (!IsPunct(punct))
            return Fail(std::string("expected '") + punct + "' after " + after + ", found " + Describe(Peek()));
        Next();
        return true;
    }

    bool LookUp(const std::string& name, std::uint32_t& value) const
    {
        auto it = m_symbols.find(name);
        if (it != m_symbols.end()) {
            value = static_cast<std::uint32_t>(it->second);
            return true;
        }
        long win32 = 0;
        if (LookUpWin32Constant(name, win32)) {
            value = static_cast<std::uint32_t>(win32);
            return true;
        }
        return false;
    }

    // C-like integer expression over 32-bit values: | & + - ~ and unary -.
    bool ParseExpr(std::uint32_t& value, const char* what) { return ParseOr(value, what); }

    bool ParseOr(std::uint32_t& value, const char* what)
    {
        if (!ParseAnd(value, what))
            return false;
        while (IsPunct("|")) {
            Next();
            std::uint32_t rhs = 0;
            if (!ParseAnd(rhs, what))
                return false;
            value |= rhs;
        }
        return true;
    }

    bool ParseAnd(std::uint32_t& value, const char* what)
    {
        if (!ParseAdd(value, what))
            return false;
        while (IsPunct("&")) {
            Next();
            std::uint32_t rhs = 0;
            if (!ParseAdd(rhs, what))
                return false;
            value &= rhs;
        }
        return true;
    }

    bool ParseAdd(std::uint32_t& value, const char* what)
    {
        if (!ParseUnary(value, what))
            return false;
        while (IsPunct("+") || IsPunct("-")) {
            bool plus = Next().text == "+";
            std::uint32_t rhs = 0;
            if (!ParseUnary(rhs, what))
                return false;
            value = plus ? value + rhs : value - rhs;
        }
        return true;
    }

    bool ParseUnary(std::uint32_t& value, const char* what)
    {
        const Token& token = Peek();
        if (IsPunct("-") || IsPunct("~")) {
            bool negate = Next().text == "-";
            if (!ParseUnary(value, what))
                return false;
            value = negate ? 0u - value : ~value;
            return true;
        }
        if (IsPunct("(")) {
            Next();
            if (!ParseOr(value, what))
                return false;
            return Expect(")", "expression");
        }
        if (token.kind == TokenKind::Number) {
            value = Next().number;
            return true;
        }
        if (token.kind == TokenKind::Identifier) {
            if (EqualsNoCase(token.text, "NOT"))
                return Fail(std::string("NOT is only allowed in a style, not in ") + what);
            if (!LookUp(token.text, value))
                return Fail("unknown symbol '" + token.text + "' in " + what);
            Next();
            return true;
        }
        return Fail(std::string("expected ") + what + ", found " + Describe(token));
    }

    // A style: terms joined by '|', each may be "NOT term" to clear bits.
    bool ParseStyle(std::uint32_t& on, std::uint32_t& off, const char* what)
    {
        on = 0;
        off = 0;
        while (true) {
            bool negate = IsWord("NOT");
            if (negate)
                Next();
            std::uint32_t value = 0;
            if (!ParseAnd(value, what))
                return false;
            if (negate) {
                off |= value;
                on &= ~value;
            } else {
                on |= value;
                off &= ~value;
            }
            if (!IsPunct("|"))
                return true;
            Next();
        }
    }

    bool ParseInt16(int& value, const char* what)
    {
        int line = Peek().line;
        std::uint32_t raw = 0;
        if (!ParseExpr(raw, what))
            return false;
        std::int32_t v = static_cast<std::int32_t>(raw);
        if (v < -32768 || v > 32767)
            return Fail(line, std::string(what) + " out of range: " + std::to_string(v));
        value = v;
        return true;
    }

    // Comma-separated x, y, cx, cy.
    bool ParseRect(int& x, int& y, int& cx, int& cy)
    {
        return ParseInt16(x, "x") && Expect(",", "x") && ParseInt16(y, "y") && Expect(",", "y") &&
               ParseInt16(cx, "width") && Expect(",", "width") && ParseInt16(cy, "height");
    }

    bool ParseString(std::string& out, const char* what)
    {
        if (Peek().kind != TokenKind::String)
            return Fail(std::string("expected ") + what + " as a string, found " + Describe(Peek()));
        out = Next().text;
        return true;
    }

    void SkipLine(int line)
    {
        while (!AtEnd() && Peek().line == line && Peek().kind != TokenKind::Directive)
            Next();
    }

    // Skips a BEGIN ... END block, nested blocks included.
    bool SkipBlock(int statementLine, const std::string& what)
    {
        int depth = 0;
        do {
            if (AtEnd())
                return Fail(statementLine, "no END for the block of " + what);
            if (IsBegin())
                ++depth;
            else if (IsEndOfBlock())
                --depth;
            Next();
        } while (depth > 0);
        return true;
    }

    bool ParseDirective(const Token& token);
    bool ParseDialogEx(RcDialog& dialog, int nameLine);
    bool ParseControl(RcControl& control);

private:
    size_t m_pos = 0;
    const std::vector<Token>& m_tokens;
    RcSymbols& m_symbols;
    RcError& m_error;
};

// The word after '#', and in pos where the text after it starts.
std::string DirectiveKeyword(const std::string& text, size_t& pos)
{
    pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    size_t start = pos;
    while (pos < text.size() && IsIdentChar(text[pos]))
        ++pos;
    return text.substr(start, pos - start);
}

std::string DirectiveKeyword(const std::string& text)
{
    size_t pos = 0;
    return DirectiveKeyword(text, pos);
}

// #define NAME [value], #undef NAME, #include, #pragma; nothing else.
bool Parser::ParseDirective(const Token& token)
{
    const std::string& text = token.text;
    size_t pos = 0;
    std::string keyword = DirectiveKeyword(text, pos);

    if (keyword == "include" || keyword == "pragma")
        return true;
    if (keyword != "define" && keyword != "undef")
        return Fail(token.line, "unsupported preprocessor directive '#" + keyword + "'");

    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    size_t start = pos;
    while (pos < text.size() && IsIdentChar(text[pos]))
        ++pos;
    std::string name = text.substr(start, pos - start);
    if (name.empty() || !IsIdentStart(name[0]))
        return Fail(token.line, "expected a name after '#" + keyword + "'");

    if (keyword == "undef") {
        m_symbols.erase(name);
        return true;
    }
    if (pos < text.size() && text[pos] == '(')
        return Fail(token.line, "macro with parameters is not supported: '" + name + "'");

    std::vector<Token> valueTokens;
    if (!Tokenize(text.substr(pos), token.line, false, valueTokens, m_error))
        return false;
    if (valueTokens.size() == 1)
        return true;  // a flag such as an include guard; no value to keep

    Parser valueParser(valueTokens, m_symbols, m_error);
    std::uint32_t value = 0;
    std::string what = "the value of " + name;
    if (!valueParser.ParseExpr(value, what.c_str()))
        return false;
    if (!valueParser.AtEnd())
        return Fail(token.line, "cannot read the value of " + name + ": unexpected " + Describe(valueParser.Peek()));

    long stored = static_cast<std::int32_t>(value);
    auto it = m_symbols.find(name);
    if (it != m_symbols.end() && it->second != stored) {
        return Fail(token.line,
                    name + " redefined as " + std::to_string(stored) + " (was " + std::to_string(it->second) + ")");
    }
    m_symbols[name] = stored;
    return true;
}

bool Parser::ParseControl(RcControl& control)
{
    const Token& statement = Peek();
    control.line = statement.line;
    const ControlKind* kind = nullptr;
    if (statement.kind == TokenKind::Identifier) {
        for (const ControlKind& k : g_controlKinds) {
            if (EqualsNoCase(statement.text, k.statement))
                kind = &k;
        }
    }
    if (kind == nullptr) {
        if (statement.kind == TokenKind::Identifier)
            return Fail("unsupported control statement '" + statement.text + "'");
        return Fail("expected a control statement or END, found " + Describe(statement));
    }
    Next();
    control.statement = kind->statement;
    control.className = kind->className;

    std::string after = std::string(kind->statement) + " text";
    if (!ParseString(control.text, "the control text") || !Expect(",", after.c_str()))
        return false;
    std::uint32_t id = 0;
    if (!ParseExpr(id, "control id") || !Expect(",", "control id") ||
        !ParseRect(control.x, control.y, control.cx, control.cy))
        return false;
    control.id = static_cast<std::int32_t>(id);

    std::uint32_t on = 0, off = 0;
    if (IsPunct(",")) {
        Next();
        if (!ParseStyle(on, off, "control style"))
            return false;
        if (IsPunct(",")) {
            Next();
            std::uint32_t exOn = 0, exOff = 0;
            if (!ParseStyle(exOn, exOff, "control extended style"))
                return false;
            control.exStyle = exOn & ~exOff;
            if (IsPunct(",")) {
                Next();
                std::uint32_t helpId = 0;
                if (!ParseExpr(helpId, "help id"))
                    return false;
            }
        }
    }
    control.style = (kWsChild | kWsVisible | kind->defaultStyle | on) & ~off;
    return true;
}

// After "name DIALOGEX": the header line, the option statements, and the
// block of controls.
bool Parser::ParseDialogEx(RcDialog& dialog, int nameLine)
{
    while (Peek().kind == TokenKind::Identifier && IsOneOf(Peek().text, g_memoryOptions))
        Next();
    if (!ParseRect(dialog.x, dialog.y, dialog.cx, dialog.cy))
        return false;
    if (IsPunct(",")) {
        Next();
        std::uint32_t helpId = 0;
        if (!ParseExpr(helpId, "help id"))
            return false;
    }

    bool hasStyle = false, hasCaption = false, hasFont = false;
    std::uint32_t style = 0;
    while (!IsBegin()) {
        const Token& token = Peek();
        if (token.kind != TokenKind::Identifier) {
            if (AtEnd())
                return Fail(nameLine, "DIALOGEX without BEGIN");
            return Fail("expected a dialog statement or BEGIN, found " + Describe(token));
        }
        Next();
        if (EqualsNoCase(token.text, "STYLE")) {
            std::uint32_t on = 0, off = 0;
            if (!ParseStyle(on, off, "dialog style"))
                return false;
            style = on & ~off;
            hasStyle = true;
        } else if (EqualsNoCase(token.text, "EXSTYLE")) {
            std::uint32_t on = 0, off = 0;
            if (!ParseStyle(on, off, "dialog extended style"))
                return false;
            dialog.exStyle = on & ~off;
        } else if (EqualsNoCase(token.text, "CAPTION")) {
            if (!ParseString(dialog.caption, "the caption"))
                return false;
            hasCaption = true;
        } else if (EqualsNoCase(token.text, "FONT")) {
            std::uint32_t value = 0;
            if (!ParseExpr(value, "point size") || !Expect(",", "point size") ||
                !ParseString(dialog.fontName, "the font name"))
                return false;
            dialog.pointSize = static_cast<std::int32_t>(value);
            if (IsPunct(",")) {
                Next();
                if (!ParseExpr(value, "font weight"))
                    return false;
                dialog.fontWeight = static_cast<std::int32_t>(value);
                if (!Expect(",", "font weight") || !ParseExpr(value, "italic flag"))
                    return false;
                dialog.fontItalic = value != 0;
                if (IsPunct(",")) {
                    Next();
                    if (!ParseExpr(value, "character set"))
                        return false;
                    dialog.fontCharset = static_cast<std::int32_t>(value);
                }
            }
            hasFont = true;
        } else if (EqualsNoCase(token.text, "LANGUAGE")) {
            std::uint32_t value = 0;
            if (!ParseExpr(value, "language") || !Expect(",", "language") || !ParseExpr(value, "sublanguage"))
                return false;
        } else if (EqualsNoCase(token.text, "CHARACTERISTICS") || EqualsNoCase(token.text, "VERSION")) {
            std::uint32_t value = 0;
            if (!ParseExpr(value, token.text.c_str()))
                return false;
        } else {
            return Fail(token.line, "unsupported dialog statement '" + token.text + "'");
        }
    }
    Next();  // BEGIN

    while (!IsEndOfBlock()) {
        if (AtEnd())
            return Fail(nameLine, "no END for the controls of DIALOGEX " + std::to_string(dialog.id));
        RcControl control;
        if (!ParseControl(control))
            return false;
        dialog.controls.push_back(control);
    }
    Next();  // END

    // Same rules as the resource compiler: a default style without STYLE,
    // and CAPTION and FONT imply their style bits.
    dialog.style = hasStyle ? style : (kWsPopup | kWsBorder | kWsSysMenu);
    if (hasCaption)
        dialog.style |= kWsCaption;
    if (hasFont)
        dialog.style |= kDsSetFont;
    return true;
}

}  // namespace

std::string FormatRcError(const RcError& error)
{
    if (error.line <= 0)
        return error.message;
    return "line " + std::to_string(error.line) + ": " + error.message;
}

bool LookUpWin32Constant(const std::string& name, long& value)
{
    for (const Win32Constant& constant : g_win32Constants) {
        if (name == constant.name) {
            value = static_cast<std::int32_t>(constant.value);
            return true;
        }
    }
    return false;
}

bool ParseResourceHeader(const std::string& text, RcSymbols& symbols, RcError& error)
{
    std::vector<Token> tokens;
    if (!Tokenize(text, 1, true, tokens, error))
        return false;
    Parser parser(tokens, symbols, error);
    while (!parser.AtEnd()) {
        const Token& token = parser.Next();
        if (token.kind != TokenKind::Directive)
            return SetError(error, token.line, "expected a #define line, found " + Describe(token));
        // Defines hidden in another file would be lost without a word.
        if (DirectiveKeyword(token.text) == "include")
            return SetError(error, token.line, "#include is not supported in a resource header");
        if (!parser.ParseDirective(token))
            return false;
    }
    return true;
}

bool ParseDialogs(const std::string& rcText, const RcSymbols& symbols, std::vector<RcDialog>& dialogs,
                  RcError& error)
{
    std::vector<Token> tokens;
    if (!Tokenize(rcText, 1, true, tokens, error))
        return false;
    RcSymbols scriptSymbols = symbols;
    Parser parser(tokens, scriptSymbols, error);
    dialogs.clear();

    while (!parser.AtEnd()) {
        const Token& first = parser.Peek();
        if (first.kind == TokenKind::Directive) {
            parser.Next();
            if (!parser.ParseDirective(first))
                return false;
            continue;
        }
        if (parser.IsWord("LANGUAGE")) {
            parser.SkipLine(first.line);
            continue;
        }
        if (parser.IsWord("STRINGTABLE")) {
            parser.Next();
            while (!parser.AtEnd() && !parser.IsBegin())
                parser.Next();
            if (!parser.SkipBlock(first.line, "STRINGTABLE"))
                return false;
            continue;
        }
        if (first.kind == TokenKind::Punct)
            return parser.Fail("expected a resource name, found " + Describe(first));

        parser.Next();
        const Token& type = parser.Peek();
        if (type.kind != TokenKind::Identifier && type.kind != TokenKind::Number)
            return parser.Fail("expected a resource type after " + Describe(first) + ", found " + Describe(type));
        parser.Next();

        if (type.kind == TokenKind::Identifier && EqualsNoCase(type.text, "DIALOG"))
            return parser.Fail(type.line, "DIALOG " + NameOf(first) + " is not supported; write it as DIALOGEX");

        if (type.kind == TokenKind::Identifier && EqualsNoCase(type.text, "DIALOGEX")) {
            RcDialog dialog;
            dialog.line = first.line;
            std::uint32_t id = 0;
            if (first.kind == TokenKind::Number)
                id = first.number;
            else if (first.kind != TokenKind::Identifier || !parser.LookUp(first.text, id))
                return parser.Fail(first.line, "dialog name " + Describe(first) + " is not a known number");
            if (id == 0 || id > 0xFFFF)
                return parser.Fail(first.line, "dialog id out of range: " + std::to_string(id));
            dialog.id = static_cast<int>(id);
            for (const RcDialog& other : dialogs) {
                if (other.id == dialog.id) {
                    return parser.Fail(first.line, "second dialog with id " + std::to_string(id) +
                                                       " (the first is at line " + std::to_string(other.line) + ")");
                }
            }
            if (!parser.ParseDialogEx(dialog, first.line))
                return false;
            dialogs.push_back(dialog);
            continue;
        }

        // Any other resource: the rest of its line, then its block if it has one.
        parser.SkipLine(type.line);
        bool blockType = type.kind == TokenKind::Identifier && IsOneOf(type.text, g_blockResourceTypes);
        if (blockType) {
            while (!parser.AtEnd() && !parser.IsBegin() && parser.Peek().kind != TokenKind::Directive)
                parser.Next();
            if (!parser.IsBegin())
                return parser.Fail(type.line, "no BEGIN for " + NameOf(type) + " " + NameOf(first));
        }
        if (parser.IsBegin() && !parser.SkipBlock(type.line, type.text))
            return false;
    }
    return true;
}

bool ParseDialog(const std::string& rcText, const RcSymbols& symbols, int dialogId, RcDialog& dialog,
                 RcError& error)
{
    std::vector<RcDialog> dialogs;
    if (!ParseDialogs(rcText, symbols, dialogs, error))
        return false;
    for (const RcDialog& d : dialogs) {
        if (d.id == dialogId) {
            dialog = d;
            return true;
        }
    }
    return SetError(error, 0, "no DIALOGEX with id " + std::to_string(dialogId));
}

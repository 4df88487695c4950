// Form-file tokens: identifiers, numbers, strings, symbols and binary data.
#include "korin/platform/core/FormFileTree.h"

#include <cctype>
#include <string>

namespace korin {
namespace formfile {

std::string Upper(const std::string& s)
{
    std::string u = s;
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

bool SameText(const std::string& a, const std::string& b)
{
    return Upper(a) == Upper(b);
}

[[noreturn]] void Fail(int Line, const std::string& Message)
{
    throw EReadError("line " + std::to_string(Line) + ": " + Message);
}


namespace {

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

struct TLexer::TImpl {
public:
    explicit TImpl(const std::string& Text) : S(Text) {}

    TToken Next()
    {
        SkipBlanks();
        TToken t;
        t.Line = Line;
        if (P >= S.size())
            return t;
        char c = S[P];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            t.Kind = TTok::Ident;
            while (P < S.size() && (std::isalnum(static_cast<unsigned char>(S[P])) || S[P] == '_' || S[P] == '.'))
                t.Text += S[P++];
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '$' ||
            ((c == '-' || c == '+') && P + 1 < S.size() &&
             (std::isdigit(static_cast<unsigned char>(S[P + 1])) || S[P + 1] == '$')))
            return Number(t);
        if (c == '\'' || c == '#')
            return String(t);
        if (c == '{')
            return Binary(t);
        if (std::string("=:[](),<>+").find(c) != std::string::npos) {
            t.Kind = TTok::Sym;
            t.Text = std::string(1, c);
            ++P;
            return t;
        }
        std::string shown = std::isprint(static_cast<unsigned char>(c))
                                ? "'" + std::string(1, c) + "'"
                                : "#" + std::to_string(static_cast<unsigned char>(c));
        Fail(Line, "unexpected character " + shown);
    }

private:
    void SkipBlanks()
    {
        while (P < S.size() && std::isspace(static_cast<unsigned char>(S[P]))) {
            if (S[P] == '\n')
                ++Line;
            ++P;
        }
    }

    TToken Number(TToken& t)
    {
        size_t start = P;
        bool negative = false;
        if (S[P] == '-' || S[P] == '+')
            negative = S[P++] == '-';
        bool hex = P < S.size() && S[P] == '$';
        if (hex)
            ++P;
        const int base = hex ? 16 : 10;
        unsigned long long value = 0;
        bool any = false, overflow = false;
        while (P < S.size()) {
            int d = hex ? HexDigit(S[P]) : (std::isdigit(static_cast<unsigned char>(S[P])) ? S[P] - '0' : -1);
            if (d < 0)
                break;
            any = true;
            if (value > (ULLONG_MAX - static_cast<unsigned>(d)) / static_cast<unsigned>(base))
                overflow = true;
            else
                value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
            ++P;
        }
        // A number runs into no letter, dot or further digit: "1.5" and "12ab" are refused.
        while (P < S.size() && (std::isalnum(static_cast<unsigned char>(S[P])) || S[P] == '.' || S[P] == '_')) {
            any = false;
            ++P;
        }
        std::string text = S.substr(start, P - start);
        if (!any)
            Fail(t.Line, "malformed number '" + text + "'");
        if (overflow || value > static_cast<unsigned long long>(LLONG_MAX))
            Fail(t.Line, "number out of range '" + text + "'");
        t.Kind = TTok::Int;
        t.Int = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
        t.Text = text;
        return t;
    }

    TToken String(TToken& t)
    {
        t.Kind = TTok::Str;
        while (P < S.size() && (S[P] == '\'' || S[P] == '#')) {
            if (S[P] == '\'') {
                ++P;
                for (;;) {
                    if (P >= S.size() || S[P] == '\n' || S[P] == '\r')
                        Fail(Line, "unterminated string");
                    if (S[P] == '\'') {
                        if (P + 1 < S.size() && S[P + 1] == '\'') {
                            t.Text += '\'';
                            P += 2;
                            continue;
                        }
                        ++P;
                        break;
                    }
                    t.Text += S[P++];
                }
            } else {
                ++P;
                bool hex = P < S.size() && S[P] == '$';
                if (hex)
                    ++P;
                std::uint32_t code = 0;
                bool any = false;
                while (P < S.size()) {
                    int d = hex ? HexDigit(S[P]) : (std::isdigit(static_cast<unsigned char>(S[P])) ? S[P] - '0' : -1);
                    if (d < 0)
                        break;
                    any = true;
                    code = code * (hex ? 16u : 10u) + static_cast<std::uint32_t>(d);
                    if (code > 0x10FFFF)
                        Fail(Line, "character code out of range");
                    ++P;
                }
                if (!any)
                    Fail(Line, "malformed character code");
                AppendUtf8(t.Text, code);
            }
        }
        return t;
    }

    TToken Binary(TToken& t)
    {
        t.Kind = TTok::Bin;
        ++P; // '{'
        int high = -1;
        for (;;) {
            if (P >= S.size())
                Fail(t.Line, "unterminated binary data");
            char c = S[P++];
            if (c == '}')
                break;
            if (c == '\n')
                ++Line;
            if (std::isspace(static_cast<unsigned char>(c)))
                continue;
            int d = HexDigit(c);
            if (d < 0)
                Fail(Line, "malformed binary data");
            if (high < 0) {
                high = d;
            } else {
                t.Bytes.push_back(static_cast<std::uint8_t>(high * 16 + d));
                high = -1;
            }
        }
        if (high >= 0)
            Fail(Line, "malformed binary data");
        return t;
    }

    const std::string& S;
    size_t P = 0;
    int Line = 1;
};

TLexer::TLexer(const std::string& Text) : Impl(std::make_unique<TImpl>(Text)) {}

TLexer::~TLexer() = default;

TToken TLexer::Next()
{
    return Impl->Next();
}

std::string Describe(const TToken& t)
{
    switch (t.Kind) {
    case TTok::Ident:
        return "'" + t.Text + "'";
    case TTok::Int:
        return "number " + t.Text;
    case TTok::Str:
        return "a string";
    case TTok::Sym:
        return "'" + t.Text + "'";
    case TTok::Bin:
        return "binary data";
    case TTok::End:
        break;
    }
    return "end of file";
}

}  // namespace formfile
}  // namespace korin

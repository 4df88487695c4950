#include "korin/platform/core/FormFiles.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <fstream>
#include <set>
#include <sstream>

#include "korin/platform/core/Resources.h"

namespace korin {

namespace {

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

// Deeper nesting than this is refused rather than risking the stack.
constexpr int MaxDepth = 200;

// ---- Tokens ---------------------------------------------------------------------

enum class TTok { Ident, Int, Str, Sym, Bin, End };

struct TToken {
    TTok Kind = TTok::End;
    std::string Text; // identifier, string value or symbol
    std::int64_t Int = 0;
    std::vector<std::uint8_t> Bytes;
    int Line = 1;
};

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

class TLexer {
public:
    explicit TLexer(const std::string& Text) : S(Text) {}

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

// ---- Parse tree -------------------------------------------------------------------

struct TPropNode;

struct TItemNode {
    int Line = 0;
    std::vector<TPropNode> Props;
};

struct TValueNode {
    enum Kind { vInt, vString, vIdent, vSet, vList, vCollection, vBinary } Type = vInt;
    int Line = 0;
    std::int64_t Int = 0;
    std::string Str;                // string or identifier
    std::vector<std::string> Names; // set
    std::vector<TValueNode> List;
    std::vector<TItemNode> Items;
    std::vector<std::uint8_t> Bytes;
};

struct TPropNode {
    std::string Path; // as written: "Font.Style"
    int Line = 0;
    TValueNode Value;
    // Filled in by the check: the sub-objects on the way, the property and its value.
    std::vector<const TPropInfo*> Via;
    const TPropInfo* Prop = nullptr;
    TPropValue Converted;
};

struct TObjectNode {
    std::string Name, ClassName;
    int Line = 0;
    std::vector<TPropNode> Props;
    std::vector<TObjectNode> Children;
    const TClassInfo* Class = nullptr;
};

class TParser {
public:
    explicit TParser(const std::string& Text) : Lex(Text) { Advance(); }

    TObjectNode ParseRoot()
    {
        TObjectNode root = ParseObject(0);
        if (Tok.Kind != TTok::End)
            Fail(Tok.Line, "unexpected " + Describe(Tok) + " after the final 'end'");
        return root;
    }

private:
    void Advance() { Tok = Lex.Next(); }
    bool IsKeyword(const char* Word) const { return Tok.Kind == TTok::Ident && SameText(Tok.Text, Word); }
    bool IsSym(char c) const { return Tok.Kind == TTok::Sym && Tok.Text[0] == c; }
    void ExpectSym(char c)
    {
        if (!IsSym(c))
            Fail(Tok.Line, std::string("expected '") + c + "' but found " + Describe(Tok));
        Advance();
    }
    std::string ExpectName(const char* What)
    {
        if (Tok.Kind != TTok::Ident || Tok.Text.find('.') != std::string::npos)
            Fail(Tok.Line, std::string("expected ") + What + " but found " + Describe(Tok));
        std::string s = Tok.Text;
        Advance();
        return s;
    }
    void CheckDepth(int Depth) const
    {
        if (Depth > MaxDepth)
            Fail(Tok.Line, "nesting too deep");
    }

    TObjectNode ParseObject(int Depth)
    {
        CheckDepth(Depth);
        TObjectNode n;
        n.Line = Tok.Line;
        if (!IsKeyword("object"))
            Fail(Tok.Line, "expected 'object' but found " + Describe(Tok));
        Advance();
        std::string first = ExpectName("a component name");
        if (IsSym(':')) {
            Advance();
            n.Name = first;
            n.ClassName = ExpectName("a class name");
        } else {
            n.ClassName = first;
        }
        for (;;) {
            if (Tok.Kind == TTok::End)
                Fail(Tok.Line, "unexpected end of file, 'end' expected");
            if (IsKeyword("end")) {
                Advance();
                return n;
            }
            if (IsKeyword("object")) {
                n.Children.push_back(ParseObject(Depth + 1));
                continue;
            }
            if (Tok.Kind != TTok::Ident)
                Fail(Tok.Line, "expected a property name but found " + Describe(Tok));
            n.Props.push_back(ParseProperty(Depth));
        }
    }

    TPropNode ParseProperty(int Depth)
    {
        TPropNode p;
        p.Line = Tok.Line;
        p.Path = Tok.Text;
        if (p.Path.front() == '.' || p.Path.back() == '.' || p.Path.find("..") != std::string::npos)
            Fail(Tok.Line, "malformed property name '" + p.Path + "'");
        Advance();
        if (!IsSym('='))
            Fail(Tok.Line, "expected '=' after '" + p.Path + "' but found " + Describe(Tok));
        Advance();
        p.Value = ParseValue(Depth + 1);
        return p;
    }

    TValueNode ParseValue(int Depth)
    {
        CheckDepth(Depth);
        TValueNode v;
        v.Line = Tok.Line;
        switch (Tok.Kind) {
        case TTok::Int:
            v.Type = TValueNode::vInt;
            v.Int = Tok.Int;
            Advance();
            return v;
        case TTok::Str:
            v.Type = TValueNode::vString;
            v.Str = Tok.Text;
            Advance();
            while (IsSym('+')) {
                Advance();
                if (Tok.Kind != TTok::Str)
                    Fail(Tok.Line, "expected a string after '+' but found " + Describe(Tok));
                v.Str += Tok.Text;
                Advance();
            }
            return v;
        case TTok::Ident:
            v.Type = TValueNode::vIdent;
            v.Str = Tok.Text;
            Advance();
            return v;
        case TTok::Bin:
            v.Type = TValueNode::vBinary;
            v.Bytes = std::move(Tok.Bytes);
            Advance();
            return v;
        case TTok::Sym:
            break;
        case TTok::End:
            Fail(Tok.Line, "unexpected end of file, a value expected");
        }
        if (IsSym('[')) {
            v.Type = TValueNode::vSet;
            Advance();
            if (IsSym(']')) {
                Advance();
                return v;
            }
            for (;;) {
                v.Names.push_back(ExpectName("a set member"));
                if (IsSym(']')) {
                    Advance();
                    return v;
                }
                ExpectSym(',');
            }
        }
        if (IsSym('(')) {
            v.Type = TValueNode::vList;
            Advance();
            while (!IsSym(')')) {
                if (Tok.Kind == TTok::End)
                    Fail(Tok.Line, "unexpected end of file, ')' expected");
                v.List.push_back(ParseValue(Depth + 1));
            }
            Advance();
            return v;
        }
        if (IsSym('<')) {
            v.Type = TValueNode::vCollection;
            Advance();
            while (!IsSym('>')) {
                TItemNode item;
                item.Line = Tok.Line;
                if (!IsKeyword("item"))
                    Fail(Tok.Line, "expected 'item' or '>' but found " + Describe(Tok));
                Advance();
                while (!IsKeyword("end")) {
                    if (Tok.Kind != TTok::Ident)
                        Fail(Tok.Line, "expected a property name or 'end' but found " + Describe(Tok));
                    item.Props.push_back(ParseProperty(Depth + 1));
                }
                Advance();
                v.Items.push_back(std::move(item));
            }
            Advance();
            return v;
        }
        Fail(Tok.Line, "expected a value but found " + Describe(Tok));
    }

    TLexer Lex;
    TToken Tok;
};

// ---- Check against the registry ----------------------------------------------------

std::vector<std::string> SplitPath(const std::string& Path)
{
    std::vector<std::string> parts;
    std::string cur;
    for (char c : Path) {
        if (c == '.') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}

std::string PropDesc(const TPropNode& p, const TClassInfo& Owner)
{
    return "property '" + p.Path + "' of " + Owner.Name();
}

const TClassInfo& ClassFor(const std::string& Name, int Line)
{
    const TClassInfo* c = GetClass(Name);
    if (!c)
        Fail(Line, "unknown class '" + Name + "'");
    return *c;
}

void CheckProperty(TPropNode& p, const TClassInfo& Owner, int Depth);

void CheckProperties(std::vector<TPropNode>& Props, const TClassInfo& Owner, int Depth)
{
    for (TPropNode& p : Props)
        CheckProperty(p, Owner, Depth);
}

void ResolvePath(TPropNode& p, const TClassInfo& Owner)
{
    std::vector<std::string> parts = SplitPath(p.Path);
    const TClassInfo* cls = &Owner;
    for (size_t i = 0; i < parts.size(); ++i) {
        const TPropInfo* prop = cls->FindProperty(parts[i]);
        if (!prop)
            Fail(p.Line, "unknown property '" + p.Path + "' of " + Owner.Name());
        const bool last = i + 1 == parts.size();
        if (last) {
            p.Prop = prop;
            return;
        }
        if (prop->Kind == pkStrings && i + 2 == parts.size() && SameText(parts[i + 1], "Strings")) {
            p.Prop = prop;
            return;
        }
        if (prop->Kind != pkObject)
            Fail(p.Line, "unknown property '" + p.Path + "' of " + Owner.Name());
        p.Via.push_back(prop);
        cls = &ClassFor(prop->ClassName, p.Line);
    }
}

int IndexOfName(const std::vector<std::string>& Names, const std::string& Name)
{
    for (size_t i = 0; i < Names.size(); ++i)
        if (SameText(Names[i], Name))
            return static_cast<int>(i);
    return -1;
}

void CheckProperty(TPropNode& p, const TClassInfo& Owner, int Depth)
{
    if (Depth > MaxDepth)
        Fail(p.Line, "nesting too deep");
    ResolvePath(p, Owner);
    const TPropInfo& info = *p.Prop;
    const TValueNode& v = p.Value;
    const std::string desc = PropDesc(p, Owner);
    auto expected = [&](const char* what) { Fail(v.Line, std::string("expected ") + what + " for " + desc); };
    auto unknownValue = [&](const std::string& name) { Fail(v.Line, "unknown value '" + name + "' for " + desc); };
    switch (info.Kind) {
    case pkInteger:
        if (v.Type == TValueNode::vInt) {
            if (v.Int < INT32_MIN || v.Int > INT32_MAX)
                Fail(v.Line, "integer out of range for " + desc);
            p.Converted = v.Int;
        } else if (v.Type == TValueNode::vIdent && info.Idents) {
            auto& idents = *info.Idents;
            auto it = std::find_if(idents.begin(), idents.end(), [&](auto& e) { return SameText(e.first, v.Str); });
            if (it == idents.end())
                unknownValue(v.Str);
            p.Converted = it->second;
        } else {
            expected("an integer");
        }
        break;
    case pkString:
        if (v.Type != TValueNode::vString)
            expected("a string");
        p.Converted = v.Str;
        break;
    case pkBoolean:
        if (v.Type != TValueNode::vIdent || (!SameText(v.Str, "True") && !SameText(v.Str, "False")))
            expected("True or False");
        p.Converted = SameText(v.Str, "True");
        break;
    case pkEnum: {
        if (v.Type != TValueNode::vIdent)
            expected("an identifier");
        int i = IndexOfName(info.EnumNames, v.Str);
        if (i < 0)
            unknownValue(v.Str);
        p.Converted = static_cast<std::int64_t>(i);
        break;
    }
    case pkSet: {
        const size_t n = info.EnumNames.size();
        const std::uint64_t all = n >= 64 ? ~0ull : ((1ull << n) - 1);
        if (v.Type == TValueNode::vSet) {
            std::uint64_t mask = 0;
            for (const std::string& name : v.Names) {
                int i = IndexOfName(info.EnumNames, name);
                if (i < 0)
                    unknownValue(name);
                mask |= 1ull << i;
            }
            p.Converted = static_cast<std::int64_t>(mask);
        } else if (v.Type == TValueNode::vInt) {
            if (v.Int < 0 || (static_cast<std::uint64_t>(v.Int) & ~all) != 0)
                Fail(v.Line, "set value out of range for " + desc);
            p.Converted = v.Int;
        } else {
            expected("a set");
        }
        break;
    }
    case pkStrings: {
        if (v.Type != TValueNode::vList)
            expected("a list of strings");
        std::vector<std::string> list;
        for (const TValueNode& e : v.List) {
            if (e.Type != TValueNode::vString)
                Fail(e.Line, "expected a string in the list for " + desc);
            list.push_back(e.Str);
        }
        p.Converted = std::move(list);
        break;
    }
    case pkBinary:
        if (v.Type != TValueNode::vBinary)
            expected("binary data");
        p.Converted = v.Bytes;
        break;
    case pkObject:
        Fail(p.Line, desc + " takes no value of its own");
    case pkCollection: {
        if (v.Type != TValueNode::vCollection)
            expected("a collection");
        const TClassInfo& itemClass = ClassFor(info.ClassName, p.Line);
        for (TItemNode& item : p.Value.Items)
            CheckProperties(item.Props, itemClass, Depth + 1);
        break;
    }
    case pkComponent:
        if (v.Type != TValueNode::vIdent)
            expected("a component name");
        break;
    case pkMethod:
        if (v.Type != TValueNode::vIdent || v.Str.find('.') != std::string::npos)
            expected("a method name");
        break;
    }
}

void CheckObject(TObjectNode& n, const TClassInfo* RootClass, std::set<std::string>& Names, int Depth)
{
    if (RootClass) {
        n.Class = RootClass;
    } else {
        n.Class = &ClassFor(n.ClassName, n.Line);
        if (!n.Class->CanCreate())
            Fail(n.Line, "class '" + n.Class->Name() + "' cannot be created");
        if (!n.Name.empty() && !Names.insert(Upper(n.Name)).second)
            Fail(n.Line, "a component named " + n.Name + " already exists");
    }
    CheckProperties(n.Props, *n.Class, 0);
    for (TObjectNode& child : n.Children)
        CheckObject(child, nullptr, Names, Depth + 1);
}

// ---- Snapshot of the root's properties, for putting them back after a failure ------

struct TSnap {
    const TPropInfo* Prop = nullptr;
    TPropValue Value;
    std::any Handler;
    std::vector<TSnap> Sub;
    std::vector<std::vector<TSnap>> Items;
};

TSnap Capture(TObject* o, const TPropInfo* p, int Depth)
{
    TSnap s;
    s.Prop = p;
    if (Depth > 32)
        return s;
    switch (p->Kind) {
    case pkObject:
        if (TObject* sub = p->GetObject(o))
            if (const TClassInfo* c = GetClass(p->ClassName))
                for (const TPropInfo* q : c->Properties())
                    s.Sub.push_back(Capture(sub, q, Depth + 1));
        break;
    case pkCollection:
        if (const TClassInfo* c = GetClass(p->ClassName))
            for (int i = 0, n = p->Count(o); i < n; ++i) {
                TObject* item = p->Item(o, i);
                std::vector<TSnap> props;
                for (const TPropInfo* q : c->Properties())
                    props.push_back(Capture(item, q, Depth + 1));
                s.Items.push_back(std::move(props));
            }
        break;
    case pkMethod:
        s.Handler = p->GetHandler(o);
        break;
    default:
        s.Value = p->Get(o);
        break;
    }
    return s;
}

void Restore(TObject* o, const TSnap& s)
{
    // Putting back is best effort: one property that refuses does not stop the others.
    try {
        switch (s.Prop->Kind) {
        case pkObject:
            if (TObject* sub = s.Prop->GetObject(o))
                for (const TSnap& q : s.Sub)
                    Restore(sub, q);
            break;
        case pkCollection:
            s.Prop->Clear(o);
            for (const auto& props : s.Items) {
                TObject* item = s.Prop->Add(o);
                for (const TSnap& q : props)
                    Restore(item, q);
            }
            break;
        case pkMethod:
            s.Prop->SetHandler(o, s.Handler);
            break;
        default:
            if (!std::holds_alternative<std::monostate>(s.Value))
                s.Prop->Set(o, s.Value);
            break;
        }
    } catch (...) {
    }
}

// ---- Building -----------------------------------------------------------------------

class TBuilder {
public:
    explicit TBuilder(TComponent* Root) : Root(Root) {}

    std::vector<TComponent*> Created;

    void AssignAll(TObject* Target, std::vector<TPropNode>& Props, const TClassInfo& Class)
    {
        for (TPropNode& p : Props)
            Assign(Target, p, Class);
    }

    void Build(TObjectNode& n, TComponent* Component)
    {
        AssignAll(Component, n.Props, *n.Class);
        for (TObjectNode& childNode : n.Children) {
            TComponent* child = nullptr;
            try {
                child = childNode.Class->Create(Root);
            } catch (const EReadError&) {
                throw;
            } catch (const Exception& e) {
                Fail(childNode.Line, e.Message());
            }
            Created.push_back(child);
            child->SetLoading(true);
            try {
                if (!childNode.Name.empty())
                    child->SetName(childNode.Name);
                child->SetParentComponent(Component);
            } catch (const EReadError&) {
                throw;
            } catch (const Exception& e) {
                Fail(childNode.Line, e.Message());
            }
            Build(childNode, child);
        }
    }

    void ResolveReferences()
    {
        for (TRef& r : Refs) {
            TComponent* c = SameText(r.Name, Root->Name()) ? Root : Root->FindComponent(r.Name);
            if (!c)
                Fail(r.Line, "unknown component '" + r.Name + "' for " + r.Desc);
            if (r.Prop->Accepts && !r.Prop->Accepts(c))
                Fail(r.Line, "component '" + r.Name + "' does not fit " + r.Desc);
            Guarded(r.Line, [&] { r.Prop->Set(r.Target, TPropValue(c)); });
        }
    }

private:
    struct TRef {
        TObject* Target;
        const TPropInfo* Prop;
        std::string Name;
        int Line;
        std::string Desc;
    };

    template <class F>
    void Guarded(int Line, F&& Action)
    {
        try {
            Action();
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& e) {
            Fail(Line, e.Message());
        }
    }

    void Assign(TObject* Target, TPropNode& p, const TClassInfo& Class)
    {
        const std::string desc = PropDesc(p, Class);
        TObject* target = Target;
        for (const TPropInfo* via : p.Via) {
            target = via->GetObject(target);
            if (!target)
                Fail(p.Line, "no object behind " + desc);
        }
        const TPropInfo& info = *p.Prop;
        switch (info.Kind) {
        case pkComponent:
            Refs.push_back(TRef{target, &info, p.Value.Str, p.Value.Line, desc});
            break;
        case pkMethod: {
            const std::any* handler = Root->FindMethod(p.Value.Str);
            if (!handler)
                Fail(p.Value.Line, "unknown method '" + p.Value.Str + "' for " + desc);
            if (!info.AcceptsHandler(*handler))
                Fail(p.Value.Line, "method '" + p.Value.Str + "' does not fit " + desc);
            Guarded(p.Line, [&] { info.Bind(target, p.Value.Str, *handler); });
            break;
        }
        case pkCollection: {
            const TClassInfo& itemClass = FindClass(info.ClassName);
            Guarded(p.Line, [&] { info.Clear(target); });
            for (TItemNode& item : p.Value.Items) {
                TObject* it = nullptr;
                Guarded(item.Line, [&] { it = info.Add(target); });
                AssignAll(it, item.Props, itemClass);
            }
            break;
        }
        default:
            Guarded(p.Line, [&] { info.Set(target, p.Converted); });
            break;
        }
    }

    TComponent* Root;
    std::vector<TRef> Refs;
};

// Checks a parsed tree against the registry; RootClass is the class the root's
// properties are taken from.
void CheckTree(TObjectNode& Tree, const TClassInfo& RootClass, const TComponent* ExistingRoot)
{
    std::set<std::string> names;
    // Components the existing root already owns keep their names.
    if (ExistingRoot)
        for (int i = 0; i < ExistingRoot->ComponentCount(); ++i)
            if (!ExistingRoot->Components(i)->Name().empty())
                names.insert(Upper(ExistingRoot->Components(i)->Name()));
    CheckObject(Tree, &RootClass, names, 0);
}

// Runs the build on Root; on any failure frees what was created, puts the touched
// properties of an existing root back and rethrows.
void BuildInto(TObjectNode& Tree, TComponent* Root, bool FreshRoot)
{
    TBuilder builder(Root);
    std::vector<TSnap> snaps;
    const bool wasLoading = Root->InState(csLoading);
    const std::string oldName = Root->Name();
    if (!FreshRoot) {
        std::vector<const TPropInfo*> touched;
        for (const TPropNode& p : Tree.Props) {
            const TPropInfo* top = p.Via.empty() ? p.Prop : p.Via.front();
            if (std::find(touched.begin(), touched.end(), top) == touched.end())
                touched.push_back(top);
        }
        for (const TPropInfo* p : touched)
            snaps.push_back(Capture(Root, p, 0));
    }
    try {
        Root->SetLoading(true);
        if (Root->Name().empty() && !Tree.Name.empty()) {
            try {
                Root->SetName(Tree.Name);
            } catch (const Exception& e) {
                Fail(Tree.Line, e.Message());
            }
        }
        builder.Build(Tree, Root);
        builder.ResolveReferences();
        for (TComponent* c : builder.Created) {
            c->Loaded();
            c->SetLoading(false);
        }
        Root->Loaded();
        Root->SetLoading(false);
    } catch (...) {
        // Children go before the components they sit on: created ones are freed last first.
        for (auto it = builder.Created.rbegin(); it != builder.Created.rend(); ++it)
            (*it)->Free();
        if (!FreshRoot) {
            for (auto it = snaps.rbegin(); it != snaps.rend(); ++it)
                Restore(Root, *it);
            if (Root->Name() != oldName) {
                try {
                    Root->SetName(oldName);
                } catch (...) {
                }
            }
            Root->SetLoading(wasLoading);
        }
        throw;
    }
}

// ---- Writing ------------------------------------------------------------------------

std::string Quote(const std::string& s)
{
    if (s.empty())
        return "''";
    std::string out;
    bool inQuotes = false;
    for (char ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            if (inQuotes) {
                out += '\'';
                inQuotes = false;
            }
            out += '#' + std::to_string(c);
        } else {
            if (!inQuotes) {
                out += '\'';
                inQuotes = true;
            }
            out += ch;
            if (ch == '\'')
                out += '\'';
        }
    }
    if (inQuotes)
        out += '\'';
    return out;
}

class TWriter {
public:
    explicit TWriter(TComponent* Root) : Root(Root) {}

    void WriteComponent(TComponent* c, int Level)
    {
        const TClassInfo* cls = ClassInfoOf(c);
        if (!cls)
            throw EWriteError("Class " + c->ClassName() + " is not registered");
        Line(Level, "object " + (c->Name().empty() ? cls->Name() : c->Name() + ": " + cls->Name()));
        WriteProperties(c, *cls, "", Level + 1, 0);
        for (TComponent* child : c->GetChildren(Root))
            WriteComponent(child, Level + 1);
        Line(Level, "end");
    }

    std::string Text;

private:
    void Line(int Level, const std::string& s)
    {
        Text.append(static_cast<size_t>(Level) * 2, ' ');
        Text += s;
        Text += '\n';
    }

    std::string ReferenceName(TComponent* c)
    {
        if (c == Root || c->Owner() == Root || !c->Owner() || c->Owner()->Name().empty())
            return c->Name();
        return c->Owner()->Name() + "." + c->Name();
    }

    void WriteProperties(TObject* o, const TClassInfo& cls, const std::string& Prefix, int Level, int Depth)
    {
        if (Depth > 32)
            return;
        for (const TPropInfo* p : cls.Properties()) {
            if (p->Stored == psNever || (p->StoredIf && !p->StoredIf(o)))
                continue;
            const bool always = p->Stored == psAlways;
            const std::string name = Prefix + p->Name;
            switch (p->Kind) {
            case pkObject:
                if (TObject* sub = p->GetObject(o))
                    WriteProperties(sub, FindClass(p->ClassName), name + ".", Level, Depth + 1);
                break;
            case pkMethod: {
                std::string method = p->BoundName(o);
                if (!method.empty())
                    Line(Level, name + " = " + method);
                break;
            }
            case pkComponent: {
                TComponent* c = std::get<TComponent*>(p->Get(o));
                if (c && !c->Name().empty())
                    Line(Level, name + " = " + ReferenceName(c));
                break;
            }
            case pkCollection: {
                int n = p->Count(o);
                if (n == 0 && !always)
                    break;
                const TClassInfo& itemClass = FindClass(p->ClassName);
                if (n == 0) {
                    Line(Level, name + " = <>");
                    break;
                }
                Line(Level, name + " = <");
                for (int i = 0; i < n; ++i) {
                    Line(Level + 1, "item");
                    WriteProperties(p->Item(o, i), itemClass, "", Level + 2, Depth + 1);
                    Line(Level + 1, i + 1 == n ? "end>" : "end");
                }
                break;
            }
            default: {
                TPropValue v = p->Get(o);
                if (!always && p->Default && *p->Default == v)
                    break;
                WriteValue(*p, name, v, Level, always);
                break;
            }
            }
        }
    }

    void WriteValue(const TPropInfo& p, const std::string& name, const TPropValue& v, int Level, bool always)
    {
        switch (p.Kind) {
        case pkInteger: {
            std::int64_t i = std::get<std::int64_t>(v);
            std::string text = std::to_string(i);
            if (p.Idents)
                for (auto& [identName, value] : *p.Idents)
                    if (value == i) {
                        text = identName;
                        break;
                    }
            Line(Level, name + " = " + text);
            break;
        }
        case pkString:
            Line(Level, name + " = " + Quote(std::get<std::string>(v)));
            break;
        case pkBoolean:
            Line(Level, name + " = " + (std::get<bool>(v) ? "True" : "False"));
            break;
        case pkEnum: {
            std::int64_t i = std::get<std::int64_t>(v);
            if (i < 0 || i >= static_cast<std::int64_t>(p.EnumNames.size()))
                throw EWriteError("Value " + std::to_string(i) + " of property " + p.Name + " has no name");
            Line(Level, name + " = " + p.EnumNames[static_cast<size_t>(i)]);
            break;
        }
        case pkSet: {
            std::uint64_t mask = static_cast<std::uint64_t>(std::get<std::int64_t>(v));
            const size_t n = p.EnumNames.size();
            const std::uint64_t all = n >= 64 ? ~0ull : ((1ull << n) - 1);
            if (p.SetAsInteger || (mask & ~all) != 0) {
                Line(Level, name + " = " + std::to_string(mask));
                break;
            }
            std::string text;
            for (size_t i = 0; i < n; ++i)
                if (mask & (1ull << i))
                    text += (text.empty() ? "" : ", ") + p.EnumNames[i];
            Line(Level, name + " = [" + text + "]");
            break;
        }
        case pkStrings: {
            const auto& list = std::get<std::vector<std::string>>(v);
            if (list.empty()) {
                if (always)
                    Line(Level, name + ".Strings = ()");
                break;
            }
            Line(Level, name + ".Strings = (");
            for (size_t i = 0; i < list.size(); ++i)
                Line(Level + 1, Quote(list[i]) + (i + 1 == list.size() ? ")" : ""));
            break;
        }
        case pkBinary: {
            const auto& bytes = std::get<std::vector<std::uint8_t>>(v);
            if (bytes.empty() && !always)
                break;
            Line(Level, name + " = {");
            static const char* hex = "0123456789ABCDEF";
            std::string row;
            for (size_t i = 0; i < bytes.size(); ++i) {
                row += hex[bytes[i] >> 4];
                row += hex[bytes[i] & 15];
                if (row.size() == 64 && i + 1 < bytes.size()) {
                    Line(Level + 1, row);
                    row.clear();
                }
            }
            Line(Level + 1, row + "}");
            break;
        }
        default:
            break;
        }
    }

    TComponent* Root;
};

std::string ReadWholeFile(const std::string& FileName)
{
    std::ifstream in(FileName, std::ios::binary);
    if (!in)
        throw EFilerError("Cannot open file \"" + FileName + "\"");
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

void ReadComponentText(const std::string& Text, TComponent* Root)
{
    if (!Root)
        throw EReadError("No component to read into");
    const TClassInfo* own = ClassInfoOf(Root);
    TObjectNode tree = TParser(Text).ParseRoot();
    const TClassInfo& header = ClassFor(tree.ClassName, tree.Line);
    if (!header.IsInstance(Root))
        Fail(tree.Line, "the form file describes " + header.Name() + ", not " + Root->ClassName());
    // The root's own registration knows more properties than an ancestor named by the header.
    const TClassInfo* cls = (own && own->InheritsFrom(header.Name())) ? own : &header;
    CheckTree(tree, *cls, Root);
    BuildInto(tree, Root, false);
}

TComponent* CreateComponentFromText(const std::string& Text, TComponent* Owner)
{
    TObjectNode tree = TParser(Text).ParseRoot();
    CheckTree(tree, ClassFor(tree.ClassName, tree.Line), nullptr);
    if (!tree.Class->CanCreate())
        Fail(tree.Line, "class '" + tree.Class->Name() + "' cannot be created");
    TComponent* root = nullptr;
    try {
        root = tree.Class->Create(Owner);
    } catch (const EReadError&) {
        throw;
    } catch (const Exception& e) {
        Fail(tree.Line, e.Message());
    }
    try {
        BuildInto(tree, root, true);
    } catch (...) {
        root->Free();
        throw;
    }
    return root;
}

void ReadComponentRes(const std::string& ResName, TComponent* Root)
{
    auto data = FindResourceData(ResName);
    ReadComponentText(std::string(reinterpret_cast<const char*>(data.data()), data.size()), Root);
}

void ReadComponentResFile(const std::string& FileName, TComponent* Root)
{
    ReadComponentText(ReadWholeFile(FileName), Root);
}

std::string WriteComponentText(TComponent* Root)
{
    if (!Root)
        throw EWriteError("No component to write");
    TWriter writer(Root);
    writer.WriteComponent(Root, 0);
    return writer.Text;
}

void WriteComponentResFile(const std::string& FileName, TComponent* Root)
{
    std::string text = WriteComponentText(Root);
    std::ofstream out(FileName, std::ios::binary);
    if (!out || !(out << text))
        throw EFilerError("Cannot write file \"" + FileName + "\"");
}

}  // namespace korin

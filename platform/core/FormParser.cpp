// Form-file syntax: objects, property lines and values, into a tree.
#include "korin/platform/core/FormFileTree.h"

#include <string>

namespace korin {
namespace formfile {

namespace {

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

} // namespace

TObjectNode ParseFormText(const std::string& Text)
{
    return TParser(Text).ParseRoot();
}

}  // namespace formfile
}  // namespace korin

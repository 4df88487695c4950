#pragma once
// The inside of form-file reading, shared by its stages: the lexer turns the text into
// tokens, the parser builds a tree of objects, properties and values, the checker
// resolves that tree against the published-property registry (so a malformed file is
// refused before anything is touched), and the builder creates the components and
// assigns the checked values. FormFiles.h is the public face of all this.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/core/Component.h"
#include "korin/platform/core/TypInfo.h"

namespace korin {
namespace formfile {

std::string Upper(const std::string& s);
bool SameText(const std::string& a, const std::string& b);
[[noreturn]] void Fail(int Line, const std::string& Message);

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

// Splits form-file text into tokens, one at a time; Next() returns an End token at the
// end of the text and raises EReadError on a character that starts no token.
class TLexer {
public:
    explicit TLexer(const std::string& Text);
    ~TLexer();
    TToken Next();

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

// How a token is named in an error message: "'end'", "number 12", "end of file".
std::string Describe(const TToken& t);

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

// Parses a whole form file into its tree; EReadError on malformed text.
TObjectNode ParseFormText(const std::string& Text);

// The registered class called Name; EReadError naming Line when there is none.
const TClassInfo& ClassFor(const std::string& Name, int Line);
std::string PropDesc(const TPropNode& p, const TClassInfo& Owner);

// Checks a parsed tree against the registry; RootClass is the class the root's
// properties are taken from.
void CheckTree(TObjectNode& Tree, const TClassInfo& RootClass, const TComponent* ExistingRoot);

// Runs the build on Root; on any failure frees what was created, puts the touched
// properties of an existing root back and rethrows.
void BuildInto(TObjectNode& Tree, TComponent* Root, bool FreshRoot);

}  // namespace formfile
}  // namespace korin

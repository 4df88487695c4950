#include "korin/platform/core/FormFiles.h"

#include <fstream>
#include <sstream>

#include "korin/platform/core/FormFileTree.h"
#include "korin/platform/core/Resources.h"

namespace korin {

using namespace formfile;

namespace {

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
    TObjectNode tree = ParseFormText(Text);
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
    TObjectNode tree = ParseFormText(Text);
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

}  // namespace korin

// Form-file checking: every class, property and value resolved against the registry
// before anything is created.
#include "korin/platform/core/FormFileTree.h"

#include <set>
#include <string>

namespace korin {
namespace formfile {

namespace {

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

} // namespace

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

namespace {

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

} // namespace

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

}  // namespace formfile
}  // namespace korin

// Form-file writing: a component tree as text, stored properties only.
#include "korin/platform/core/FormFiles.h"


#include <fstream>
#include <string>

namespace korin {

namespace {

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

} // namespace

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

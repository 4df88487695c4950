#include "korin/platform/core/StringList.h"

#include "korin/platform/core/Exception.h"

namespace korin {

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string& TStringList::Strings(int index) const
{
    CheckIndex(index);
    return FItems[static_cast<size_t>(index)];
}

void TStringList::SetStrings(int index, const std::string& value)
{
    CheckIndex(index);
    FItems[static_cast<size_t>(index)] = value;
    Changed();
}

int TStringList::Add(const std::string& s)
{
    FItems.push_back(s);
    Changed();
    return Count() - 1;
}

void TStringList::Insert(int index, const std::string& s)
{
    if (index < 0 || index > Count())
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    FItems.insert(FItems.begin() + index, s);
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    FItems.erase(FItems.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (FItems.empty())
        return;
    FItems.clear();
    Changed();
}

int TStringList::IndexOf(const std::string& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<size_t>(i)] == s)
            return i;
    return -1;
}

void TStringList::Assign(const TStringList& other) { SetLines(other.FItems); }

void TStringList::SetLines(const std::vector<std::string>& lines)
{
    FItems = lines;
    Changed();
}

std::string TStringList::Text() const
{
    std::string out;
    for (const auto& s : FItems) {
        out += s;
        out += '\n';
    }
    return out;
}

void TStringList::SetText(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    SetLines(lines);
}

std::string TStringList::CommaText() const
{
    std::string out;
    for (size_t i = 0; i < FItems.size(); ++i) {
        if (i)
            out += ',';
        const std::string& s = FItems[i];
        bool quote = s.empty() ? false : s.find_first_of(" ,\"") != std::string::npos;
        if (!quote) {
            out += s;
            continue;
        }
        out += '"';
        for (char c : s) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

void TStringList::SetCommaText(const std::string& text)
{
    std::vector<std::string> lines;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        while (i < n && text[i] == ' ')
            ++i;
        if (i >= n)
            break;
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
            while (i < n && text[i] != ',' && text[i] != ' ')
                item += text[i++];
        } else {
            while (i < n && text[i] != ',' && text[i] != ' ')
                item += text[i++];
        }
        lines.push_back(item);
        while (i < n && text[i] == ' ')
            ++i;
        if (i < n && text[i] == ',')
            ++i;
    }
    SetLines(lines);
}

void TStringList::Changed()
{
    if (OnChange)
        OnChange(this);
}

}  // namespace korin

#pragma once
// TStringList: an ordered list of text lines (a query's SQL, a list of field names).
// Text joins the lines with "\n" (each line followed by one); CommaText joins them with
// commas, quoting lines that contain spaces, commas or quotes. OnChange fires after
// every change.
#include <string>
#include <vector>

#include "korin/platform/core/Object.h"

namespace korin {

class TStringList : public TObject {
public:
    TStringList() = default;

    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& Strings(int index) const;
    void SetStrings(int index, const std::string& value);
    const std::string& operator[](int index) const { return Strings(index); }

    int Add(const std::string& s);
    void Insert(int index, const std::string& s);
    void Delete(int index);
    void Clear();
    int IndexOf(const std::string& s) const;  // exact match, −1 when absent
    // Copies the lines of another list.
    void Assign(const TStringList& other);
    // Replaces all lines at once (one change notification).
    void SetLines(const std::vector<std::string>& lines);
    const std::vector<std::string>& Lines() const { return FItems; }

    std::string Text() const;
    void SetText(const std::string& text);  // splits at "\n" (a "\r" before it is dropped)
    std::string CommaText() const;
    void SetCommaText(const std::string& text);

    TNotifyEvent OnChange;

private:
    void Changed();
    void CheckIndex(int index) const;
    std::vector<std::string> FItems;
};

}  // namespace korin

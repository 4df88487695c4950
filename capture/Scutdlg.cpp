#include "korin/capture/Scutdlg.h"

#include <string>
#include <unordered_map>

namespace korin {

TVNavigateBtn FindShortCut(TShortCut ShortCut, const TShortCutArray* ShortCuts, bool& NotFound)
{
    NotFound = true;
    if (!ShortCuts)
        return vnbFirst;
    // Every key typed into a captured control is looked up: the texts are made once.
    // The same key usually comes many times in a row (held, or typed again).
    static std::unordered_map<TShortCut, std::string> texts;
    static TShortCut lastKey = 0;
    static const std::string* lastText = nullptr;
    if (!lastText || lastKey != ShortCut) {
        auto it = texts.find(ShortCut);
        if (it == texts.end())
            it = texts.emplace(ShortCut, ShortCutToText(ShortCut)).first;
        lastKey = ShortCut;
        lastText = &it->second;  // node addresses stay put in an unordered_map
    }
    const std::string& text = *lastText;
    if (text.empty())
        return vnbFirst;
    for (int i = 0; i < NavButtonCount; ++i) {
        const std::string& entry = (*ShortCuts)[static_cast<std::size_t>(i)];
        if (!entry.empty() && entry == text) {
            NotFound = false;
            return static_cast<TVNavigateBtn>(i);
        }
    }
    return vnbFirst;
}

}  // namespace korin

#include "korin/capture/Scutdlg.h"

namespace korin {

TVNavigateBtn FindShortCut(TShortCut ShortCut, const TShortCutArray* ShortCuts, bool& NotFound)
{
    NotFound = true;
    if (!ShortCuts)
        return vnbFirst;
    std::string text = ShortCutToText(ShortCut);
    if (text.empty())
        return vnbFirst;
    for (TVNavigateBtn b : AllNavButtons()) {
        const std::string& entry = (*ShortCuts)[b];
        if (!entry.empty() && entry == text) {
            NotFound = false;
            return b;
        }
    }
    return vnbFirst;
}

}  // namespace korin

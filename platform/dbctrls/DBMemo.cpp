#include "korin/platform/dbctrls/DBCtrls.h"

namespace korin {

TDBMemo::TDBMemo(TComponent* AOwner) : TDBEditControl(AOwner, true)
{
    FEditor.SetWordWrap(true);
    SetBounds(0, 0, 185, 89);
}

std::vector<std::string> TDBMemo::Lines() const
{
    std::vector<std::string> out;
    const std::string& t = Text();
    size_t start = 0;
    for (;;) {
        size_t p = t.find('\n', start);
        if (p == std::string::npos) {
            if (start < t.size() || out.empty())
                out.push_back(t.substr(start));
            break;
        }
        out.push_back(t.substr(start, p - start));
        start = p + 1;
    }
    return out;
}

}  // namespace korin

#pragma once
// The clipboard the edit boxes cut, copy and paste through. Until a backend installs the
// system's clipboard it is an object inside the process, shared by every control.
#include <string>

namespace korin {

class TClipboard {
public:
    virtual ~TClipboard() = default;
    virtual std::string AsText() const { return FText; }
    virtual void SetAsText(const std::string& Value) { FText = Value; }
    bool HasText() const { return !AsText().empty(); }

private:
    std::string FText;
};

// The clipboard in use.
TClipboard& Clipboard();
// Installs another clipboard (nullptr: the in-process one again); answers the previous.
// The caller keeps ownership and uninstalls it before freeing it.
TClipboard* SetClipboard(TClipboard* Value);

}  // namespace korin

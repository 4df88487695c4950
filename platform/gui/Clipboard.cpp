#include "korin/platform/gui/Clipboard.h"

namespace korin {

namespace {

TClipboard& InProcess()
{
    static TClipboard clipboard;
    return clipboard;
}

TClipboard* g_clipboard = nullptr;

}  // namespace

TClipboard& Clipboard() { return g_clipboard ? *g_clipboard : InProcess(); }

TClipboard* SetClipboard(TClipboard* Value)
{
    TClipboard* old = g_clipboard;
    g_clipboard = Value;
    return old;
}

}  // namespace korin

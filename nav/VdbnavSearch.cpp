// Incremental search: while the mode is on, the characters typed into the current
// captured control build a search text, and the navigator's dataset moves to the first
// record whose current field begins with it, without regard to case.
#include "korin/nav/Vdbnav.h"
#include "korin/platform/core/Utf8.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

namespace {

// A queue entry that empties the text (Shift+Backspace arriving during a search).
constexpr char32_t ISearchClear = 0xFFFFFFFF;

// Characters that extend the text: everything printable. Control characters (C0, DEL
// and C1), surrogates and values beyond Unicode do not.
bool ExtendsText(char32_t Key)
{
    if (Key < 32 || Key == 127 || (Key >= 0x80 && Key <= 0x9F))
        return false;
    if (Key >= 0xD800 && Key <= 0xDFFF)
        return false;
    return Key <= 0x10FFFF;
}

// Text without its last character: every continuation byte of a multi-byte character
// goes with its lead byte.
std::string WithoutLastCharacter(const std::string& Text)
{
    std::size_t n = Text.size();
    while (n > 0 && (static_cast<unsigned char>(Text[n - 1]) & 0xC0) == 0x80)
        --n;
    // A run of continuation bytes with no lead byte before it: one byte at a time.
    if (n == 0)
        return Text.substr(0, Text.size() - 1);
    return Text.substr(0, n - 1);
}

}  // namespace

void TVandroDBNavigator::ISearchMode(bool Value)
{
    if (Value == FISearchActive)
        return;
    FISearchText.clear();
    FISearchActive = Value;
    ++FISearchEpoch;
    // Characters still waiting belong to the mode that just ended.
    FISearchQueue.clear();
    if (FButtonsCreated) {
        TVNavButton* button = FButtons[vnbIncrementalSearch];
        button->SetDown(!button->Down());
        button->SetDown(FISearchActive);
    }
}

// While a search runs, the application handles its pending messages, and characters
// typed meanwhile come back here. They wait in the queue and are applied afterwards, in
// the order typed, each on the text accepted so far, so a quick typist loses nothing.
void TVandroDBNavigator::ISearchDoChar(char32_t& Key)
{
    if (FISearchBusy) {
        FISearchQueue.push_back(Key);
        return;
    }
    struct TBusy {
        TVandroDBNavigator* Nav;
        ~TBusy()
        {
            Nav->FISearchBusy = false;
            Nav->FISearchQueue.clear();
        }
    } busy{this};
    FISearchBusy = true;
    FISearchQueue.assign(1, Key);
    while (!FISearchQueue.empty()) {
        const char32_t next = FISearchQueue.front();
        FISearchQueue.erase(FISearchQueue.begin());
        ISearchApply(next);
    }
}

void TVandroDBNavigator::ISearchApply(char32_t Key)
{
    if (Key == ISearchClear) {
        FISearchText.clear();
        return;
    }
    std::string text = FISearchText;
    if (Key == 8) {
        if (!text.empty())
            text = WithoutLastCharacter(text);
    } else if (ExtendsText(Key)) {
        text += utf8::EncodeUtf8(Key);
    }
    if (text == FISearchText)
        return;

    const unsigned epoch = FISearchEpoch;
    Application->ProcessMessages();
    // Esc or a focus change while the messages ran ended the mode (and Ctrl+I may have
    // begun a new one): the text belongs to the mode that ended, nothing is searched.
    if (!FISearchActive || epoch != FISearchEpoch)
        return;

    TField* field = LiveCurrentField();
    TDataSet* dataSet = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!field || !dataSet)
        return;
    // An error of Locate passes on to the key dispatch with the text unchanged.
    if (dataSet->Locate(field->FieldName(), Variant(text), loCaseInsensitive | loPartialKey))
        FISearchText = text;
}

void TVandroDBNavigator::ISearchDoKey(std::uint16_t& Key, TShiftState& Shift)
{
    if (Key == VK_ESCAPE) {
        ISearchMode(false);
        Key = 0;
        Shift = 0;
        return;
    }
    if ((Key == VK_BACK || Key == VK_PRIOR || Key == VK_UP) && (Shift & (ssShift | ssCtrl))) {
        // During a search the clearing waits its turn behind the characters typed before it.
        if (FISearchBusy)
            FISearchQueue.push_back(ISearchClear);
        else
            FISearchText.clear();
        Key = 0;
        Shift = 0;
    }
}

}  // namespace korin

// libFuzzer target for the form-file reader: any bytes as a form file, read into a fresh
// root. A file that is read is written again; reading what was written must give the
// same text (nothing read is lost or invented). Built and run by scripts/fuzz-formfile;
// the sanitizers report faults.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/TypInfo.h"

// The fuzzer is built without the embedded resources: an empty table.
namespace korin::resources {
struct Entry {
    const char* Name;
    const unsigned char* Data;
    std::size_t Size;
};
extern const Entry Table[];
const Entry Table[] = {{nullptr, nullptr, 0}};
}  // namespace korin::resources

using namespace korin;

namespace {

enum TFuzzAlign { alNone, alTop, alClient };

class TFuzzFont : public TObject {
public:
    std::string Name = "DejaVu Sans";
    std::int64_t Size = 8;
    std::uint64_t Style = 0;
};

class TFuzzItem : public TObject {
public:
    std::int64_t Width = 50;
    std::string Text;
};

class TFuzzControl : public TComponent {
public:
    using TComponent::TComponent;
    ~TFuzzControl() override { SetPeer(nullptr); }
    std::int64_t Left = 0;
    std::string Caption;
    bool Visible = true;
    TFuzzAlign Align = alNone;
    std::uint64_t Options = 0;
    std::vector<std::string> Items;
    std::vector<std::uint8_t> Data;
    std::vector<std::unique_ptr<TFuzzItem>> Panels;
    TFuzzFont Font;
    TNotifyEvent OnClick;
    TFuzzControl* Peer() const { return FPeer; }
    void SetPeer(TFuzzControl* P)
    {
        if (FPeer)
            RemoveFreeNotification(FPeer);
        FPeer = P;
        if (P)
            FreeNotification(P);
    }
    void Notification(TComponent* C, TOperation Op) override
    {
        TComponent::Notification(C, Op);
        if (Op == opRemove && C == FPeer)
            FPeer = nullptr;
    }

private:
    TFuzzControl* FPeer = nullptr;
};

class TFuzzForm : public TFuzzControl {
public:
    explicit TFuzzForm(TComponent* AOwner) : TFuzzControl(AOwner)
    {
        RegisterMethod("Clicked", TNotifyEvent([](TObject*) {}));
    }
};

void Register()
{
    RegisterClass<TFuzzFont>("TFuzzFont")
        .String("Name", [](TFuzzFont* f) { return f->Name; }, [](TFuzzFont* f, const std::string& v) { f->Name = v; })
        .Default("DejaVu Sans")
        .Integer("Size", [](TFuzzFont* f) { return f->Size; }, [](TFuzzFont* f, std::int64_t v) { f->Size = v; })
        .Default(8)
        .SetOf("Style", {"fsBold", "fsItalic"}, [](TFuzzFont* f) { return f->Style; },
               [](TFuzzFont* f, std::uint64_t v) { f->Style = v; })
        .Default(0);
    RegisterClass<TFuzzItem>("TFuzzItem")
        .Integer("Width", [](TFuzzItem* i) { return i->Width; }, [](TFuzzItem* i, std::int64_t v) { i->Width = v; })
        .Default(50)
        .String("Text", [](TFuzzItem* i) { return i->Text; }, [](TFuzzItem* i, const std::string& v) { i->Text = v; })
        .Default("");
    RegisterClass<TFuzzControl>("TFuzzControl")
        .Integer("Left", [](TFuzzControl* c) { return c->Left; }, [](TFuzzControl* c, std::int64_t v) { c->Left = v; })
        .Default(0)
        .String("Caption", [](TFuzzControl* c) { return c->Caption; },
                [](TFuzzControl* c, const std::string& v) { c->Caption = v; })
        .Default("")
        .Boolean("Visible", [](TFuzzControl* c) { return c->Visible; }, [](TFuzzControl* c, bool v) { c->Visible = v; })
        .Default(true)
        .Enum<TFuzzAlign>("Align", {"alNone", "alTop", "alClient"}, [](TFuzzControl* c) { return c->Align; },
                          [](TFuzzControl* c, TFuzzAlign v) { c->Align = v; })
        .Default(alNone)
        .SetOf("Options", {"a", "b", "c"}, [](TFuzzControl* c) { return c->Options; },
               [](TFuzzControl* c, std::uint64_t v) { c->Options = v; })
        .Default(0)
        .Strings("Items", [](TFuzzControl* c) { return c->Items; },
                 [](TFuzzControl* c, const std::vector<std::string>& v) { c->Items = v; })
        .Binary("Data", [](TFuzzControl* c) { return c->Data; },
                [](TFuzzControl* c, const std::vector<std::uint8_t>& v) { c->Data = v; })
        .Collection(
            "Panels", "TFuzzItem", [](TFuzzControl* c) { return static_cast<int>(c->Panels.size()); },
            [](TFuzzControl* c, int i) -> TObject* { return c->Panels[static_cast<size_t>(i)].get(); },
            [](TFuzzControl* c) -> TObject* {
                c->Panels.push_back(std::make_unique<TFuzzItem>());
                return c->Panels.back().get();
            },
            [](TFuzzControl* c) { c->Panels.clear(); })
        .SubObject("Font", "TFuzzFont", [](TFuzzControl* c) { return &c->Font; })
        .Reference<TFuzzControl>("Peer", &TFuzzControl::Peer, &TFuzzControl::SetPeer)
        .Event("OnClick", &TFuzzControl::OnClick);
    RegisterClass<TFuzzForm>("TFuzzForm", "TFuzzControl");
}

// Reads Text into a new form; the written form, or "" when the text was refused.
std::string ReadAndWrite(const std::string& Text)
{
    TOwned<TFuzzForm> form(new TFuzzForm(nullptr));
    try {
        ReadComponentText(Text, form.get());
    } catch (const EFilerError&) {
        return "";
    }
    return WriteComponentText(form.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = (Register(), true);
    (void)registered;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string written = ReadAndWrite(text);
    if (written.empty())
        return 0;
    // What the writer wrote reads back to the same text.
    if (ReadAndWrite(written) != written)
        __builtin_trap();
    return 0;
}

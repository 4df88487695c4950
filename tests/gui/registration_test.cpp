#include <gtest/gtest.h>

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/TypInfo.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/Registration.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

class Registration : public AppTest {};

// A property left out of a form file because it holds its stored default must read back
// as that value: so every fresh instance must start with its stored defaults.
TEST_F(Registration, FreshControlsHoldTheirStoredDefaults)
{
    RegisterGuiClasses();
    const char* classes[] = {"TButton", "TLabel", "TEdit", "TMemo", "TCheckBox", "TRadioButton", "TGroupBox", "TPanel",
                             "TBevel", "TSpeedButton", "TBitBtn", "TListBox", "TComboBox", "TToolBar", "TToolButton",
                             "THotKey", "TProgressBar", "TScrollBar", "TForm"};
    TOwned<TForm> owner(new TForm(nullptr));
    for (const char* name : classes) {
        const TClassInfo& info = FindClass(name);
        TComponent* c = info.Create(owner.get());
        for (const TPropInfo* p : info.Properties()) {
            if (!p->Default || p->Stored != psDefault || !p->Get || p->StoredIf)
                continue;
            EXPECT_TRUE(p->Get(c) == *p->Default) << name << "." << p->Name;
        }
    }
}

}  // namespace

namespace {

TEST_F(Registration, ListItemsRoundTripThroughFormFiles)
{
    const char* text = R"(object F: TForm
  object L: TListBox
    Items.Strings = (
      'Customers'
      'Orders')
  end
  object C: TComboBox
    Items.Strings = (
      'Browse'
      'Edit')
  end
end
)";
    TOwned<TForm> form(new TForm(nullptr));
    ReadComponentText(text, form.get());
    auto* list = dynamic_cast<TListBox*>(form->FindComponent("L"));
    auto* combo = dynamic_cast<TComboBox*>(form->FindComponent("C"));
    ASSERT_TRUE(list && combo);
    EXPECT_EQ(list->Items(), (std::vector<std::string>{"Customers", "Orders"}));
    EXPECT_EQ(combo->Items(), (std::vector<std::string>{"Browse", "Edit"}));
    std::string written = WriteComponentText(form.get());
    EXPECT_NE(written.find("Items.Strings = ("), std::string::npos);
    EXPECT_EQ(written.find("Items.Strings.Strings"), std::string::npos);
    TOwned<TForm> again(new TForm(nullptr));
    ReadComponentText(written, again.get());
    EXPECT_EQ(WriteComponentText(again.get()), written);
}

}  // namespace

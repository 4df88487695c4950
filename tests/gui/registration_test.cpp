#include <gtest/gtest.h>

#include "platform/core/FormFiles.h"
#include "platform/core/TypInfo.h"
#include "platform/gui/Registration.h"
#include "tests/support/AppFixture.h"

namespace {

class Registration : public AppTest {};

// A property left out of a form file because it holds its stored default must read back
// as that value: so every fresh instance must start with its stored defaults.
TEST_F(Registration, FreshControlsHoldTheirStoredDefaults)
{
    RegisterGuiClasses();
    const char* classes[] = {"TButton", "TLabel", "TEdit", "TMemo", "TCheckBox", "TRadioButton", "TGroupBox", "TPanel",
                             "TBevel", "TSpeedButton", "TBitBtn", "TListBox", "TComboBox", "TToolBar", "TToolButton",
                             "THotKey", "TProgressBar", "TForm"};
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

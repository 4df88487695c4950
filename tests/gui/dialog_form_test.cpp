#include <gtest/gtest.h>

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/gui/Registration.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

const char* kDialog = R"(object AskDlg: TForm
  Left = 200
  Top = 100
  BorderStyle = bsDialog
  Caption = 'Question'
  ClientHeight = 80
  ClientWidth = 200
  Position = poScreenCenter
  ActiveControl = btnOK
  object Label1: TLabel
    Left = 8
    Top = 8
    Width = 120
    Height = 13
    Caption = 'Continue?'
    Font.Style = [fsBold]
  end
  object btnOK: TButton
    Left = 20
    Top = 48
    Width = 75
    Height = 25
    Caption = '&OK'
    Default = True
    ModalResult = mrOk
    TabOrder = 0
  end
  object btnCancel: TButton
    Left = 104
    Top = 48
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = mrCancel
    TabOrder = 1
    OnClick = CancelClick
  end
end
)";

class DialogForm : public AppTest {};

TEST_F(DialogForm, ReadAnsweredByEnterAndEscWrittenBackWithoutDefaults)
{
    TOwned<TForm> dlg(new TForm(nullptr));
    int cancelClicks = 0;
    dlg->RegisterMethod("CancelClick", std::any(TNotifyEvent([&](TObject*) { ++cancelClicks; })));
    ReadComponentText(kDialog, dlg.get());
    auto* ok = dynamic_cast<TButton*>(dlg->FindComponent("btnOK"));
    auto* cancel = dynamic_cast<TButton*>(dlg->FindComponent("btnCancel"));
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(dlg->ClientWidth(), 200);
    EXPECT_EQ(ok->Parent(), dlg.get());
    EXPECT_TRUE(ok->Default());
    EXPECT_EQ(cancel->ModalResult(), mrCancel);
    EXPECT_EQ(dynamic_cast<TLabel*>(dlg->FindComponent("Label1"))->Font().Style(), fsBold);

    input.Key(VK_RETURN);
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    input.Key(VK_ESCAPE);
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_EQ(cancelClicks, 1);

    std::string written = WriteComponentText(dlg.get());
    EXPECT_EQ(written.find("Visible"), std::string::npos);   // holds its default
    EXPECT_EQ(written.find("Default = False"), std::string::npos);
    EXPECT_NE(written.find("OnClick = CancelClick"), std::string::npos);
    EXPECT_NE(written.find("ModalResult = mrOk"), std::string::npos);

    TOwned<TForm> again(new TForm(nullptr));
    again->RegisterMethod("CancelClick", std::any(TNotifyEvent([&](TObject*) {})));
    ReadComponentText(written, again.get());
    EXPECT_EQ(WriteComponentText(again.get()), written);
}

TEST_F(DialogForm, MalformedDialogRefusedWithLineAndNothingBuilt)
{
    TOwned<TForm> dlg(new TForm(nullptr));
    std::string bad = kDialog;
    bad.replace(bad.find("Default = True"), 14, "Defualt = True");
    try {
        ReadComponentText(bad, dlg.get());
        FAIL() << "accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(std::string(e.Message()), "line 24: unknown property 'Defualt' of TButton");
    }
    EXPECT_EQ(dlg->ComponentCount(), 0);
}

}  // namespace

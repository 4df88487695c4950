// The standard controls in form files: read with their published properties, written back
// without the properties that hold their defaults, read again to the same text.
#include <gtest/gtest.h>

#include <string>

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

const char* kLocate = R"(object Locate: TForm
  BorderStyle = bsDialog
  Caption = 'Locate Value'
  ClientHeight = 162
  ClientWidth = 321
  object GroupBox2: TGroupBox
    Left = 8
    Top = 32
    Width = 216
    Height = 93
    Caption = 'Options'
    TabOrder = 1
    object cbxCaseSensitive: TCheckBox
      Left = 11
      Top = 16
      Width = 197
      Height = 17
      Caption = 'Case &Sensitive'
      TabOrder = 0
    end
    object rbExactMatch: TRadioButton
      Left = 12
      Top = 48
      Width = 201
      Height = 17
      Caption = '&No Wildcards'
      TabOrder = 1
    end
    object rbPatternMatch: TRadioButton
      Left = 12
      Top = 68
      Width = 201
      Height = 17
      Caption = '&Allow Wildcards'
      Checked = True
      TabOrder = 2
      TabStop = True
    end
    object Bevel1: TBevel
      Left = -1
      Top = 36
      Width = 214
      Height = 5
      Shape = bsBottomLine
    end
  end
  object txtSearchString: TEdit
    Left = 69
    Top = 6
    Width = 244
    Height = 21
    TabOrder = 0
    Text = 'txtSearchString'
    OnChange = txtSearchStringChange
  end
  object CancelBtn: TBitBtn
    Left = 232
    Top = 132
    Width = 81
    Height = 24
    Caption = 'Close'
    Cancel = True
    ModalResult = mrCancel
    TabOrder = 2
    Kind = bkCancel
    NumGlyphs = 2
  end
  object Panel1: TPanel
    Left = 232
    Top = 36
    Width = 81
    Height = 60
    BevelInner = bvLowered
    BorderWidth = 2
    TabOrder = 3
    object Speed: TSpeedButton
      Left = 4
      Top = 4
      Width = 23
      Height = 22
      AllowAllUp = True
      GroupIndex = 2
      Down = True
      Flat = True
    end
  end
end
)";

class StdFormFile : public AppTest {};

TEST_F(StdFormFile, LocateDialogReadWrittenWithoutDefaultsAndReadAgain)
{
    TOwned<TForm> dlg(new TForm(nullptr));
    int changes = 0;
    dlg->RegisterMethod("txtSearchStringChange", std::any(TNotifyEvent([&](TObject*) { ++changes; })));
    ReadComponentText(kLocate, dlg.get());

    auto* edit = dynamic_cast<TEdit*>(dlg->FindComponent("txtSearchString"));
    auto* pattern = dynamic_cast<TRadioButton*>(dlg->FindComponent("rbPatternMatch"));
    auto* exact = dynamic_cast<TRadioButton*>(dlg->FindComponent("rbExactMatch"));
    auto* close = dynamic_cast<TBitBtn*>(dlg->FindComponent("CancelBtn"));
    auto* bevel = dynamic_cast<TBevel*>(dlg->FindComponent("Bevel1"));
    auto* speed = dynamic_cast<TSpeedButton*>(dlg->FindComponent("Speed"));
    auto* panel = dynamic_cast<TPanel*>(dlg->FindComponent("Panel1"));
    ASSERT_TRUE(edit && pattern && exact && close && bevel && speed && panel);
    EXPECT_EQ(edit->Text(), "txtSearchString");
    EXPECT_EQ(edit->Color(), clWindow);
    EXPECT_EQ(changes, 0);  // the handler is bound after the text was read
    EXPECT_TRUE(pattern->Checked());
    EXPECT_FALSE(exact->Checked());
    // The caption in the file stands: the kind does not overwrite it while reading.
    EXPECT_EQ(close->Caption(), "Close");
    EXPECT_EQ(close->Kind(), bkCancel);
    EXPECT_EQ(bevel->Shape(), bsBottomLine);
    EXPECT_TRUE(speed->Down());
    EXPECT_TRUE(speed->AllowAllUp());
    EXPECT_EQ(panel->InnerRect(), Rect(4, 4, 77, 56));

    input.Type("abc").Key(VK_ESCAPE);
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(changes, 3);

    std::string written = WriteComponentText(dlg.get());
    for (const char* absent : {"ReadOnly", "AutoSelect", " Style = ", "BevelOuter", "Color", "Caption = 'abc'",
                               "Checked = False", "NumGlyphs = 1", "Alignment"})
        EXPECT_EQ(written.find(absent), std::string::npos) << absent;
    for (const char* present : {"Text = 'abc'", "OnChange = txtSearchStringChange", "Shape = bsBottomLine",
                                "Kind = bkCancel", "BevelInner = bvLowered", "Down = True"})
        EXPECT_NE(written.find(present), std::string::npos) << present;
    EXPECT_LT(written.find("GroupIndex = 2"), written.find("Down = True"));

    TOwned<TForm> again(new TForm(nullptr));
    again->RegisterMethod("txtSearchStringChange", std::any(TNotifyEvent([](TObject*) {})));
    ReadComponentText(written, again.get());
    EXPECT_EQ(WriteComponentText(again.get()), written);
}

TEST_F(StdFormFile, UnknownControlPropertyIsRefusedWithItsLine)
{
    std::string bad = kLocate;
    bad.replace(bad.find("Shape = bsBottomLine"), 20, "Shape = bsBottom");
    TOwned<TForm> dlg(new TForm(nullptr));
    dlg->RegisterMethod("txtSearchStringChange", std::any(TNotifyEvent([](TObject*) {})));
    EXPECT_THROW(ReadComponentText(bad, dlg.get()), EReadError);
    EXPECT_EQ(dlg->ComponentCount(), 0);
}

}  // namespace

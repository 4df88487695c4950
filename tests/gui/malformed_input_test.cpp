// Damaged form files and bitmaps: every one is refused with the platform's own exception
// or read whole; nothing crashes, hangs or is half-built.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/Resources.h"
#include "korin/platform/gui/Registration.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

class Malformed : public AppTest {};

std::string Mutate(std::string s, std::mt19937& rng)
{
    std::uniform_int_distribution<int> kind(0, 5);
    auto pos = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
    switch (kind(rng)) {
    case 0:  // cut short
        return s.substr(0, pos(s.size()));
    case 1:  // one byte changed
        if (!s.empty())
            s[pos(s.size())] = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
        return s;
    case 2: {  // a line dropped
        size_t at = s.find('\n', pos(s.size()));
        size_t next = at == std::string::npos ? std::string::npos : s.find('\n', at + 1);
        if (next != std::string::npos)
            s.erase(at, next - at);
        return s;
    }
    case 3:  // a piece doubled
    {
        size_t a = pos(s.size()), n = pos(40);
        return s.substr(0, a) + s.substr(a, n) + s.substr(a);
    }
    case 4:  // an unbalanced quote, bracket or parenthesis
    {
        const char* marks = "'[(<#+";
        s.insert(pos(s.size()), 1, marks[pos(6)]);
        return s;
    }
    default:  // deep nesting
    {
        std::string deep;
        for (int i = 0; i < 300; ++i)
            deep += "object X" + std::to_string(i) + ": TPanel\n";
        return deep + s;
    }
    }
}

TEST_F(Malformed, DamagedFormFilesAreRefusedOrReadWhole)
{
    const std::string original = R"(object Dlg: TForm
  BorderStyle = bsDialog
  Caption = 'Locate Value'
  ClientHeight = 162
  ClientWidth = 321
  Position = poScreenCenter
  KeyPreview = True
  ActiveControl = txtSearchString
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
    end
    object rbPatternMatch: TRadioButton
      Left = 12
      Top = 68
      Width = 201
      Height = 17
      Caption = '&Allow Wildcards  @  and  ..'
      Checked = True
    end
  end
  object FindFirstButton: TButton
    Left = 232
    Top = 36
    Width = 81
    Height = 21
    Caption = '&Find First'
    Default = True
    Enabled = False
    ModalResult = mrOk
  end
  object txtSearchString: TEdit
    Left = 69
    Top = 6
    Width = 244
    Height = 21
    Text = 'txtSearchString'
    Font.Style = [fsBold]
    TabOrder = 0
  end
  object cbxFields: TComboBox
    Left = 13
    Top = 218
    Width = 214
    Items.Strings = (
      'Name'
      'City')
    Visible = False
  end
end
)";
    TOwned<TForm> plain(new TForm(nullptr));
    ReadComponentText(original, plain.get());  // the undamaged file reads
    std::mt19937 rng(20261206);
    int refused = 0, read = 0;
    for (int i = 0; i < 400; ++i) {
        std::string text = Mutate(original, rng);
        TOwned<TForm> form(new TForm(nullptr));
        try {
            ReadComponentText(text, form.get());
            ++read;
        } catch (const EFilerError&) {
            ++refused;
            EXPECT_EQ(form->ComponentCount(), 0) << text;  // nothing half-built
        } catch (const Exception& e) {
            ++refused;  // a value a setter refuses (e.g. an out-of-range number)
            EXPECT_EQ(form->ComponentCount(), 0) << e.Message();
        }
    }
    EXPECT_GT(refused, 100);
    EXPECT_GT(read, 10);
}

TEST_F(Malformed, DamagedBitmapsAreRefusedAndKeepTheOldImage)
{
    auto data = FindResourceData("DBN_16_FIRST");
    const std::vector<unsigned char> original(data.begin(), data.end());
    std::mt19937 rng(7);
    for (int i = 0; i < 400; ++i) {
        std::vector<unsigned char> bytes = original;
        int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e)
            bytes[rng() % bytes.size()] = static_cast<unsigned char>(rng());
        if (rng() % 3 == 0)
            bytes.resize(rng() % bytes.size());
        TBitmap bmp(3, 2);
        bmp.SetPixels(0, 0, clRed);
        try {
            bmp.LoadFromBMP(bytes);
            EXPECT_GT(bmp.Width() * bmp.Height(), 0);
        } catch (const EInvalidGraphic&) {
            EXPECT_EQ(bmp.Width(), 3);
            EXPECT_EQ(bmp.Pixels(0, 0), clRed);
        }
    }
}

}  // namespace

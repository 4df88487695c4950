#include "korin/query/Sqdlg.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/FormPart.h"
#include "korin/platform/core/TypInfo.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Registration.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

TSetupQ* SetupQ = nullptr;
std::string Undostr;
std::string Undostr1;
int BracketsCount = 0;
std::vector<std::string> BracketsText;
bool RawStaticText = false;

const char* const SetupQAboutText =
    "Korin condition builder\n\nCompose a condition by clicking a field, an operator and a value; "
    "in query mode also the sort order.";

namespace {

void RegisterSetupQ()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterGuiClasses();
    RegisterClass<TSetupQ>("TSetupQ", "TForm");
}

template <class T>
T* Part(TComponent* Root, const std::string& Name)
{
    return FormPart<T>(Root, "TSetupQ", Name);
}

bool IsTextField(TFieldType Type)
{
    return Type == ftString || Type == ftWideString || Type == ftMemo || Type == ftFmtMemo;
}

// The operator glyphs, one 16 x 16 image per tool button in order: the operator's own
// sign drawn in navy on a transparent background (the separator's image stays empty).
const char* const OperatorSigns[15] = {">", "<", "LK", "\u2265", "\u2264", "+", "\u2212", "&",
                                       "|", "( )", "", "a%", "%a%", "%a", "="};

// The transparent colour of the glyphs: white, so that the soft edges of the drawn signs
// blend towards a light button face.
constexpr TColor GlyphBack = 0xFFFFFF;

// A 16 x 16 glyph for the small buttons, drawn with lines; Kind selects the picture.
enum TSmallGlyph { sgUndo, sgErase, sgAdd, sgOrder };

void DrawSmallGlyph(TBitmap& Bmp, TSmallGlyph Kind)
{
    Bmp.SetSize(11, 9);
    TCanvas& c = Bmp.Canvas();
    c.Brush().SetColor(GlyphBack);
    c.FillRect(TRect{0, 0, 11, 9});
    c.Pen().SetColor(clNavy);
    switch (Kind) {
    case sgUndo:  // a hooked arrow pointing left
        c.MoveTo(2, 3); c.LineTo(8, 3); c.LineTo(9, 4); c.LineTo(9, 6); c.LineTo(8, 7); c.LineTo(5, 7);
        c.MoveTo(4, 1); c.LineTo(2, 3); c.LineTo(5, 6);
        break;
    case sgErase:  // a cross
        c.MoveTo(2, 1); c.LineTo(9, 8);
        c.MoveTo(8, 1); c.LineTo(1, 8);
        break;
    case sgAdd:  // an arrow pointing down into a bar
        c.MoveTo(5, 0); c.LineTo(5, 6);
        c.MoveTo(2, 3); c.LineTo(5, 6); c.LineTo(8, 2);
        c.MoveTo(1, 8); c.LineTo(10, 8);
        break;
    case sgOrder:  // two chevrons pointing right
        c.MoveTo(2, 1); c.LineTo(5, 4); c.LineTo(1, 8);
        c.MoveTo(6, 1); c.LineTo(9, 4); c.LineTo(5, 8);
        break;
    }
    Bmp.SetTransparentColor(GlyphBack);
    Bmp.SetTransparent(true);
}

}  // namespace

std::string QuoteSQLString(const std::string& Text)
{
    std::string out = "'";
    for (char c : Text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

std::string QuoteFieldName(const std::string& Name)
{
    bool plain = !Name.empty() && !(Name[0] >= '0' && Name[0] <= '9');
    for (unsigned char c : Name)
        if (!(std::isalnum(c) || c == '_'))
            plain = false;
    if (plain)
        return Name;
    std::string out = "\"";
    for (char c : Name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

TSetupQ::TSetupQ(TComponent* AOwner) : TForm(AOwner)
{
    RegisterSetupQ();
    auto bind = [this](const char* name, void (TSetupQ::*handler)(TObject*)) {
        RegisterMethod(name, TNotifyEvent([this, handler](TObject* Sender) { (this->*handler)(Sender); }));
    };
    bind("FormCreate", &TSetupQ::FormCreate);
    bind("FormShow", &TSetupQ::FormShow);
    bind("ListBox1Click", &TSetupQ::ListBox1Click);
    bind("BitBtn5Click", &TSetupQ::BitBtn5Click);
    bind("BitBtn6Click", &TSetupQ::BitBtn6Click);
    bind("tbGreatClick", &TSetupQ::tbGreatClick);
    bind("BitBtn1Click", &TSetupQ::BitBtn1Click);
    bind("BitBtn2Click", &TSetupQ::BitBtn2Click);
    bind("BitBtn3Click", &TSetupQ::BitBtn3Click);
    bind("BitBtn4Click", &TSetupQ::BitBtn4Click);
    bind("BitBtn7Click", &TSetupQ::BitBtn7Click);
    bind("ListBox2DblClick", &TSetupQ::ListBox2DblClick);
    bind("Edit3DblClick", &TSetupQ::Edit3DblClick);
    bind("Image1Click", &TSetupQ::Image1Click);
    ReadComponentRes("TSetupQ", this);

    Label1 = Part<TLabel>(this, "Label1");
    Label2 = Part<TLabel>(this, "Label2");
    Label3 = Part<TLabel>(this, "Label3");
    Label4 = Part<TLabel>(this, "Label4");
    Bevel1 = Part<TBevel>(this, "Bevel1");
    Bevel3 = Part<TBevel>(this, "Bevel3");
    Bevel4 = Part<TBevel>(this, "Bevel4");
    Bevel5 = Part<TBevel>(this, "Bevel5");
    Bevel7 = Part<TBevel>(this, "Bevel7");
    ListBox1 = Part<TListBox>(this, "ListBox1");
    Edit1 = Part<TEdit>(this, "Edit1");
    Edit2 = Part<TEdit>(this, "Edit2");
    ActButtons = Part<TToolBar>(this, "ActButtons");
    tbGreat = Part<TToolButton>(this, "tbGreat");
    tbLess = Part<TToolButton>(this, "tbLess");
    tbLike = Part<TToolButton>(this, "tbLike");
    tbGreatE = Part<TToolButton>(this, "tbGreatE");
    tbLessE = Part<TToolButton>(this, "tbLessE");
    tbPlus = Part<TToolButton>(this, "tbPlus");
    tbMinus = Part<TToolButton>(this, "tbMinus");
    tbAnd = Part<TToolButton>(this, "tbAnd");
    tbOr = Part<TToolButton>(this, "tbOr");
    tbBrackets = Part<TToolButton>(this, "tbBrackets");
    tbSepar1 = Part<TToolButton>(this, "tbSepar1");
    tbStartWith = Part<TToolButton>(this, "tbStartWith");
    tbContain = Part<TToolButton>(this, "tbContain");
    tbEndTo = Part<TToolButton>(this, "tbEndTo");
    ToolButton1 = Part<TToolButton>(this, "ToolButton1");
    BitBtn1 = Part<TBitBtn>(this, "BitBtn1");
    BitBtn2 = Part<TBitBtn>(this, "BitBtn2");
    BitBtn3 = Part<TBitBtn>(this, "BitBtn3");
    BitBtn4 = Part<TBitBtn>(this, "BitBtn4");
    BitBtn5 = Part<TBitBtn>(this, "BitBtn5");
    BitBtn6 = Part<TBitBtn>(this, "BitBtn6");
    BitBtn7 = Part<TBitBtn>(this, "BitBtn7");
    ListBox2 = Part<TListBox>(this, "ListBox2");
    Edit3 = Part<TEdit>(this, "Edit3");
    ImageList1 = Part<TImageList>(this, "ImageList1");
    // The form file cannot say which tool buttons belong together; the bar's order is
    // what GetToolButtonIndex reads, so it must be exactly the operator order.
    const TToolButton* order[15] = {tbGreat, tbLess, tbLike, tbGreatE, tbLessE, tbPlus, tbMinus, tbAnd,
                                    tbOr, tbBrackets, tbSepar1, tbStartWith, tbContain, tbEndTo, ToolButton1};
    if (ActButtons->ButtonCount() != 15)
        throw EReadError("TSetupQ: ActButtons must hold the 15 operator buttons");
    for (int i = 0; i < 15; ++i)
        if (ActButtons->Buttons(i) != order[i])
            throw EReadError("TSetupQ: the operator buttons are out of order");
    MakeGlyphs();
    FormCreate(this);
    SetupQ = this;
}

TSetupQ::~TSetupQ()
{
    if (SetupQ == this)
        SetupQ = nullptr;
    if (FDataSource)
        FDataSource->RemoveFreeNotification(this);
}

void TSetupQ::MakeGlyphs()
{
    TBitmap strip(16 * 15, 16);
    TCanvas& c = strip.Canvas();
    c.Brush().SetColor(GlyphBack);
    c.FillRect(TRect{0, 0, strip.Width(), 16});
    c.Font().SetColor(clNavy);
    c.Font().SetStyle(fsBold);
    c.Font().SetHeight(-10);
    for (int i = 0; i < 15; ++i) {
        const std::string sign = OperatorSigns[i];
        if (sign.empty())
            continue;
        // Wide signs get a smaller face so that they stay inside their cell.
        c.Font().SetHeight(-10);
        c.Font().SetStyle(fsBold);
        TSize sz = c.TextExtent(sign);
        if (sz.cx > 15) {
            c.Font().SetHeight(-8);
            sz = c.TextExtent(sign);
        }
        c.Brush().SetColor(GlyphBack);
        c.TextOut(16 * i + (16 - sz.cx) / 2, (16 - sz.cy) / 2, sign);
    }
    ImageList1->Clear();
    ImageList1->AddMasked(strip, GlyphBack);

    BitBtn1->Glyph().LoadFromResourceName("DBN__POST");
    BitBtn1->SetNumGlyphs(2);
    BitBtn2->Glyph().LoadFromResourceName("DBN__CANCEL");
    BitBtn2->SetNumGlyphs(2);
    DrawSmallGlyph(BitBtn3->Glyph(), sgUndo);
    DrawSmallGlyph(BitBtn4->Glyph(), sgErase);
    DrawSmallGlyph(BitBtn5->Glyph(), sgAdd);
    DrawSmallGlyph(BitBtn6->Glyph(), sgAdd);
    DrawSmallGlyph(BitBtn7->Glyph(), sgOrder);
}

void TSetupQ::SetDataSource(TDataSource* Value)
{
    if (Value == FDataSource)
        return;
    if (FDataSource)
        FDataSource->RemoveFreeNotification(this);
    FDataSource = Value;
    if (FDataSource)
        FDataSource->FreeNotification(this);
}

void TSetupQ::Notification(TComponent* AComponent, TOperation Operation)
{
    TForm::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == static_cast<TComponent*>(FDataSource))
        FDataSource = nullptr;
}

void TSetupQ::SetVisibleButtons(TVisibleButtons Value)
{
    FVisibleButtons = Value;
    SetVisibleButtons();
}

std::string TSetupQ::Condition() const { return Edit1->Text(); }
std::string TSetupQ::OrderBy() const { return Edit3->Text(); }

void TSetupQ::FormCreate(TObject*)
{
    FVisibleButtons = AllSetupQButtons;
    FDialogMode = dopQuery;
    SetCaption("Query Setup");
    Label1->SetCaption("Condition");
    Label2->SetCaption("Select Field for Action");
    Label3->SetCaption("Static Text");
    Label4->SetCaption("ORDER BY:");
    BitBtn1->SetHint("Apply Condition");
    BitBtn2->SetHint("Cancel");
    BitBtn3->SetHint("Undo Action");
    BitBtn4->SetHint("Erase All");
    BitBtn5->SetHint("Add to Query");
    BitBtn6->SetHint("Add to Query");
    ListBox2->SetHint("Double click to SELECT");
    Edit3->SetHint("Double click to UNDO");
}

void TSetupQ::FormShow(TObject*)
{
    FillupFieldsList();
    BracketsCount = 0;
    BracketsText.clear();
    SetWidth(262);
    BitBtn7->SetVisible(FDialogMode == dopQuery);
    SetVisibleButtons();
}

void TSetupQ::FillupFieldsList()
{
    ListBox1->Clear();
    ListBox2->Clear();
    TDataSet* ds = FDataSource ? FDataSource->DataSet() : nullptr;
    if (!ds)
        return;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        const std::string& name = ds->Fields(i)->FieldName();
        ListBox1->AddItem(name);
        if (FDialogMode == dopQuery)
            ListBox2->AddItem(name);
    }
}

void TSetupQ::SetVisibleButtons()
{
    for (int i = 0; i < ActButtons->ButtonCount() && i < 15; ++i)
        ActButtons->Buttons(i)->SetEnabled(FVisibleButtons.Contains(static_cast<TSetupQButtons>(i)));
}

int TSetupQ::GetToolButtonIndex(TToolButton* Button) const
{
    for (int i = 0; i < ActButtons->ButtonCount(); ++i)
        if (ActButtons->Buttons(i) == Button)
            return i;
    return 15;
}

void TSetupQ::ListBox1Click(TObject*)
{
    for (TSetupQButtons b : {sqbLike, sqbStartWith, sqbContain, sqbEndTo})
        FVisibleButtons.Exclude(b);
    RawStaticText = true;
    TDataSet* ds = FDataSource ? FDataSource->DataSet() : nullptr;
    const int i = ListBox1->ItemIndex();
    TField* field = (ds && i >= 0) ? ds->FindField(ListBox1->Items()[i]) : nullptr;
    if (field && IsTextField(field->DataType())) {
        // A text is a literal in filter mode too: unquoted it would read as a name or
        // break the expression. Only LIKE and the patterns stay off there.
        RawStaticText = false;
        if (FDialogMode != dopFilter)
            for (TSetupQButtons b : {sqbLike, sqbStartWith, sqbContain, sqbEndTo})
                FVisibleButtons.Include(b);
    }
    SetVisibleButtons();
}

void TSetupQ::SaveUndo()
{
    Undostr = Edit1->Text();
    BitBtn3->SetEnabled(true);
}

void TSetupQ::SaveUndo1()
{
    Undostr1 = Edit3->Text();
    Edit3->SetHint("Double click to UNDO");
}

void TSetupQ::AppendCondition(const std::string& Text)
{
    SaveUndo();
    Edit1->SetText(Edit1->Text() + Text);
    Edit1->SetModified(true);
}

void TSetupQ::BitBtn5Click(TObject*)
{
    const int i = ListBox1->ItemIndex();
    if (i < 0 || i >= ListBox1->Count())
        return;
    AppendCondition(" " + QuoteFieldName(ListBox1->Items()[i]));
}

void TSetupQ::BitBtn6Click(TObject*)
{
    const std::string text = Edit2->Text();
    if (!text.empty())
        SaveUndo();
    Edit1->SetText(Edit1->Text() + (RawStaticText ? " " + text : QuoteSQLString(text)));
    Edit1->SetModified(true);
}

void TSetupQ::tbGreatClick(TObject* Sender)
{
    const std::string text = Edit2->Text();
    switch (GetToolButtonIndex(As<TToolButton>(Sender))) {
    case sqbGreat: AppendCondition(" >"); break;
    case sqbLess: AppendCondition(" <"); break;
    case sqbLike: AppendCondition(" LIKE "); break;
    case sqbGreatE: AppendCondition(" >="); break;
    case sqbLessE: AppendCondition(" <="); break;
    case sqbPlus: AppendCondition(" +"); break;
    case sqbMinus: AppendCondition(" -"); break;
    case sqbAnd: AppendCondition(" AND "); break;
    case sqbOr: AppendCondition(" OR "); break;
    case sqbBrackets: BracketsClick(); break;
    case sqbSepar1: AppendCondition(""); break;
    case sqbStartWith: AppendCondition(" " + QuoteSQLString(text + "%") + " "); break;
    case sqbContain: AppendCondition(" " + QuoteSQLString("%" + text + "%") + " "); break;
    case sqbEndTo: AppendCondition(" " + QuoteSQLString("%" + text) + " "); break;
    case sqbEqual: AppendCondition(" = "); break;
    default: break;
    }
}

void TSetupQ::BracketsClick()
{
    BitBtn3->SetEnabled(false);
    ++BracketsCount;
    SetCaption("(" + Caption() + ")");
    BracketsText.push_back(Edit1->Text());
    Edit1->SetText("");
}

// Removes one pair of parentheses that a bracket level put around the caption.
static std::string UnwrapCaption(const std::string& Caption)
{
    if (Caption.size() >= 2 && Caption.front() == '(' && Caption.back() == ')')
        return Caption.substr(1, Caption.size() - 2);
    return Caption;
}

void TSetupQ::BitBtn1Click(TObject*)
{
    if (BracketsCount <= 0) {
        SetModalResult(mrOk);
        return;
    }
    SetModalResult(mrNone);
    std::string saved = BracketsText.empty() ? std::string() : BracketsText.back();
    if (!BracketsText.empty())
        BracketsText.pop_back();
    // An empty inner condition adds nothing: the level's saved text comes back as it was.
    Edit1->SetText(Edit1->Text().empty() ? saved : saved + "(" + Edit1->Text() + ")");
    --BracketsCount;
    SetCaption(UnwrapCaption(Caption()));
    Edit1->SetModified(true);
}

void TSetupQ::BitBtn2Click(TObject*)
{
    if (BracketsCount <= 0) {
        SetModalResult(mrCancel);
        return;
    }
    // Cancelling a bracket level drops its inner condition and gives back the text the
    // level started from.
    SetModalResult(mrNone);
    if (!BracketsText.empty()) {
        Edit1->SetText(BracketsText.back());
        BracketsText.pop_back();
    }
    --BracketsCount;
    SetCaption(UnwrapCaption(Caption()));
    Edit1->SetModified(true);
}

void TSetupQ::BitBtn3Click(TObject*)
{
    Edit1->SetText(Undostr);
    BitBtn3->SetEnabled(false);
}

void TSetupQ::BitBtn4Click(TObject*)
{
    SaveUndo();
    Edit1->SetText("");
    Edit1->SetModified(true);
}

void TSetupQ::BitBtn7Click(TObject*) { SetWidth(Width() == 262 ? 422 : 262); }

void TSetupQ::ListBox2DblClick(TObject*)
{
    const int i = ListBox2->ItemIndex();
    if (i < 0 || i >= ListBox2->Count())
        return;
    SaveUndo1();
    const std::string name = QuoteFieldName(ListBox2->Items()[i]);
    Edit3->SetText(Edit3->Text().empty() ? name : Edit3->Text() + "," + name);
    Edit3->SetModified(true);
}

void TSetupQ::Edit3DblClick(TObject*)
{
    Edit3->SetText(Undostr1);
    Edit3->SetModified(true);
    Edit3->SetHint("No more UNDO!");
}

void TSetupQ::Image1Click(TObject*) { Application->MessageBox(SetupQAboutText, "About", MB_OK | MB_ICONINFORMATION); }

void TSetupQ::CaptionControl1ButtonClick(TObject*, int Index)
{
    if (Index == 0)
        Application->MessageBox(SetupQAboutText, "About", MB_OK | MB_ICONINFORMATION);
}

}  // namespace korin

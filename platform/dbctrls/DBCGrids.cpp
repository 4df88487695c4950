#include "korin/platform/dbctrls/DBCGrids.h"

#include <algorithm>

#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Render.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// TDBCtrlPanel

TDBCtrlPanel::TDBCtrlPanel(TDBCtrlGrid* Grid) : TWinControl(Grid), FGrid(Grid)
{
    SetControlStyle(ControlStyle() | csAcceptsControls);
}

void TDBCtrlPanel::Paint()
{
    TCanvas& c = *Canvas();
    c.Brush().SetColor(FGrid->SelectedColor());
    c.FillRect(ClientRect());
    if (FGrid->OnPaintPanel)
        FGrid->OnPaintPanel(FGrid, FGrid->PanelIndex());
}

// ---------------------------------------------------------------------------------------
// Data link

class TDBCtrlGrid::TCtrlGridLink : public TDataLink {
public:
    explicit TCtrlGridLink(TDBCtrlGrid* Grid) : FGrid(Grid) { SetVisualControl(true); }
    void ActiveChanged() override { FGrid->DataChanged(); }
    void DataSetChanged() override { FGrid->DataChanged(); }
    void DataSetScrolled(int) override { FGrid->DataChanged(); }
    void RecordChanged(TField*) override { FGrid->Invalidate(); }

private:
    TDBCtrlGrid* FGrid;
};

// ---------------------------------------------------------------------------------------
// TDBCtrlGrid

TDBCtrlGrid::TDBCtrlGrid(TComponent* AOwner) : TWinControl(AOwner), FDataLink(std::make_unique<TCtrlGridLink>(this))
{
    SetTabStop(true);
    SetColor(clBtnFace);
    FPanel = new TDBCtrlPanel(this);
    FPanel->SetParent(this);
    SetBounds(0, 0, 200, 216);
    PlacePanel();
}

TDBCtrlGrid::~TDBCtrlGrid()
{
    FDataLink->SetDataSource(nullptr);
}

TDataSource* TDBCtrlGrid::DataSource() const
{
    return FDataLink->DataSource();
}

void TDBCtrlGrid::SetDataSource(TDataSource* Value)
{
    if (FDataLink->SetDataSourceFor(this, Value))
        DataChanged();
}

void TDBCtrlGrid::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (FDataLink && AComponent == FDataLink->DataSource()) {
        FDataLink->SetDataSource(nullptr);
        DataChanged();
    }
    if (AComponent == FPanel)
        FPanel = nullptr;
}

void TDBCtrlGrid::SetRowCount(int Value)
{
    FRowCount = std::max(1, Value);
    DataChanged();
}

int TDBCtrlGrid::PanelHeight() const
{
    return std::max(1, Height() / FRowCount);
}

int TDBCtrlGrid::TotalRecords() const
{
    if (!FDataLink->Active())
        return 0;
    return FRecordCount + (FDataLink->DataSet()->State() == dsInsert ? 1 : 0);
}

bool TDBCtrlGrid::ScrollBarVisible() const
{
    return TotalRecords() > FRowCount;
}

int TDBCtrlGrid::PanelWidth() const
{
    return std::max(0, ClientWidth() - (ScrollBarVisible() ? ScrollBarSize : 0));
}

void TDBCtrlGrid::SyncBar() const
{
    FBar.Kind = sbVertical;
    FBar.Bounds = ScrollBarVisible() ? Rect(ClientWidth() - ScrollBarSize, 0, ClientWidth(), ClientHeight()) : TRect();
    FBar.Min = 0;
    FBar.Max = std::max(0, TotalRecords() - 1);
    FBar.PageSize = FRowCount;
    FBar.SmallChange = 1;
    FBar.LargeChange = FRowCount;
    FBar.SetPosition(FTopRecord);
    if (!FBar.OnScroll) {
        auto* self = const_cast<TDBCtrlGrid*>(this);
        FBar.OnScroll = [self](TScrollCode Code, int& ScrollPos) {
            self->Scroll(Code, ScrollPos);
            ScrollPos = self->FTopRecord;
        };
        FBar.OnInvalidate = [self] { self->Invalidate(); };
    }
}

const TScrollBarPart& TDBCtrlGrid::ScrollBar() const
{
    SyncBar();
    return FBar;
}

void TDBCtrlGrid::Scroll(TScrollCode Code, int Pos)
{
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (!ds)
        return;
    switch (Code) {
    case scLineUp: ScrollData(-1); break;
    case scLineDown: ScrollData(1); break;
    case scPageUp: ScrollData(-FRowCount); break;
    case scPageDown: ScrollData(FRowCount); break;
    case scTrack:
    case scPosition: ScrollData(Pos - FTopRecord); break;
    case scTop: ds->First(); break;
    case scBottom: ds->Last(); break;
    case scEndScroll: break;
    }
}

void TDBCtrlGrid::ScrollData(int Distance)
{
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (!ds || Distance == 0)
        return;
    // A record being edited is posted first (a refusal leaves everything as it was), so
    // that the rows do not follow the post's own notification.
    ds->CheckBrowseMode();
    int old = FTopRecord;
    // The rows move first, so that the record the dataset reaches keeps its row.
    FTopRecord = std::clamp(FTopRecord + Distance, 0, std::max(0, TotalRecords() - FRowCount));
    try {
        ds->MoveBy(Distance);
    } catch (...) {
        // The dataset stayed (a record that could not be posted): so do the rows.
        FTopRecord = old;
        DataChanged();
        throw;
    }
    DataChanged();
}

bool TDBCtrlGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    if (int notches = WheelNotches(WheelDelta))
        ScrollData(-notches);
    return true;
}

void TDBCtrlGrid::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FBar.Pressed())
        FBar.MouseMove(Point(X, Y));
    TWinControl::MouseMove(Shift, X, Y);
}

void TDBCtrlGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FBar.Pressed())
        FBar.MouseUp(Point(X, Y));
    TWinControl::MouseUp(Button, Shift, X, Y);
}

void TDBCtrlGrid::Resize()
{
    PlacePanel();
    TWinControl::Resize();
}

void TDBCtrlGrid::DataChanged()
{
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (!ds) {
        FRecordCount = 0;
        FTopRecord = 0;
        FPanelIndex = -1;
    } else {
        FRecordCount = ds->RecordCount();
        int current = ds->State() == dsInsert ? std::max(0, FTopRecord + std::max(0, FPanelIndex)) : ds->RecNo() - 1;
        if (current < 0)
            current = 0;
        if (current < FTopRecord)
            FTopRecord = current;
        else if (current >= FTopRecord + FRowCount)
            FTopRecord = current - FRowCount + 1;
        int total = FRecordCount + (ds->State() == dsInsert ? 1 : 0);
        FTopRecord = std::clamp(FTopRecord, 0, std::max(0, total - FRowCount));
        if (current < FTopRecord)
            FTopRecord = current;
        FPanelIndex = total == 0 ? 0 : current - FTopRecord;
    }
    PlacePanel();
    Invalidate();
}

void TDBCtrlGrid::PlacePanel()
{
    if (!FPanel)
        return;
    int index = std::max(0, FPanelIndex);
    FPanel->SetBounds(0, index * PanelHeight(), PanelWidth(), PanelHeight());
}

int TDBCtrlGrid::RowRecord(int Row) const
{
    if (!FDataLink->Active() || Row < 0 || Row >= FRowCount)
        return -1;
    TDataSet* ds = FDataLink->DataSet();
    bool inserting = ds->State() == dsInsert;
    int d = FTopRecord + Row;
    int ins = FTopRecord + FPanelIndex;
    if (inserting) {
        if (d == ins)
            return -1;
        if (d > ins)
            --d;
    }
    return d < FRecordCount ? d : -1;
}

std::vector<TComponent*> TDBCtrlGrid::GetChildren(TComponent* Root) const
{
    std::vector<TComponent*> out;
    if (FPanel)
        for (int i = 0; i < FPanel->ControlCount(); ++i)
            if (FPanel->Controls(i)->Owner() == Root)
                out.push_back(FPanel->Controls(i));
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i) != FPanel && Controls(i)->Owner() == Root)
            out.push_back(Controls(i));
    return out;
}

void TDBCtrlGrid::AdoptChildren()
{
    if (!FPanel)
        return;
    std::vector<TControl*> moving;
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i) != FPanel)
            moving.push_back(Controls(i));
    for (TControl* c : moving)
        c->SetParent(FPanel);
}

void TDBCtrlGrid::Loaded()
{
    TWinControl::Loaded();
    AdoptChildren();
    DataChanged();
}

void TDBCtrlGrid::DoKey(TDBCtrlGridKey Key)
{
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (!ds)
        return;
    switch (Key) {
    case gkEditMode:
        ds->Edit();
        break;
    case gkUp:
    case gkScrollUp:
    case gkLeft:
        ds->Prior();
        break;
    case gkDown:
    case gkScrollDown:
    case gkRight:
        ds->Next();
        break;
    case gkPageUp:
        ds->MoveBy(-FRowCount);
        break;
    case gkPageDown:
        ds->MoveBy(FRowCount);
        break;
    case gkHome:
        ds->First();
        break;
    case gkEnd:
        ds->Last();
        break;
    case gkInsert:
        if (FAllowInsert)
            ds->Insert();
        break;
    case gkAppend:
        if (FAllowInsert)
            ds->Append();
        break;
    case gkDelete:
        if (!FAllowDelete || ds->IsEmpty())
            break;
        if (ds->State() == dsInsert) {
            // A record not stored yet is simply dropped.
            ds->Cancel();
            break;
        }
        if (Application->MessageBox("Delete record?", "Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES)
            ds->Delete();
        break;
    case gkCancel:
        ds->Cancel();
        break;
    case gkPriorTab:
    case gkNextTab:
        if (FPanel)
            if (TCustomForm* form = GetParentForm(this))
                form->SelectNext(form->ActiveControl(), Key == gkNextTab, true);
        break;
    case gkNull:
        break;
    }
}

void TDBCtrlGrid::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    bool ctrl = (Shift & ssCtrl) != 0;
    TDBCtrlGridKey k = gkNull;
    switch (Key) {
    case VK_UP: k = gkUp; break;
    case VK_DOWN: k = gkDown; break;
    case VK_LEFT: k = gkLeft; break;
    case VK_RIGHT: k = gkRight; break;
    case VK_PRIOR: k = gkPageUp; break;
    case VK_NEXT: k = gkPageDown; break;
    case VK_HOME: k = ctrl ? gkHome : gkNull; break;
    case VK_END: k = ctrl ? gkEnd : gkNull; break;
    case VK_INSERT: k = gkInsert; break;
    case VK_DELETE: k = ctrl ? gkDelete : gkNull; break;
    case VK_ESCAPE: k = gkCancel; break;
    case VK_F1 + 1: k = gkEditMode; break;
    default: break;
    }
    if (k == gkNull)
        return;
    DoKey(k);
    Key = 0;
}

bool ForwardPanelKey(TControl* Control, std::uint16_t& Key, TShiftState Shift)
{
    auto* panel = Control ? dynamic_cast<TDBCtrlPanel*>(Control->Parent()) : nullptr;
    if (!panel || !panel->Grid() || (Shift & ssAlt))
        return false;
    bool ctrl = (Shift & ssCtrl) != 0;
    TDBCtrlGridKey k = gkNull;
    switch (Key) {
    case VK_UP: k = gkUp; break;
    case VK_DOWN: k = gkDown; break;
    case VK_PRIOR: k = gkPageUp; break;
    case VK_NEXT: k = gkPageDown; break;
    case VK_HOME: k = ctrl ? gkHome : gkNull; break;
    case VK_END: k = ctrl ? gkEnd : gkNull; break;
    case VK_DELETE: k = ctrl ? gkDelete : gkNull; break;
    default: break;
    }
    if (k == gkNull)
        return false;
    panel->Grid()->DoKey(k);
    Key = 0;
    return true;
}

void TDBCtrlGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TWinControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && X >= PanelWidth()) {
        if (ScrollBarVisible()) {
            SyncBar();
            FBar.MouseDown(Point(X, Y));
        }
        return;
    }
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (Button != mbLeft || !ds || ds->State() == dsInsert)
        return;
    int row = Y / PanelHeight();
    int rec = RowRecord(row);
    if (rec >= 0)
        ds->MoveBy(rec - (FTopRecord + FPanelIndex));
}

// The field a control on the panel shows, or null.
static TField* PanelControlField(TControl* C)
{
    if (auto* e = dynamic_cast<TDBEditControl*>(C))
        return e->Field();
    if (auto* e = dynamic_cast<TDBComboBox*>(C))
        return e->Field();
    if (auto* e = dynamic_cast<TDBCheckBox*>(C))
        return e->Field();
    if (auto* e = dynamic_cast<TDBListBox*>(C))
        return e->Field();
    if (auto* e = dynamic_cast<TDBRadioGroup*>(C))
        return e->Field();
    if (auto* e = dynamic_cast<TDBLookupControl*>(C))
        return e->Field();
    return nullptr;
}

void TDBCtrlGrid::PaintRow(TCanvas& c, int Row)
{
    int rec = RowRecord(Row);
    if (rec < 0 || !FPanel)
        return;
    int top = Row * PanelHeight();
    TDataSetRows rows(FDataLink->DataSet());
    for (int i = 0; i < FPanel->ControlCount(); ++i) {
        TControl* ctl = FPanel->Controls(i);
        if (!ctl->Visible())
            continue;
        TRect r = Bounds(ctl->Left(), top + ctl->Top(), ctl->Width(), ctl->Height());
        TField* f = PanelControlField(ctl);
        if (!f) {
            if (!dynamic_cast<TWinControl*>(ctl))
                PaintControlAt(ctl, c, r.Left, r.Top);  // labels and other drawings
            continue;
        }
        std::string text = FieldValueText(f, rows.Value(rec, f));
        if (auto* cb = dynamic_cast<TDBCheckBox*>(ctl)) {
            TRect box = Rect(r.Left, r.Top + (r.Height() - 13) / 2, r.Left + 13, r.Top + (r.Height() - 13) / 2 + 13);
            bool checked = text == "True" || text == cb->ValueChecked();
            PaintCheckMark(c, box, checked, text.empty(), false);
            c.Font().Assign(ctl->Font());
            PaintCellText(c, Rect(r.Left + 15, r.Top, r.Right, r.Bottom), cb->Caption(), false, taLeftJustify);
            continue;
        }
        c.SaveDC();
        c.IntersectClipRect(r);
        TRect inner = r;
        PaintFieldFrame(c, inner, clWindow);
        c.Font().Assign(ctl->Font());
        if (dynamic_cast<TDBMemo*>(ctl)) {
            TRect tr = inner;
            InflateRect(tr, -2, -1);
            c.Brush().SetStyle(bsClear);
            c.TextRect(tr, tr.Left, tr.Top, text.substr(0, text.find('\n')));
        } else if (auto* e = dynamic_cast<TDBEditControl*>(ctl)) {
            if (dynamic_cast<TDBSpinEdit*>(ctl))
                inner.Right -= 16;  // where the spin buttons stand
            PaintCellText(c, inner, text, false, e->Alignment());
        } else
            PaintCellText(c, inner, text, false, taLeftJustify);
        c.RestoreDC(-1);
    }
}

void TDBCtrlGrid::Paint()
{
    TCanvas& c = *Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    int ph = PanelHeight();
    int pw = PanelWidth();
    for (int row = 0; row < FRowCount; ++row) {
        TRect r = Rect(0, row * ph, pw, (row + 1) * ph);
        if (row != FPanelIndex) {
            c.SaveDC();
            c.IntersectClipRect(r);
            PaintRow(c, row);
            c.RestoreDC(-1);
        }
        c.Pen().SetColor(clBtnShadow);
        c.MoveTo(r.Left, r.Bottom - 1);
        c.LineTo(r.Right, r.Bottom - 1);
    }
    if (pw < ClientWidth()) {
        SyncBar();
        FBar.Paint(c, Enabled());
    }
}

}  // namespace korin

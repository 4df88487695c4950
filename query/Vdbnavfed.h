#pragma once
// Vdbnavfed: the filter edit box TFilterEditBox, a small tool window with one edit line
// in which the user types a filter expression, and a button that opens the condition
// builder (Sqdlg.h) in filter mode to compose it by clicking.
//
// The box is read from the form file "TFilterEditBox" (resources/forms/). The opener
// sets the caption, Edit's text and the data source, shows the box modally and reads
// Edit's text after OK. Enter accepts the text, Esc and F10 discard it.
#include <cstdint>

#include "korin/platform/gui/Forms.h"

namespace korin {

class TDataSource;
class TSpeedButton;
class TEdit;
class TFilterEditBox;

// The box while it is shown by the navigator, else nullptr.
extern TFilterEditBox* FilterEditBox;

class TFilterEditBox : public TForm {
public:
    explicit TFilterEditBox(TComponent* AOwner);
    ~TFilterEditBox() override;

    // The components of the form file. FBBtn shows a glyph of ours: a funnel with a
    // plus, "build the condition".
    TSpeedButton* FBBtn = nullptr;
    TEdit* Edit = nullptr;

    // The data source passed on to the condition builder (forgotten when it goes).
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);

    // Handlers named in the form file.
    void EditKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift);
    void FormShow(TObject* Sender);
    void FBBtnClick(TObject* Sender);

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TDataSource* FDataSource = nullptr;
};

}  // namespace korin

// A focused control that is freed leaves its form's memory of the focus: the next focus
// change neither touches it nor names it.
#include <gtest/gtest.h>

#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {
class FocusFreed : public AppTest {};
}  // namespace

TEST_F(FocusFreed, TheFormForgetsAFreedFocusedControl)
{
    TOwned<TForm> form(new TForm(nullptr));
    form->SetBounds(0, 0, 300, 200);
    auto* a = new TEdit(form.get());
    a->SetParent(form.get());
    auto* b = new TEdit(form.get());
    b->SetParent(form.get());
    form->Show();
    a->SetFocus();
    ASSERT_EQ(form->ActiveControl(), a);
    int exits = 0;
    a->OnExit = [&](TObject*) { ++exits; };
    a->Free();
    EXPECT_EQ(form->ActiveControl(), nullptr);
    EXPECT_EQ(GetFocus(), 0u);
    b->SetFocus();
    EXPECT_EQ(form->ActiveControl(), b);
    EXPECT_EQ(exits, 0);
}

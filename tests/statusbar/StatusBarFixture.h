#pragma once
// Shared set-up of the status bar tests: a shown 400 x 200 form (single border, so no
// size grip) with a 19-pixel bar along its bottom, and helpers to read the bar's parts
// and pixels.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Render.h"
#include "korin/statusbar/Statbar.h"
#include "tests/support/AppFixture.h"

namespace korin {

class StatusBarTest : public AppTest {
protected:
    TForm* form = nullptr;
    TKStatusBar* bar = nullptr;

    void SetUp() override
    {
        AppTest::SetUp();
        SysLocale.MiddleEast = false;
        form = new TForm(nullptr);
        form->SetBorderStyle(bsSingle);
        form->SetBounds(100, 100, 400, 200);
        form->SetClientWidth(400);
        form->SetClientHeight(200);
        form->Show();
        bar = new TKStatusBar(form);
        bar->SetParent(form);
        bar->HandleNeeded();
    }
    void TearDown() override
    {
        form->Free();
        SysLocale.MiddleEast = false;
        AppTest::TearDown();
    }

    TKStatusPanel* AddPanel(int Width, const std::string& Text = "")
    {
        TKStatusPanel* p = bar->Panels()->Add();
        p->SetWidth(Width);
        p->SetText(Text);
        return p;
    }
    std::vector<int> Edges() const
    {
        std::vector<int> e(static_cast<size_t>(bar->PartCount()));
        bar->Perform(SB_GETPARTS, e.size(), reinterpret_cast<LPARAM>(e.data()));
        return e;
    }
    TRect PartRect(int Index) const
    {
        TRect r;
        bar->Perform(SB_GETRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // The bar alone, as painted.
    std::unique_ptr<TBitmap> Render() { return RenderWindow(bar, false); }
};

}  // namespace korin

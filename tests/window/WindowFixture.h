#pragma once
// Tests in a real SDL2 window: the SDL2 backend on SDL's off-screen video driver, which
// needs no display. Pixels are read back from the window itself.
#include <gtest/gtest.h>
#include <cairo.h>

#include <cstdlib>

#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/gui/Render.h"
#include "tests/support/AppFixture.h"

namespace korin {

class SdlWindowTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
#ifndef KORIN_HAVE_SDL2
        GTEST_SKIP() << "built without SDL2";
#else
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        auto backend = std::make_unique<TSdlBackend>();
        Sdl = backend.get();
        Application->SetBackend(std::move(backend));
#endif
    }
    void TearDown() override
    {
        Form.reset();
        AppTest::TearDown();
    }

    // The first pixel where the window shows something else than RenderWindow draws, as
    // "x,y: window AARRGGBB, render AARRGGBB"; "" when every pixel is the same. The render
    // must be opaque: a window cannot show transparency.
    // With an offset, Shown is compared with the part of Drawn at (Dx, Dy).
    static std::string FirstDifference(TBitmap& Shown, TBitmap& Drawn, int Dx = 0, int Dy = 0)
    {
        bool offset = Dx != 0 || Dy != 0;
        if (offset ? Shown.Width() + Dx > Drawn.Width() || Shown.Height() + Dy > Drawn.Height()
                   : Shown.Width() != Drawn.Width() || Shown.Height() != Drawn.Height())
            return "sizes differ: " + std::to_string(Shown.Width()) + "x" + std::to_string(Shown.Height()) + " and " +
                   std::to_string(Drawn.Width()) + "x" + std::to_string(Drawn.Height());
        cairo_surface_flush(Shown.Surface());
        cairo_surface_flush(Drawn.Surface());
        auto* a = cairo_image_surface_get_data(Shown.Surface());
        auto* b = cairo_image_surface_get_data(Drawn.Surface());
        int sa = cairo_image_surface_get_stride(Shown.Surface()), sb = cairo_image_surface_get_stride(Drawn.Surface());
        for (int y = 0; y < Shown.Height(); ++y)
            for (int x = 0; x < Shown.Width(); ++x) {
                auto pa = reinterpret_cast<const std::uint32_t*>(a + y * sa)[x];
                auto pb = reinterpret_cast<const std::uint32_t*>(b + (y + Dy) * sb)[x + Dx];
                if (pa != pb) {
                    char buf[96];
                    std::snprintf(buf, sizeof buf, "%d,%d: window %08X, render %08X", x, y, pa, pb);
                    return buf;
                }
            }
        return "";
    }

    TSdlBackend* Sdl = nullptr;
    TOwned<TForm> Form;
};

}  // namespace korin

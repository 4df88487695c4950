// Choosing a backend, and the SDL backend's translation of keys and text input. These
// run without a display: the window system itself is checked by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/gui/Messages.h"

#ifdef KORIN_HAVE_SDL2
#include <SDL.h>

using namespace korin;
#endif

namespace {

// Sets an environment variable for the life of the guard, then puts it back.
class TEnvGuard {
public:
    TEnvGuard(const char* Name, const char* Value) : FName(Name)
    {
        if (const char* old = std::getenv(Name))
            FOld = old;
        if (Value)
            setenv(Name, Value, 1);
        else
            unsetenv(Name);
    }
    ~TEnvGuard()
    {
        if (FOld)
            setenv(FName.c_str(), FOld->c_str(), 1);
        else
            unsetenv(FName.c_str());
    }

private:
    std::string FName;
    std::optional<std::string> FOld;
};

TEST(BackendChoice, HeadlessWithoutDisplayOrWhenForced)
{
    {
        TEnvGuard d("DISPLAY", nullptr), w("WAYLAND_DISPLAY", nullptr), k("KORIN_BACKEND", nullptr);
        EXPECT_TRUE(CreateBestBackend()->IsHeadless());
    }
    {
        TEnvGuard d("DISPLAY", ":99"), k("KORIN_BACKEND", "headless");
        EXPECT_TRUE(CreateBestBackend()->IsHeadless());
    }
}

TEST(BackendChoice, TextInputKeepsOnlyWhatKeyTranslationCannotType)
{
    EXPECT_EQ(TextInputChars("a"), U"");
    EXPECT_EQ(TextInputChars("A1 ;"), U"");
    EXPECT_EQ(TextInputChars("й"), U"й");
    EXPECT_EQ(TextInputChars("xé€"), U"é€");
    EXPECT_EQ(TextInputChars("\xff"), U"\uFFFD");  // malformed bytes are marked, not dropped silently
}

#ifdef KORIN_HAVE_SDL2
TEST(BackendChoice, SdlKeysBecomeVirtualKeys)
{
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_a), 'A');
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_z), 'Z');
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_0), '0');
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_9), '9');
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_F1), VK_F1);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_F12), VK_F12);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_UP), VK_UP);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_PAGEDOWN), VK_NEXT);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_HOME), VK_HOME);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_INSERT), VK_INSERT);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_DELETE), VK_DELETE);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_KP_ENTER), VK_RETURN);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_ESCAPE), VK_ESCAPE);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_BACKSPACE), VK_BACK);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_RSHIFT), VK_SHIFT);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_LCTRL), VK_CONTROL);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_RALT), VK_MENU);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_CAPSLOCK), VK_CAPITAL);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_NUMLOCKCLEAR), VK_NUMLOCK);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_SCROLLLOCK), VK_SCROLL);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_KP_7), VK_NUMPAD0 + 7);
    EXPECT_EQ(SdlKeyToVirtualKey(SDLK_MINUS), 0xBD);
    EXPECT_EQ(SdlKeyToVirtualKey(0x439), 0);  // a Cyrillic key symbol: text input only
}
#endif

}  // namespace

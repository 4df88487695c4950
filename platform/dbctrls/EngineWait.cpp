#include "korin/platform/dbctrls/EngineWait.h"

#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Backend.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

namespace {

// Keyboard messages (key down … system dead character) and mouse messages.
bool IsInputMessage(std::uint32_t Msg)
{
    return (Msg >= WM_KEYDOWN && Msg <= 0x0109) || (Msg >= WM_MOUSEMOVE && Msg <= 0x020E);
}

}  // namespace

void ApplicationEngineWait()
{
    TApplication* app = Application.operator->();
    for (;;) {
        TMsg m;
        if (app->PeekMessage(m, 0, 0, 0, true)) {
            // Keys and clicks would start other work on the busy data: they are dropped
            // until the statement ends. Everything else (painting, notifications) runs.
            if (!IsInputMessage(m.message))
                app->DispatchQueued(m);
            continue;
        }
        if (!app->Backend().DeliverInput(*app, false))
            break;
        // Each input event is looked at as it arrives: Esc going down stops the
        // statement, whether or not a window has the focus.
        if (GetKeyState(VK_ESCAPE) < 0)
            CancelEngineOperation();
    }
}

void InstallApplicationEngineWait()
{
    SetEngineWaitProc(ApplicationEngineWait);
    Application->SetIdleWork(DoEngineIdleWork);
    SetBackgroundFetchAvailable(true);
}

}  // namespace korin

// The demo application. Until the sample database and the navigator arrive it opens a
// small form headless, drives it with scripted input and prints what happened.
#include <cstdio>
#include <string>

#include "platform/gui/Forms.h"
#include "platform/gui/Input.h"
#include "platform/gui/StdCtrls.h"

int main()
{
    TOwned<TForm> form(new TForm(nullptr));
    form->SetCaption("Korin demo");
    auto* ask = new TButton(form.get());
    ask->SetParent(form.get());
    ask->SetCaption("&Delete");
    form->Show();
    ask->OnClick = [](TObject*) {
        int answer = Application->MessageBox("Record will be deleted. Continue?", "WARNING", MB_YESNO | MB_ICONQUESTION);
        std::printf("message box answered %d (%s)\n", answer, answer == IDYES ? "Yes" : "No");
    };
    Application->OnMessageBox = [](TCustomForm*, const std::string& text, const std::string& caption, std::uint32_t) {
        std::printf("message box \"%s\": %s\n", caption.c_str(), text.c_str());
    };
    TInputScript input;
    input.Click(ask).Key('N').Key(VK_SPACE).Key('Y');
    Application->ProcessMessages();
    std::printf("demo finished\n");
    return 0;
}

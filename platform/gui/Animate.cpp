#include "korin/platform/gui/ComCtrls.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "korin/platform/core/Resources.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

// ---------------------------------------------------------------- TAnimate

TAnimate::TAnimate(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 100, 80);
    SetParentColor(true);  // transparent pixels show the parent's background
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(FInterval);
    FTimer->OnTimer = [this](TObject*) { Tick(); };
}

TAnimate::~TAnimate() = default;

void TAnimate::LoadClip(TBitmap& Strip)
{
    int h = Strip.Height();
    if (h <= 0 || Strip.Width() < h)
        throw EAnimateError("The clip holds no frame");
    std::vector<std::unique_ptr<TBitmap>> frames;
    int n = Strip.Width() / h;
    for (int i = 0; i < n; ++i) {
        auto f = std::make_unique<TBitmap>(h, h);
        f->Canvas().CopyRect(Rect(0, 0, h, h), Strip.Canvas(), Rect(i * h, 0, i * h + h, h));
        f->SetTransparent(FTransparent);
        frames.push_back(std::move(f));
    }
    bool wasActive = FActive;
    SetActive(false);
    FFrames = std::move(frames);
    FFrameWidth = FFrameHeight = h;
    FCurrent = 0;
    if (FAutoSize)
        SetBounds(Left(), Top(), FFrameWidth, FFrameHeight);
    Invalidate();
    if (OnOpen)
        OnOpen(this);
    if (wasActive)
        SetActive(true);
}

void TAnimate::SetResName(const std::string& Value)
{
    if (Value.empty()) {
        SetActive(false);
        FFrames.clear();
        FResName.clear();
        Invalidate();
        return;
    }
    if (FResHandle != 0)
        throw EAnimateError("Cannot load the animation \"" + Value + "\": unknown resource module");
    TBitmap strip;
    try {
        strip.LoadFromResourceName(Value);
    } catch (const Exception& e) {
        throw EAnimateError("Cannot load the animation \"" + Value + "\": " + e.Message());
    }
    LoadClip(strip);
    FResName = Value;
    FFileName.clear();
}

void TAnimate::SetFileName(const std::string& Value)
{
    if (Value.empty()) {
        SetResName("");
        FFileName.clear();
        return;
    }
    std::ifstream in(Value, std::ios::binary);
    if (!in)
        throw EAnimateError("Cannot open the animation file \"" + Value + "\"");
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TBitmap strip;
    try {
        strip.LoadFromBMP(data);
    } catch (const Exception& e) {
        throw EAnimateError("Cannot load the animation file \"" + Value + "\": " + e.Message());
    }
    LoadClip(strip);
    FFileName = Value;
    FResName.clear();
}

void TAnimate::SetActive(bool Value)
{
    // Without a clip there is nothing to play: the control stays inactive, so that a
    // panel whose clip could not be loaded goes on without an animation.
    if (Value && FFrames.empty())
        Value = false;
    if (Value == FActive)
        return;
    FActive = Value;
    FRounds = 0;
    FTimer->SetEnabled(Value);
    Invalidate();
    if (Value && OnStart)
        OnStart(this);
    if (!Value && OnStop)
        OnStop(this);
}

void TAnimate::SetFrameInterval(int Ms)
{
    FInterval = std::max(1, Ms);
    FTimer->SetInterval(FInterval);
}

void TAnimate::SetTransparent(bool Value)
{
    FTransparent = Value;
    for (auto& f : FFrames)
        f->SetTransparent(Value);
    Invalidate();
}

void TAnimate::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    if (Value && !FFrames.empty())
        SetBounds(Left(), Top(), FFrameWidth, FFrameHeight);
}

void TAnimate::Seek(int Frame)
{
    SetActive(false);
    if (Frame >= 0 && Frame < FrameCount()) {
        FCurrent = Frame;
        Invalidate();
    }
}

void TAnimate::Tick()
{
    if (!FActive || FFrames.empty())
        return;
    if (FCurrent + 1 >= FrameCount()) {
        ++FRounds;
        if (FRepetitions > 0 && FRounds >= FRepetitions) {
            SetActive(false);
            return;
        }
        FCurrent = 0;
    } else {
        ++FCurrent;
    }
    Invalidate();
}

void TAnimate::Paint()
{
    if (FFrames.empty())
        return;
    int x = 0, y = 0;
    if (FCenter) {
        x = (Width() - FFrameWidth) / 2;
        y = (Height() - FFrameHeight) / 2;
    }
    Canvas()->Draw(x, y, *FFrames[static_cast<size_t>(FCurrent)]);
}

}  // namespace korin

#pragma once
// The backend delivers input to the application and keeps its clock. The headless
// backend (tests, CI) replays scripted input and runs a virtual clock; the SDL2 backend
// (platform/backend) turns a window system's events into the same input calls.
#include <deque>
#include <functional>

#include "korin/platform/core/Exception.h"

namespace korin {

class TApplication;
class TCustomForm;

class TBackend {
public:
    using TInputEvent = std::function<void(TApplication&)>;

    virtual ~TBackend() = default;
    // Delivers at most one pending input event; true when it did. With Wait, a window
    // backend blocks until input arrives or a timer is due.
    virtual bool DeliverInput(TApplication& App, bool Wait) = 0;
    // Milliseconds on this backend's clock.
    virtual double Now() const = 0;
    virtual bool IsHeadless() const { return true; }
    virtual void FormShown(TCustomForm* Form) {}
    virtual void FormHidden(TCustomForm* Form) {}
    virtual void FormDestroyed(TCustomForm* Form) {}

    // Scripted input (TInputScript): events queued here are delivered one at a time as
    // input, by every backend, before it waits for the window system.
    void Push(TInputEvent Event) { FInput.push_back(std::move(Event)); }
    int PendingInput() const { return static_cast<int>(FInput.size()); }
    void Clear() { FInput.clear(); }

protected:
    // Delivers the next scripted event; false when none is queued.
    bool DeliverScripted(TApplication& App);

private:
    std::deque<TInputEvent> FInput;
};

class THeadlessBackend : public TBackend {
public:
    bool DeliverInput(TApplication& App, bool Wait) override;
    double Now() const override { return FClock; }
    void SetClock(double Ms) { FClock = Ms; }

private:
    double FClock = 0;
};

// Raised when the application waits for input (a modal loop, say) and the script has
// none left: a test that forgot to answer a dialog fails instead of hanging.
class EScriptExhausted : public Exception {
public:
    using Exception::Exception;
};

}  // namespace korin

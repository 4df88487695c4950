#include "korin/platform/db/DBTables.h"

#include <algorithm>
#include <cstring>

namespace korin {

namespace {

std::vector<TBDECallback*>& Callbacks()
{
    static std::vector<TBDECallback*> list;
    return list;
}

}  // namespace

TBDECallback::TBDECallback(TObject* AOwner, void*, TCBType CBType, void* Buffer, int BufferSize,
                           TBDECallbackEvent CallbackEvent, bool Chain)
    : FOwner(AOwner), FCBType(CBType), FBuffer(Buffer), FBufferSize(BufferSize), FEvent(std::move(CallbackEvent)),
      FChain(Chain)
{
    Callbacks().push_back(this);
}

TBDECallback::~TBDECallback()
{
    auto& v = Callbacks();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void TBDECallback::ReportProgress(int PercentDone, const std::string& Message)
{
    CBPROGRESSDesc desc{};
    desc.iPercentDone = static_cast<std::int16_t>(std::clamp(PercentDone, -1, 100));
    std::memcpy(desc.szMsg, Message.data(), std::min(Message.size(), sizeof desc.szMsg - 1));
    // The newest callback first; older ones while each asks for chaining.
    std::vector<TBDECallback*> list = Callbacks();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        TBDECallback* cb = *it;
        if (cb->FCBType != cbGENPROGRESS)
            continue;
        if (std::find(Callbacks().begin(), Callbacks().end(), cb) == Callbacks().end())
            continue;  // freed by an earlier handler
        if (cb->FBuffer && cb->FBufferSize > 0)
            std::memcpy(cb->FBuffer, &desc, std::min<size_t>(sizeof desc, static_cast<size_t>(cb->FBufferSize)));
        bool chain = cb->FChain;
        TCBRType answer = cb->FEvent ? cb->FEvent(cb->FBuffer) : cbrUSEDEF;
        if (answer == cbrABORT)
            throw EDatabaseError("Operation aborted");
        if (!chain)
            break;
    }
}

}  // namespace korin

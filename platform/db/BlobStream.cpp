#include "korin/platform/db/DBTables.h"

#include <algorithm>

namespace korin {

TBlobStream::TBlobStream(TBlobField* Field, TBlobStreamMode Mode)
{
    if (!Field)
        throw EDatabaseError("Field is not a blob field");
    if (Mode != bmRead)
        throw EDatabaseError("Blob streams can only be opened for reading");
    FData = Field->AsString();
}

int TBlobStream::Read(void* Buffer, int Count)
{
    if (Count <= 0 || FPosition >= Size())
        return 0;
    std::int64_t n = std::min<std::int64_t>(Count, Size() - FPosition);
    std::copy_n(FData.data() + FPosition, n, static_cast<char*>(Buffer));
    FPosition += n;
    return static_cast<int>(n);
}

void TBlobStream::SetPosition(std::int64_t Value) { FPosition = std::clamp<std::int64_t>(Value, 0, Size()); }

}  // namespace korin

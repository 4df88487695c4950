#include <algorithm>
#include <cstring>

#include "korin/platform/db/RowStore.h"
#include "korin/platform/db/DB.h"

namespace korin {

void TRowStore::Append(const Variant& Value)
{
    std::uint64_t payload = 0;
    std::uint32_t length = 0;
    TVarType type = Value.Type();
    switch (type) {
    case varEmpty:
    case varNull:
        break;
    case varBoolean:
        payload = Value.AsBoolean() ? 1 : 0;
        break;
    case varInt64:
        payload = Bits(Value.AsInteger());
        break;
    case varDouble:
    case varDate:
        payload = Bits(type == varDate ? Value.AsDateTime() : Value.AsFloat());
        break;
    default: {
        // Texts and blobs (and anything else, as its text): bytes in the text buffer.
        std::string s = Value.AsString();
        if (s.size() > kMaxLength)
            TooLarge();
        AppendText(s.data(), s.size());
        return;
    }
    }
    Push(payload, length, type);
}

void TRowStore::TooLarge() { throw EDatabaseError("A value is too large to be held in memory"); }

void TRowStore::Truncate(size_t Rows)
{
    if (Rows * Width < FCellCount)
        FCellCount = Rows * Width;
}

void TRowStore::Reserve(size_t Values, size_t TextBytes)
{
    if (Values > FCellCapacity)
        CellCapacity(Values);
    if (TextBytes > FTextCapacity)
        TextCapacity(TextBytes);
}

void TRowStore::GrowCells(size_t More)
{
    size_t capacity = std::max<size_t>(FCellCapacity * 2, 256);
    while (capacity - FCellCount < More)
        capacity *= 2;
    CellCapacity(capacity);
}

void TRowStore::GrowText(size_t More)
{
    size_t capacity = std::max<size_t>(FTextCapacity * 2, 4096);
    while (capacity - FTextSize < More)
        capacity *= 2;
    TextCapacity(capacity);
}

void TRowStore::CellCapacity(size_t Capacity)
{
    std::unique_ptr<TCell[]> cells(new TCell[Capacity]);
    if (FCellCount)
        std::memcpy(cells.get(), FCells.get(), FCellCount * sizeof(TCell));
    FCells = std::move(cells);
    FCellCapacity = Capacity;
}

void TRowStore::TextCapacity(size_t Capacity)
{
    std::unique_ptr<char[]> text(new char[Capacity]);
    if (FTextSize)
        std::memcpy(text.get(), FText.get(), FTextSize);
    FText = std::move(text);
    FTextCapacity = Capacity;
}

namespace {

// One cell's value into Value, in place.
[[gnu::always_inline]] inline void Decode(const std::uint32_t* Payload, std::uint32_t LengthType, const char* Text,
                                          Variant& Value)
{
    std::uint64_t payload;
    std::memcpy(&payload, Payload, sizeof payload);
    const auto type = static_cast<TVarType>(LengthType & 7u);
    switch (type) {
    case varEmpty:
        Value = Variant();
        break;
    case varNull:
        Value.SetNull();
        break;
    case varBoolean:
        Value.SetBoolean(payload != 0);
        break;
    case varInt64: {
        std::int64_t i;
        std::memcpy(&i, &payload, sizeof i);
        Value.SetInteger(i);
        break;
    }
    case varDouble:
    case varDate: {
        double d;
        std::memcpy(&d, &payload, sizeof d);
        if (type == varDate)
            Value.SetDateTime(d);
        else
            Value.SetFloat(d);
        break;
    }
    default:
        Value.SetText(Text + payload, LengthType >> 3);
        break;
    }
}

}  // namespace

void TRowStore::GetInto(size_t Row, size_t Column, Variant& Value) const
{
    const TCell& cell = FCells[Row * Width + Column];
    Decode(cell.Payload, cell.LengthType, FText.get(), Value);
}

Variant TRowStore::Get(size_t Row, size_t Column) const
{
    Variant v;
    GetInto(Row, Column, v);
    return v;
}

void TRowStore::GetRow(size_t Row, std::vector<Variant>& Values) const
{
    // Values are overwritten in place: a buffer that held the previous record keeps its
    // texts' memory.
    Values.resize(Width);
    const TCell* cells = FCells.get() + Row * Width;
    const char* text = FText.get();
    for (size_t c = 0; c < Width; ++c)
        Decode(cells[c].Payload, cells[c].LengthType, text, Values[c]);
}

void TRowStore::Release()
{
    FCells.reset();
    FCellCount = FCellCapacity = 0;
    FText.reset();
    FTextSize = FTextCapacity = 0;
}

// ---- TPageCache ----------------------------------------------------------------------

namespace {

// Row ids mostly come in runs: a run takes neighbouring entries (few cache lines, no
// collisions); the high bits folded in spread ids that differ only there.
size_t HashId(std::int64_t Id)
{
    const auto u = static_cast<std::uint64_t>(Id);
    return static_cast<size_t>(u ^ (u >> 19) ^ (u >> 41));
}

}  // namespace

void TPageCache::Reset(size_t Width)
{
    FRows.clear();
    FRows.Width = Width;
    FCommitted = 0;
    FMaxId = INT64_MIN;
    FRunIds.clear();
    if (FUsed) {
        for (TEntry& e : FTable)
            e.Row = kFree;
        FUsed = 0;
    }
}

void TPageCache::Release()
{
    FRows.Release();
    FTable = {};
    FUsed = 0;
    FCommitted = 0;
    FMaxId = INT64_MIN;
    FRunIds = {};
}

size_t TPageCache::Probe(std::int64_t Id) const
{
    // FTable's size is a power of two and never full: the search ends on the entry of Id
    // or on a free one.
    const size_t mask = FTable.size() - 1;
    for (size_t i = HashId(Id) & mask;; i = (i + 1) & mask)
        if (FTable[i].Row == kFree || FTable[i].Id == Id)
            return i;
}

std::int64_t TPageCache::FindInRun(std::int64_t Id) const
{
    if (FRunIds.empty() || Id < FRunIds.front() || Id > FRunIds.back())
        return -1;
    const auto at = std::lower_bound(FRunIds.begin(), FRunIds.end(), Id);
    return *at == Id ? static_cast<std::int64_t>(FRunRow + static_cast<size_t>(at - FRunIds.begin())) : -1;
}

std::int64_t TPageCache::Find(std::int64_t Id) const
{
    if (const std::int64_t row = FindInRun(Id); row >= 0)
        return row;
    if (FTable.empty())
        return -1;
    const TEntry& e = FTable[Probe(Id)];
    return e.Row == kFree || e.Row == kGone ? -1 : static_cast<std::int64_t>(e.Row);
}

void TPageCache::Erase(std::int64_t Id)
{
    if (FindInRun(Id) >= 0)
        EndRun();
    if (FTable.empty())
        return;
    TEntry& e = FTable[Probe(Id)];
    if (e.Row != kFree)
        e.Row = kGone;
}

void TPageCache::Grow()
{
    std::vector<TEntry> old = std::move(FTable);
    FTable.assign(old.empty() ? 1024 : old.size() * 2, TEntry{0, kFree});
    for (const TEntry& e : old)
        if (e.Row != kFree)
            FTable[Probe(e.Id)] = e;
}

void TPageCache::Insert(std::int64_t Id, size_t Row)
{
    if ((FUsed + 1) * 2 > FTable.size())
        Grow();
    TEntry& e = FTable[Probe(Id)];
    if (e.Row == kFree)
        ++FUsed;
    e.Id = Id;
    e.Row = static_cast<std::uint32_t>(Row);
}

void TPageCache::EndRun()
{
    for (size_t k = 0; k < FRunIds.size(); ++k)
        Insert(FRunIds[k], FRunRow + k);
    FRunIds.clear();
}

void TPageCache::Commit(std::int64_t Id)
{
    // (Counted in values, so that a record costs no division.)
    const size_t rows = FCommitted + 1;
    if (FRows.Cells() != rows * FRows.Width || rows >= kGone)
        throw EDatabaseError("A record was not read whole");
    if (FindInRun(Id) >= 0)
        EndRun();  // a record of the run read again
    Insert(Id, rows - 1);
    FMaxId = std::max(FMaxId, Id);
    FCommitted = rows;
}

void TPageCache::BeginRun(int First, size_t Count)
{
    const size_t n = FRunIds.size();
    if (!(n && FRunFirst + static_cast<std::int64_t>(n) == First && FRunRow + n == FCommitted)) {
        EndRun();
        FRunFirst = First;
        FRunRow = FCommitted;
    }
    if (FRunIds.capacity() - FRunIds.size() < Count)
        FRunIds.reserve(std::max(FRunIds.capacity() * 2, FRunIds.size() + Count));
}

void TPageCache::CommitAfterRun(std::int64_t Id)
{
    // Past the room reserved a record still joins the run. The run's rows follow each
    // other in the store, so a record that cannot join it (a row id not above all held,
    // or a record committed otherwise in between) is an ordinary one; Commit refuses a
    // half record, and a row past what the table's entries can hold (its rows may go
    // into the table later).
    const size_t rows = FCommitted + 1;
    if (FRows.Cells() == rows * FRows.Width && rows < kGone && Id > FMaxId &&
        FRunRow + FRunIds.size() == FCommitted) {
        FRunIds.push_back(Id);
        FMaxId = Id;
        FCommitted = rows;
        return;
    }
    Commit(Id);
}

}  // namespace korin

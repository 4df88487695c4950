#pragma once
// Records held in memory: TRowStore packs the values of many rows, TRowWriter appends rows
// to it quickly, and TPageCache keeps the records of a keyset cursor read so far.
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "korin/platform/core/Bytes.h"
#include "korin/platform/core/Variant.h"

namespace korin {

// The values of a fully read result, row after row, packed: one cell of 12 bytes a value
// (its type, and the number itself or where its bytes lie), the bytes of every text and
// blob one after another in one buffer. Values come back as the Variants that went in.
class TRowStore {
public:
    size_t Width = 0;
    size_t size() const { return Width ? FCellCount / Width : 0; }
    // The values held (rows times Width, a half-filled row's too).
    size_t Cells() const { return FCellCount; }
    void clear()
    {
        FCellCount = 0;
        FTextSize = 0;
    }
    // Frees the memory as well.
    void Release();
    // Adds the next value (rows are filled left to right, top to bottom).
    void Append(const Variant& Value);
    // The same for values read straight from the engine, without a Variant between.
    void AppendNull() { Push(0, 0, varNull); }
    void AppendInt(std::int64_t Value) { Push(Bits(Value), 0, varInt64); }
    void AppendDouble(double Value) { Push(Bits(Value), 0, varDouble); }
    void AppendText(const char* Data, size_t Length)
    {
        if (Length > kMaxLength)
            TooLarge();
        if (FTextCapacity - FTextSize < Length)
            GrowText(Length);
        const size_t at = FTextSize;
        CopyBytes(FText.get() + at, Data, Length);
        FTextSize += Length;
        Push(at, static_cast<std::uint32_t>(Length), varString);
    }
    // Makes room for this many values and bytes of text in advance (a reader that knows
    // how many rows come saves the copies of growing).
    void Reserve(size_t Values, size_t TextBytes);
    // Drops the values after the first Rows rows (a row left half-filled by an error).
    void Truncate(size_t Rows);
    Variant Get(size_t Row, size_t Column) const;
    // Get into an existing variant, reusing its text memory.
    void GetInto(size_t Row, size_t Column, Variant& Value) const;
    void GetRow(size_t Row, std::vector<Variant>& Values) const;
    // The memory the values take.
    size_t Bytes() const { return FCellCount * sizeof(TCell) + FTextSize; }

private:
    friend class TRowWriter;
    struct TCell {
        std::uint32_t Payload[2];    // the number, or the offset of the bytes in FText
        std::uint32_t LengthType;    // byte count << 3 | TVarType
    };
    // A number's 64 bits as a cell's payload.
    template <typename T>
    static std::uint64_t Bits(T Value)
    {
        static_assert(sizeof(T) == sizeof(std::uint64_t));
        std::uint64_t bits;
        std::memcpy(&bits, &Value, sizeof bits);
        return bits;
    }
    static TCell MakeCell(std::uint64_t Payload, std::uint32_t Length, TVarType Type)
    {
        TCell cell;
        cell.Payload[0] = static_cast<std::uint32_t>(Payload);
        cell.Payload[1] = static_cast<std::uint32_t>(Payload >> 32);
        cell.LengthType = Length << 3 | static_cast<std::uint32_t>(Type);
        return cell;
    }
    static constexpr size_t kMaxLength = (size_t{1} << 29) - 1;
    [[noreturn]] static void TooLarge();
    void Push(std::uint64_t Payload, std::uint32_t Length, TVarType Type)
    {
        if (FCellCount == FCellCapacity)
            GrowCells(1);
        FCells[FCellCount++] = MakeCell(Payload, Length, Type);
    }
    // Both buffers grow by doubling, keeping their contents; they are plain arrays so
    // that appending a value is a few instructions, without a library call.
    void GrowCells(size_t More);
    void GrowText(size_t More);
    void CellCapacity(size_t Capacity);
    void TextCapacity(size_t Capacity);
    std::unique_ptr<TCell[]> FCells;
    size_t FCellCount = 0, FCellCapacity = 0;
    std::unique_ptr<char[]> FText;
    size_t FTextSize = 0, FTextCapacity = 0;
};

// Appends rows of values to a TRowStore, row after row, holding the store's counters
// itself: a reader of many rows that keeps the writer to itself has them at hand, where
// the store's own Append reloads them after every text copied (the copy may, as far as
// the compiler knows, have changed them). Between BeginRow and EndRow only the writer
// appends; a row not ended is not in the store, and the next BeginRow starts over it.
class TRowWriter {
public:
    explicit TRowWriter(TRowStore& Store)
        : FStore(Store), FCellCount(Store.FCellCount), FTextSize(Store.FTextSize)
    {
        Load();
    }
    // Room for one row's values, after the store's last row.
    void BeginRow()
    {
        FCellCount = FStore.FCellCount;
        FTextSize = FStore.FTextSize;
        if (FStore.FCellCapacity - FCellCount < FStore.Width) {
            FStore.GrowCells(FStore.Width);
            Load();
        }
    }
    void Null() { Put(0, 0, varNull); }
    void Int(std::int64_t Value) { Put(TRowStore::Bits(Value), 0, varInt64); }
    void Double(double Value) { Put(TRowStore::Bits(Value), 0, varDouble); }
    void Text(const char* Data, size_t Length)
    {
        if (Length > TRowStore::kMaxLength)
            TRowStore::TooLarge();
        if (FTextCapacity - FTextSize < Length) {
            FStore.FTextSize = FTextSize;
            FStore.GrowText(Length);
            Load();
        }
        CopyBytes(FText + FTextSize, Data, Length);
        Put(FTextSize, static_cast<std::uint32_t>(Length), varString);
        FTextSize += Length;
    }
    // Any other value, through the store's Append.
    void Value(const Variant& V)
    {
        FStore.FCellCount = FCellCount;
        FStore.FTextSize = FTextSize;
        FStore.Append(V);
        FCellCount = FStore.FCellCount;
        FTextSize = FStore.FTextSize;
        Load();
    }
    // The row's values are in the store now.
    void EndRow()
    {
        FStore.FCellCount = FCellCount;
        FStore.FTextSize = FTextSize;
    }

private:
    void Put(std::uint64_t Payload, std::uint32_t Length, TVarType Type)
    {
        FCells[FCellCount++] = TRowStore::MakeCell(Payload, Length, Type);
    }
    // The buffers, after one of them grew (the counts are the writer's own).
    void Load()
    {
        FCells = FStore.FCells.get();
        FText = FStore.FText.get();
        FTextCapacity = FStore.FTextCapacity;
    }
    TRowStore& FStore;
    TRowStore::TCell* FCells = nullptr;
    size_t FCellCount;
    char* FText = nullptr;
    size_t FTextSize, FTextCapacity = 0;
};

// The records of a keyset cursor read so far: their values packed in a TRowStore, found
// by row id through an open-addressing table, or, for records read as a run, by their
// cursor position. Forgetting one record leaves its values in place until everything is
// forgotten; memory is kept for the next records until Release.
class TPageCache {
public:
    // Forgets every record; records have Width values from now on.
    void Reset(size_t Width);
    void clear() { Reset(FRows.Width); }
    void Release();
    // Records held, forgotten ones included.
    size_t size() const { return FRows.size(); }
    // Where the values of a row id stand in Rows(); −1 when not held.
    std::int64_t Find(std::int64_t Id) const;
    bool Contains(std::int64_t Id) const { return Id <= FMaxId && Find(Id) >= 0; }
    // No row id held is above this.
    std::int64_t MaxId() const { return FMaxId; }
    void Erase(std::int64_t Id);
    // Adding a record: append its Width values to Store(), then Commit its row id (a row
    // id held already now stands for the new values). Discard drops values appended
    // since the last Commit.
    TRowStore& Store() { return FRows; }
    void Commit(std::int64_t Id);
    void Discard() { FRows.Truncate(FCommitted); }
    const TRowStore& Rows() const { return FRows; }
    // A run: the records of the consecutive cursor positions First, First + 1, ... added
    // in that order with CommitNext, their row ids ascending and above every row id held
    // (a page of a keyset in row id order, read forwards). A run is found by position by
    // arithmetic, checked against the row id kept for it (the positions may have shifted
    // since), and by row id by a binary search; its records never enter the hash table.
    // A run begun where the last one ended continues it; any other ends the last one, whose
    // records then go into the table, as they do when one of them is forgotten or read
    // again.
    // (Count: how many records the run may grow by now.)
    void BeginRun(int First, size_t Count);
    void CommitNext(std::int64_t Id)
    {
        const size_t rows = FCommitted + 1;
        if (Id > FMaxId && FRunRow + FRunIds.size() == FCommitted && FRunIds.size() < FRunIds.capacity() &&
            FRows.Cells() == rows * FRows.Width && rows < kGone) {
            FRunIds.push_back(Id);
            FMaxId = Id;
            FCommitted = rows;
        } else {
            CommitAfterRun(Id);
        }
    }
    // Where the values of the record at cursor position Position, of row id Id, stand;
    // −1 when not held.
    std::int64_t FindAt(int Position, std::int64_t Id) const
    {
        const size_t k = static_cast<size_t>(static_cast<std::int64_t>(Position) - FRunFirst);
        if (k < FRunIds.size() && FRunIds[k] == Id)
            return static_cast<std::int64_t>(FRunRow + k);
        return Find(Id);
    }

private:
    static constexpr std::uint32_t kFree = 0xFFFFFFFFu;  // an unused entry
    static constexpr std::uint32_t kGone = 0xFFFFFFFEu;  // a row id forgotten
    struct TEntry {
        std::int64_t Id;
        std::uint32_t Row;
    };
    size_t Probe(std::int64_t Id) const;
    void Grow();
    void Insert(std::int64_t Id, size_t Row);
    // Where Id stands in the run; −1 when not there.
    std::int64_t FindInRun(std::int64_t Id) const;
    // The run's records into the table, and no run.
    void EndRun();
    // CommitNext's other cases: a record that cannot join the run, or a half one.
    void CommitAfterRun(std::int64_t Id);
    std::vector<TEntry> FTable;
    size_t FUsed = 0;
    size_t FCommitted = 0;
    TRowStore FRows;
    std::int64_t FMaxId = INT64_MIN;  // no row id held is above this
    std::int64_t FRunFirst = 0;
    size_t FRunRow = 0;
    std::vector<std::int64_t> FRunIds;
};

}  // namespace korin

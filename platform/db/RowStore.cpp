#include <cstring>

#include "korin/platform/db/DBTables.h"

namespace korin {

void TRowStore::Append(const Variant& Value)
{
    TCell cell{};
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
    case varInt64: {
        std::int64_t i = Value.AsInteger();
        std::memcpy(&payload, &i, sizeof payload);
        break;
    }
    case varDouble:
    case varDate: {
        double d = type == varDate ? Value.AsDateTime() : Value.AsFloat();
        std::memcpy(&payload, &d, sizeof payload);
        break;
    }
    default: {
        // Texts and blobs (and anything else, as its text): bytes in the text buffer.
        std::string s = Value.AsString();
        if (s.size() > kMaxLength)
            throw EDatabaseError("A value is too large to be held in memory");
        type = varString;
        payload = FText.size();
        length = static_cast<std::uint32_t>(s.size());
        FText.append(s);
        break;
    }
    }
    std::memcpy(cell.Payload, &payload, sizeof payload);
    cell.LengthType = length << 3 | static_cast<std::uint32_t>(type);
    FCells.push_back(cell);
}

Variant TRowStore::Get(size_t Row, size_t Column) const
{
    const TCell& cell = FCells[Row * Width + Column];
    std::uint64_t payload;
    std::memcpy(&payload, cell.Payload, sizeof payload);
    const auto type = static_cast<TVarType>(cell.LengthType & 7u);
    switch (type) {
    case varEmpty:
        return Variant();
    case varNull:
        return Variant::Null();
    case varBoolean:
        return Variant(payload != 0);
    case varInt64: {
        std::int64_t i;
        std::memcpy(&i, &payload, sizeof i);
        return Variant(static_cast<long long>(i));
    }
    case varDouble:
    case varDate: {
        double d;
        std::memcpy(&d, &payload, sizeof d);
        return type == varDate ? Variant::FromDateTime(d) : Variant(d);
    }
    default:
        return Variant(FText.substr(static_cast<size_t>(payload), cell.LengthType >> 3));
    }
}

void TRowStore::GetRow(size_t Row, std::vector<Variant>& Values) const
{
    Values.resize(Width);
    for (size_t c = 0; c < Width; ++c)
        Values[c] = Get(Row, c);
}

void TRowStore::Release()
{
    FCells.clear();
    FCells.shrink_to_fit();
    FText.clear();
    FText.shrink_to_fit();
}

}  // namespace korin

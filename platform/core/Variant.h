#pragma once
// Variant: the dynamically typed value that fields, parameters and keys carry.
//
// Kinds: Unassigned (never given a value), Null (an empty database value), Boolean,
// 64-bit integer, double, string (UTF-8 bytes; blobs travel as strings too), date-time
// (days since 1899-12-30 as a double, the fraction being the time of day) and arrays
// of Variant elements with bounds low..high.
//
// Equality (operator==):
//   - two Nulls are equal, and two Unassigned values are equal;
//   - Null is unequal to every non-null value, Unassigned included;
//   - numbers (Boolean, integer, double, date-time) compare by numeric value;
//   - a string compared with a number is converted to a number first; when it is not
//     numeric the two are compared as texts;
//   - strings compare byte for byte (case-sensitive);
//   - arrays are equal when their bounds and all elements are equal.
// So a "does this value differ" test never rewrites a Null over a Null.
#include <cstdint>
#include <string>
#include <vector>

#include "korin/platform/core/Bytes.h"
#include "korin/platform/core/Exception.h"

namespace korin {

class EVariantError : public Exception {
public:
    using Exception::Exception;
};

enum TVarType : unsigned char {
    varEmpty,    // Unassigned
    varNull,
    varBoolean,
    varInt64,
    varDouble,
    varString,
    varDate,
    varArray,
};

class Variant {
public:
    Variant() = default;  // Unassigned
    Variant(bool v) : FType(varBoolean), FInt(v ? 1 : 0) {}
    Variant(int v) : FType(varInt64), FInt(v) {}
    Variant(long v) : FType(varInt64), FInt(v) {}
    Variant(long long v) : FType(varInt64), FInt(v) {}
    Variant(unsigned v) : FType(varInt64), FInt(v) {}
    Variant(double v) : FType(varDouble), FDouble(v) {}
    Variant(std::string v) : FType(varString), FString(std::move(v)) {}
    Variant(const char* v) : FType(varString), FString(v ? v : "") {}

    // Copies and moves are inline: record buffers copy many values, and all but arrays
    // are a kind, eight bytes and a text.
    Variant(const Variant& other) : FType(other.FType), FInt(other.FInt), FString(other.FString)
    {
        if (FType == varArray)
            ++FArray->Refs;
    }
    Variant(Variant&& other) noexcept : FType(other.FType), FInt(other.FInt), FString(std::move(other.FString))
    {
        other.FType = varEmpty;
        other.FInt = 0;
    }
    Variant& operator=(const Variant& other)
    {
        if (this != &other) {
            if (other.FType == varArray)
                ++other.FArray->Refs;
            Release();
            FType = other.FType;
            FInt = other.FInt;
            FString = other.FString;
        }
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept
    {
        if (this != &other) {
            Release();
            FType = other.FType;
            FInt = other.FInt;
            FString = std::move(other.FString);
            other.FType = varEmpty;
            other.FInt = 0;
        }
        return *this;
    }
    ~Variant() { Release(); }

    // Stores a value in place. The text memory this variant already has is reused, so a
    // record buffer refilled for the next record allocates nothing for texts that fit.
    void SetNull() { Store(varNull, 0); }
    void SetBoolean(bool v) { Store(varBoolean, v ? 1 : 0); }
    void SetInteger(std::int64_t v) { Store(varInt64, v); }
    void SetFloat(double v)
    {
        Store(varDouble, 0);
        FDouble = v;
    }
    void SetDateTime(double days)
    {
        Store(varDate, 0);
        FDouble = days;
    }
    // The bytes must not lie inside this variant's own text. A text of the length already
    // held (a field refilled with the next record's value) is overwritten where it is;
    // otherwise the text is emptied and appended to, which within its capacity is one
    // copy without the overlap checks an assignment makes.
    void SetText(const char* data, size_t length)
    {
        if (FType == varString && FString.size() == length) {
            CopyBytes(FString.data(), data, length);
            return;
        }
        Release();
        FType = varString;
        FString.clear();
        FString.append(data, length);
    }

    static Variant Null()
    {
        Variant v;
        v.FType = varNull;
        return v;
    }
    static Variant Unassigned() { return Variant(); }
    static Variant FromDateTime(double days);

    TVarType Type() const { return FType; }
    bool IsNull() const { return FType == varNull; }
    bool IsEmpty() const { return FType == varEmpty; }
    // Null or Unassigned.
    bool IsNullOrEmpty() const { return FType == varNull || FType == varEmpty; }
    bool IsArray() const { return FType == varArray; }
    bool IsNumeric() const
    {
        return FType == varBoolean || FType == varInt64 || FType == varDouble || FType == varDate;
    }

    // Conversions. Null and Unassigned give "" as text and raise EVariantError for the
    // numeric conversions; text that is not a number raises EVariantError.
    std::string AsString() const;
    std::int64_t AsInteger() const;
    double AsFloat() const;
    bool AsBoolean() const;
    double AsDateTime() const;

    // Arrays.
    int ArrayLowBound() const;
    int ArrayHighBound() const;
    const Variant& operator[](int index) const;
    Variant& operator[](int index);  // element store
    const Variant& GetElement(int index) const { return (*this)[index]; }
    void SetElement(int index, const Variant& value) { (*this)[index] = value; }

    void Clear() { *this = Variant(); }

    bool operator==(const Variant& other) const;
    bool operator!=(const Variant& other) const { return !(*this == other); }

    friend Variant VarArrayCreate(int low, int high);

private:
    void CheckIndex(int index) const;

    // Arrays are shared between copies until one of them is written (copy on write).
    struct ArrayData {
        int Refs = 1;
        int Low = 0;
        std::vector<Variant> Items;
    };
    void Release() noexcept
    {
        if (FType == varArray)
            ReleaseArray();
        FType = varEmpty;
        FInt = 0;
    }
    void ReleaseArray() noexcept;
    // A value without text: the text is emptied, its memory kept.
    void Store(TVarType Type, std::int64_t Int)
    {
        Release();
        FType = Type;
        FInt = Int;
        FString.clear();
    }

    // Kept small: datasets hold many of these.
    TVarType FType = varEmpty;
    union {
        std::int64_t FInt = 0;
        double FDouble;
        ArrayData* FArray;
    };
    std::string FString;
};

// An array of Unassigned elements with bounds low..high (high may be low − 1: empty).
Variant VarArrayCreate(int low, int high);
// Text of a value: "" for Null and Unassigned, else AsString().
std::string VarToStr(const Variant& v);
inline bool VarIsNull(const Variant& v) { return v.IsNull(); }
inline bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
inline bool VarIsArray(const Variant& v) { return v.IsArray(); }

}  // namespace korin

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

    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant();

    static Variant Null();
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
    void Release() noexcept;

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

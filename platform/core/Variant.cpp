#include "korin/platform/core/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "korin/platform/core/DateUtils.h"

namespace korin {

namespace {

std::string FloatToText(double v)
{
    if (std::isnan(v))
        return "NAN";
    if (std::isinf(v))
        return v > 0 ? "INF" : "-INF";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

bool TextToFloat(const std::string& s, double& out)
{
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    if (b == e)
        return false;
    const char* first = s.data() + b;
    if (*first == '+')
        ++first;
    auto r = std::from_chars(first, s.data() + e, out);
    return r.ec == std::errc() && r.ptr == s.data() + e;
}

bool TextToInt(const std::string& s, std::int64_t& out)
{
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    if (b == e)
        return false;
    const char* first = s.data() + b;
    if (*first == '+')
        ++first;
    auto r = std::from_chars(first, s.data() + e, out);
    return r.ec == std::errc() && r.ptr == s.data() + e;
}

[[noreturn]] void BadConversion(const std::string& text, const char* what)
{
    throw EVariantError("Could not convert variant value '" + text + "' to " + what);
}

[[noreturn]] void NullConversion(const char* what)
{
    throw EVariantError(std::string("Could not convert variant of type (Null) into type (") + what + ")");
}

}  // namespace

void Variant::ReleaseArray() noexcept
{
    if (--FArray->Refs == 0)
        delete FArray;
}

Variant Variant::FromDateTime(double days)
{
    Variant v;
    v.FType = varDate;
    v.FDouble = days;
    return v;
}

Variant VarArrayCreate(int low, int high)
{
    if (high < low - 1)
        throw EVariantError("Invalid variant array bounds");
    Variant v;
    v.FType = varArray;
    v.FArray = new Variant::ArrayData();
    v.FArray->Low = low;
    v.FArray->Items.resize(static_cast<size_t>(high - low + 1));
    return v;
}

std::string VarToStr(const Variant& v)
{
    if (v.IsNullOrEmpty())
        return "";
    return v.AsString();
}

std::string Variant::AsString() const
{
    switch (FType) {
    case varEmpty:
    case varNull:
        return "";
    case varBoolean:
        return FInt ? "True" : "False";
    case varInt64:
        return std::to_string(FInt);
    case varDouble:
        return FloatToText(FDouble);
    case varString:
        return FString;
    case varDate: {
        double ip = std::floor(FDouble);
        if (FDouble == ip)
            return DateToISO(FDouble);
        if (ip == 0)
            return TimeToISO(FDouble);
        return DateTimeToISO(FDouble);
    }
    case varArray:
        throw EVariantError("Could not convert variant array to string");
    }
    return "";
}

std::int64_t Variant::AsInteger() const
{
    switch (FType) {
    case varBoolean:
    case varInt64:
        return FInt;
    case varDouble:
    case varDate:
        if (!std::isfinite(FDouble) || std::fabs(FDouble) > 9.2e18)
            BadConversion(FloatToText(FDouble), "Int64");
        return static_cast<std::int64_t>(std::llround(FDouble));
    case varString: {
        std::int64_t i;
        if (TextToInt(FString, i))
            return i;
        double d;
        if (TextToFloat(FString, d) && std::isfinite(d) && std::fabs(d) < 9.2e18)
            return static_cast<std::int64_t>(std::llround(d));
        BadConversion(FString, "Int64");
    }
    case varEmpty:
    case varNull:
        NullConversion("Int64");
    case varArray:
        break;
    }
    throw EVariantError("Could not convert variant array to Int64");
}

double Variant::AsFloat() const
{
    switch (FType) {
    case varBoolean:
    case varInt64:
        return static_cast<double>(FInt);
    case varDouble:
    case varDate:
        return FDouble;
    case varString: {
        double d;
        if (TextToFloat(FString, d))
            return d;
        TDateTime dt;
        if (TryISOToDateTime(FString, dt))
            return dt;
        BadConversion(FString, "Double");
    }
    case varEmpty:
    case varNull:
        NullConversion("Double");
    case varArray:
        break;
    }
    throw EVariantError("Could not convert variant array to Double");
}

bool Variant::AsBoolean() const
{
    switch (FType) {
    case varBoolean:
    case varInt64:
        return FInt != 0;
    case varDouble:
    case varDate:
        return FDouble != 0;
    case varString: {
        std::string u;
        for (char c : FString)
            u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (u == "TRUE")
            return true;
        if (u == "FALSE")
            return false;
        double d;
        if (TextToFloat(FString, d))
            return d != 0;
        BadConversion(FString, "Boolean");
    }
    case varEmpty:
    case varNull:
        NullConversion("Boolean");
    case varArray:
        break;
    }
    throw EVariantError("Could not convert variant array to Boolean");
}

double Variant::AsDateTime() const
{
    if (FType == varString) {
        TDateTime dt;
        if (TryISOToDateTime(FString, dt))
            return dt;
        double d;
        if (TextToFloat(FString, d))
            return d;
        BadConversion(FString, "Date");
    }
    if (FType == varEmpty || FType == varNull)
        NullConversion("Date");
    return AsFloat();
}

int Variant::ArrayLowBound() const
{
    if (FType != varArray)
        throw EVariantError("Variant is not an array");
    return FArray->Low;
}

int Variant::ArrayHighBound() const
{
    if (FType != varArray)
        throw EVariantError("Variant is not an array");
    return FArray->Low + static_cast<int>(FArray->Items.size()) - 1;
}

void Variant::CheckIndex(int index) const
{
    if (FType != varArray)
        throw EVariantError("Variant is not an array");
    if (index < FArray->Low || index > ArrayHighBound())
        throw EVariantError("Variant array index out of bounds");
}

const Variant& Variant::operator[](int index) const
{
    CheckIndex(index);
    return FArray->Items[static_cast<size_t>(index - FArray->Low)];
}

Variant& Variant::operator[](int index)
{
    CheckIndex(index);
    if (FArray->Refs > 1) {
        auto* copy = new ArrayData();
        copy->Low = FArray->Low;
        copy->Items = FArray->Items;
        --FArray->Refs;
        FArray = copy;
    }
    return FArray->Items[static_cast<size_t>(index - FArray->Low)];
}

bool Variant::operator==(const Variant& o) const
{
    if (FType == varNull || o.FType == varNull)
        return FType == o.FType;
    if (FType == varEmpty || o.FType == varEmpty)
        return FType == o.FType;
    if (FType == varArray || o.FType == varArray) {
        if (FType != o.FType)
            return false;
        if (FArray == o.FArray)
            return true;
        return FArray->Low == o.FArray->Low && FArray->Items == o.FArray->Items;
    }
    if (FType == varString && o.FType == varString)
        return FString == o.FString;
    if (FType == varString || o.FType == varString) {
        const Variant& s = FType == varString ? *this : o;
        const Variant& n = FType == varString ? o : *this;
        double d;
        if (TextToFloat(s.FString, d))
            return d == n.AsFloat();
        if (n.FType == varDate) {
            TDateTime dt;
            if (TryISOToDateTime(s.FString, dt))
                return dt == n.FDouble;
        }
        return s.FString == n.AsString();
    }
    if ((FType == varInt64 || FType == varBoolean) && (o.FType == varInt64 || o.FType == varBoolean))
        return FInt == o.FInt;
    return AsFloat() == o.AsFloat();
}

}  // namespace korin

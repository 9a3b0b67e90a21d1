// Value: typed readers that never throw, copy-on-write mutation, equality.
#include "platform/Value.h"

#include "platform/IntegerText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace platform {

namespace {

const std::string kEmptyString;
const Bytes kEmptyBytes;
const Array kEmptyArray;
const Dictionary kEmptyDictionary;

int64_t clampToInt64(double d)
{
    if (std::isnan(d))
        return 0;
    // 2^63 is exactly representable; anything at or past it saturates.
    if (d >= 9223372036854775808.0)
        return std::numeric_limits<int64_t>::max();
    if (d <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(d); // truncates toward zero
}

std::string shortestText(double d)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

double decimalToDouble(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double d = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), d);
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars leaves d untouched on overflow; give the saturated value.
        bool neg = !s.empty() && s.front() == '-';
        size_t e = s.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-';
        if (tiny)
            return neg ? -0.0 : 0.0;
        return neg ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    if (res.ec != std::errc())
        return 0;
    return d;
}

// Without an exponent the integer digits are read exactly, so that numbers
// beyond a double's 53 bits keep every digit; with one, the value itself is
// truncated ("1.5e3" gives 1500, not 1).
int64_t decimalToInt64(std::string_view s)
{
    if (s.find_first_of("eE") != std::string_view::npos)
        return clampToInt64(decimalToDouble(s));
    return leadingInteger(s).value_or(0);
}

}

double Decimal::toDouble() const
{
    return decimalToDouble(text);
}

int64_t Decimal::toInt64() const
{
    return decimalToInt64(text);
}

// An empty array or dictionary has no storage of its own until it is first
// changed: documents hold thousands of them, and each would be a block.
Value::Value(platform::Array a)
    : v_(a.empty() ? std::shared_ptr<platform::Array>() : std::make_shared<platform::Array>(std::move(a)))
{
}
Value::Value(platform::Dictionary d)
    : v_(d.empty() ? std::shared_ptr<platform::Dictionary>() : std::make_shared<platform::Dictionary>(std::move(d)))
{
}

bool Value::asBool() const
{
    switch (type()) {
    case Type::Bool: return std::get<bool>(v_);
    case Type::Integer: return std::get<int64_t>(v_) != 0;
    case Type::Real: return std::get<double>(v_) != 0;
    case Type::Decimal: return decimalToDouble(decimalText()) != 0;
    default: return false;
    }
}

int64_t Value::asInt64() const
{
    switch (type()) {
    case Type::Bool: return std::get<bool>(v_) ? 1 : 0;
    case Type::Integer: return std::get<int64_t>(v_);
    case Type::Real: return clampToInt64(std::get<double>(v_));
    case Type::Decimal: return decimalToInt64(decimalText());
    default: return 0;
    }
}

double Value::asDouble() const
{
    switch (type()) {
    case Type::Bool: return std::get<bool>(v_) ? 1 : 0;
    case Type::Integer: return double(std::get<int64_t>(v_));
    case Type::Real: return std::get<double>(v_);
    case Type::Decimal: return decimalToDouble(decimalText());
    default: return 0;
    }
}

const std::string& Value::asString() const
{
    if (auto* p = std::get_if<std::shared_ptr<std::string>>(&v_))
        return **p;
    return kEmptyString;
}

platform::Decimal Value::asDecimal() const
{
    switch (type()) {
    case Type::Decimal: return { std::string(decimalText()) };
    case Type::Bool: return { std::get<bool>(v_) ? "1" : "0" };
    case Type::Integer: return { std::to_string(std::get<int64_t>(v_)) };
    case Type::Real: return { shortestText(std::get<double>(v_)) };
    default: return { "0" };
    }
}

platform::Date Value::asDate() const
{
    if (auto* d = std::get_if<platform::Date>(&v_))
        return *d;
    return {};
}

const Bytes& Value::asData() const
{
    if (auto* p = std::get_if<std::shared_ptr<Bytes>>(&v_))
        return **p;
    return kEmptyBytes;
}

const platform::Array& Value::asArray() const
{
    const auto* p = arrayIf();
    return p ? *p : kEmptyArray;
}

const platform::Dictionary& Value::asDictionary() const
{
    const auto* p = dictionaryIf();
    return p ? *p : kEmptyDictionary;
}

const std::string* Value::stringIf() const
{
    auto* p = std::get_if<std::shared_ptr<std::string>>(&v_);
    return p ? p->get() : nullptr;
}

const platform::Array* Value::arrayIf() const
{
    auto* p = std::get_if<std::shared_ptr<platform::Array>>(&v_);
    return p ? (*p ? p->get() : &kEmptyArray) : nullptr;
}

const platform::Dictionary* Value::dictionaryIf() const
{
    auto* p = std::get_if<std::shared_ptr<platform::Dictionary>>(&v_);
    return p ? (*p ? p->get() : &kEmptyDictionary) : nullptr;
}

namespace {
template <typename T, typename Variant>
T& detach(Variant& v)
{
    auto* p = std::get_if<std::shared_ptr<T>>(&v);
    if (!p) {
        v = std::make_shared<T>();
        return *std::get<std::shared_ptr<T>>(v);
    }
    if (!*p)
        *p = std::make_shared<T>();
    else if (p->use_count() > 1)
        *p = std::make_shared<T>(**p);
    return **p;
}
}

std::string& Value::mutableString() { return detach<std::string>(v_); }
platform::Array& Value::mutableArray() { return detach<platform::Array>(v_); }
platform::Dictionary& Value::mutableDictionary() { return detach<platform::Dictionary>(v_); }

const void* Value::identity() const
{
    return std::visit([](const auto& x) -> const void* {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::shared_ptr<std::string>> || std::is_same_v<T, std::shared_ptr<Bytes>>
            || std::is_same_v<T, std::shared_ptr<platform::Array>> || std::is_same_v<T, std::shared_ptr<platform::Dictionary>>)
            return x.get();
        else
            return nullptr;
    }, v_);
}

// Integers and reals compare by value, as numbers do on the platform; every
// other pair must have the same type.
bool Value::operator==(const Value& o) const
{
    const Type a = type(), b = o.type();
    if (a != b) {
        if ((a == Type::Integer && b == Type::Real) || (a == Type::Real && b == Type::Integer)) {
            const Value& i = a == Type::Integer ? *this : o;
            const double r = (a == Type::Real ? *this : o).asDouble();
            // Only an integral double inside the 64-bit range can be equal;
            // converting the integer instead would round near 2^63.
            if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
                return false;
            return double(int64_t(r)) == r && int64_t(r) == i.asInt64();
        }
        return false;
    }
    switch (a) {
    case Type::Null: return true;
    case Type::Bool: return std::get<bool>(v_) == std::get<bool>(o.v_);
    case Type::Integer: return std::get<int64_t>(v_) == std::get<int64_t>(o.v_);
    case Type::Real: return std::get<double>(v_) == std::get<double>(o.v_);
    case Type::Decimal: return decimalText() == o.decimalText();
    case Type::String: return asString() == o.asString();
    case Type::Date: return asDate() == o.asDate();
    case Type::Data: return asData() == o.asData();
    case Type::Array: return identity() == o.identity() || asArray() == o.asArray();
    case Type::Dictionary: return identity() == o.identity() || asDictionary() == o.asDictionary();
    }
    return false;
}

std::string Value::debugDescription() const
{
    switch (type()) {
    case Type::Null: return "null";
    case Type::Bool: return std::get<bool>(v_) ? "true" : "false";
    case Type::Integer: return std::to_string(std::get<int64_t>(v_));
    case Type::Real: return shortestText(std::get<double>(v_));
    case Type::Decimal: return "decimal(" + std::string(decimalText()) + ")";
    case Type::String: return "\"" + asString() + "\"";
    case Type::Date: return "date(" + shortestText(asDate().secondsSince1970) + ")";
    case Type::Data: return "data(" + std::to_string(asData().size()) + " bytes)";
    case Type::Array: {
        std::string s = "[";
        bool first = true;
        for (const auto& v : asArray()) {
            s += first ? "" : ", ";
            s += v.debugDescription();
            first = false;
        }
        return s + "]";
    }
    case Type::Dictionary: {
        std::string s = "{";
        bool first = true;
        for (const auto& [k, v] : asDictionary()) {
            s += first ? "" : ", ";
            s += "\"" + k + "\": " + v.debugDescription();
            first = false;
        }
        return s + "}";
    }
    }
    return "?";
}

}

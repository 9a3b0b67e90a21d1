#pragma once
// One value type for property-list-like data: null, booleans, numbers, strings,
// dates, bytes, arrays and string-keyed dictionaries. It owns no platform handle
// and never throws on a wrong type: accessors answer a neutral value instead.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

// An exact decimal number kept as the text that spelled it ("-12.50e3"), so
// that no binary rounding ever happens between reading and writing it.
struct Decimal {
    std::string text;
    bool operator==(const Decimal&) const = default;
    double toDouble() const;
    // The leading integer part (truncated toward zero), 0 when there is none.
    int64_t toInt64() const;
};

// A point in time as seconds since 1970-01-01T00:00:00Z.
struct Date {
    double secondsSince1970 = 0;
    static constexpr double kReferenceOffset = 978307200.0; // 2001-01-01 in 1970 seconds
    double secondsSinceReferenceDate() const { return secondsSince1970 - kReferenceOffset; }
    static Date fromReferenceSeconds(double s) { return Date { s + kReferenceOffset }; }
    auto operator<=>(const Date&) const = default;
};

using Bytes = std::vector<uint8_t>;

class Value;
using Array = std::vector<Value>;

class Dictionary;

class Value {
public:
    enum class Type { Null, Bool, Integer, Real, Decimal, String, Date, Data, Array, Dictionary };

    Value() = default;
    Value(std::nullptr_t) { }
    Value(bool b) : v_(b) { }
    Value(int i) : v_(int64_t(i)) { }
    Value(int64_t i) : v_(i) { }
    Value(long long i) : v_(int64_t(i)) { }
    Value(double d) : v_(d) { }
    Value(platform::Decimal d) : v_(std::move(d)) { }
    Value(std::string s) : v_(std::make_shared<std::string>(std::move(s))) { }
    Value(std::string_view s) : Value(std::string(s)) { }
    Value(const char* s) : Value(std::string(s)) { }
    Value(platform::Date d) : v_(d) { }
    Value(Bytes b) : v_(std::make_shared<Bytes>(std::move(b))) { }
    Value(platform::Array a);
    Value(platform::Dictionary d);

    Type type() const { return Type(v_.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isBool() const { return type() == Type::Bool; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    bool isDecimal() const { return type() == Type::Decimal; }
    bool isNumber() const { return isInteger() || isReal() || isDecimal() || isBool(); }
    bool isString() const { return type() == Type::String; }
    bool isDate() const { return type() == Type::Date; }
    bool isData() const { return type() == Type::Data; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }

    // Typed readers. A wrong type gives false, 0, "", an empty container or
    // the 1970 epoch; numbers convert among themselves.
    bool asBool() const;
    int64_t asInt64() const;
    double asDouble() const;
    const std::string& asString() const;
    platform::Decimal asDecimal() const;
    platform::Date asDate() const;
    const Bytes& asData() const;
    const platform::Array& asArray() const;
    const platform::Dictionary& asDictionary() const;

    // Pointers for callers that must tell "absent" from "empty".
    const std::string* stringIf() const;
    const platform::Array* arrayIf() const;
    const platform::Dictionary* dictionaryIf() const;
    // The exact decimal in place, without the copy asDecimal() makes.
    const platform::Decimal* decimalIf() const { return std::get_if<platform::Decimal>(&v_); }

    // Mutable access; copies shared storage first, so copies never see the change.
    // Calling them on a value of another type turns it into an empty one of that type.
    std::string& mutableString();
    platform::Array& mutableArray();
    platform::Dictionary& mutableDictionary();

    // Identity of the shared string storage: two values made from separate
    // string sets differ even when their text is equal.
    const void* identity() const;

    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

    // Short debug text (type names and contents), for diagnostics only.
    std::string debugDescription() const;

private:
    std::variant<std::monostate, bool, int64_t, double, platform::Decimal,
        std::shared_ptr<std::string>, platform::Date, std::shared_ptr<Bytes>,
        std::shared_ptr<platform::Array>, std::shared_ptr<platform::Dictionary>>
        v_;
};

// Keys keep their insertion order; setting an existing key replaces its value
// in place. Lookups are linear below a small size, which suits the small
// dictionaries this program deals in; larger ones keep a hash index of their
// keys so that reading a big object stays linear overall.
// Keys must not be changed through the mutable iterators.
class Dictionary {
public:
    using Entry = std::pair<std::string, Value>;
    Dictionary() = default;
    Dictionary(std::initializer_list<Entry> entries);

    const Value* find(std::string_view key) const;
    Value* find(std::string_view key);
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    // Value for key, or a shared null value when absent.
    const Value& get(std::string_view key) const;
    void set(std::string key, Value value);
    bool remove(std::string_view key);
    // Appends without looking for an existing key: only for callers that know
    // the key is new (a reader that has checked, a copy).
    void appendUnchecked(std::string key, Value value);
    void reserve(size_t n) { entries_.reserve(n); }

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    void clear() { entries_.clear(); index_.clear(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }
    auto begin() { return entries_.begin(); }
    auto end() { return entries_.end(); }
    std::vector<std::string> sortedKeys() const;
    bool operator==(const Dictionary& other) const; // order-insensitive

private:
    static constexpr size_t kIndexThreshold = 16;
    std::vector<Entry> entries_;
    // Open-addressing table of entry positions + 1 (0 = empty slot); empty
    // while the dictionary is small.
    std::vector<uint32_t> index_;
    long findIndex(std::string_view key) const;
    void indexInsert(size_t position);
    void rebuildIndex();
};

}

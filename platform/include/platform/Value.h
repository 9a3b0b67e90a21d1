#pragma once
// One value type for property-list-like data: null, booleans, numbers, strings,
// dates, bytes, arrays and string-keyed dictionaries. It owns no platform handle
// and never throws on a wrong type: accessors answer a neutral value instead.

#include <cstdint>
#include <cstring>
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
    Value(platform::Decimal d) : v_(std::in_place_type<DecimalText>, std::string_view(d.text)) { }
    Value(std::string s) : v_(std::make_shared<std::string>(std::move(s))) { }
    Value(std::string_view s) : v_(std::make_shared<std::string>(s)) { }
    Value(const char* s) : Value(std::string_view(s)) { }
    Value(platform::Date d) : v_(d) { }
    Value(Bytes b) : v_(std::make_shared<Bytes>(std::move(b))) { }
    Value(platform::Array a);
    Value(platform::Dictionary d);
    // An exact decimal spelled by `text`, without making a Decimal first.
    static Value decimal(std::string_view text)
    {
        Value v;
        std::memcpy(v.assignDecimal(text.size()), text.data(), text.size());
        return v;
    }

    // Decimal texts up to this long live in the value itself: reading or
    // copying one allocates nothing.
    static constexpr size_t kInlineDecimalLength = 31;
    // For readers that spell numbers their own way: makes this value a
    // decimal of `length` characters and answers where to write them, so that
    // the text is written once, in place. There is room for at least
    // kInlineDecimalLength characters; those past `length` are ignored. The
    // characters must be written before the value is read or copied.
    char* assignDecimal(size_t length) { return v_.emplace<DecimalText>(length).data(); }

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
    // The exact decimal's text in place, without the copy asDecimal() makes;
    // empty for every other type.
    std::string_view decimalText() const
    {
        const auto* d = std::get_if<DecimalText>(&v_);
        return d ? d->view() : std::string_view();
    }

    // Mutable access; copies shared storage first, so copies never see the change.
    // Calling them on a value of another type turns it into an empty one of that type.
    std::string& mutableString();
    platform::Array& mutableArray();
    platform::Dictionary& mutableDictionary();

    // Identity of the shared string storage: two values made from separate
    // string sets differ even when their text is equal. An empty array or
    // dictionary has no storage until it is changed, and answers nullptr.
    const void* identity() const;

    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

    // Short debug text (type names and contents), for diagnostics only.
    std::string debugDescription() const;

private:
    // A decimal's text: short ones (every number a JSON text spells in
    // practice) in the value itself, longer ones in a block of their own.
    class DecimalText {
    public:
        explicit DecimalText(size_t length)
        {
            if (length <= kInlineDecimalLength) {
                length_ = uint8_t(length);
            } else {
                length_ = kHeap;
                heap_.chars = new char[length];
                heap_.length = length;
            }
        }
        explicit DecimalText(std::string_view text) : DecimalText(text.size())
        {
            std::memcpy(data(), text.data(), text.size());
        }
        DecimalText(const DecimalText& other)
        {
            if (other.length_ != kHeap) {
                copyInline(other);
                return;
            }
            length_ = kHeap;
            heap_.chars = new char[other.heap_.length];
            heap_.length = other.heap_.length;
            std::memcpy(heap_.chars, other.heap_.chars, heap_.length);
        }
        DecimalText(DecimalText&& other) noexcept
        {
            copyInline(other);
            other.length_ = 0;
        }
        DecimalText& operator=(const DecimalText& other)
        {
            if (this != &other) {
                DecimalText copy(other);
                *this = std::move(copy);
            }
            return *this;
        }
        DecimalText& operator=(DecimalText&& other) noexcept
        {
            if (this != &other) {
                release();
                copyInline(other);
                other.length_ = 0;
            }
            return *this;
        }
        ~DecimalText() { release(); }

        char* data() { return length_ == kHeap ? heap_.chars : chars_; }
        std::string_view view() const
        {
            return length_ == kHeap ? std::string_view(heap_.chars, heap_.length) : std::string_view(chars_, length_);
        }

    private:
        static constexpr uint8_t kHeap = 0xFF;
        static_assert(kInlineDecimalLength < kHeap);
        // The whole buffer, whatever the length: a fixed size is a few
        // moves where a length would be a call. For a text on the heap this
        // hands the block over.
        void copyInline(const DecimalText& other)
        {
            std::memcpy(chars_, other.chars_, kInlineDecimalLength);
            length_ = other.length_;
        }
        void release()
        {
            if (length_ == kHeap)
                delete[] heap_.chars;
            length_ = 0;
        }
        struct Heap {
            char* chars; // owned
            size_t length;
        };
        union {
            char chars_[kInlineDecimalLength];
            Heap heap_;
        };
        uint8_t length_ = 0; // kHeap for a text in a block of its own
    };

    std::variant<std::monostate, bool, int64_t, double, DecimalText,
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
    // Answers the value in place, good until the dictionary next changes.
    Value& appendUnchecked(std::string key, Value value);
    // A null value under `key`, known to be new, to be filled in place: for
    // readers, which have the key's hashKey() at hand and need no copy of it
    // on the way.
    Value& appendNullUnchecked(std::string_view key, uint32_t keyHash);
    // Room for n entries; one that will be large gets its index at once, so
    // that filling it never builds the index over again.
    void reserve(size_t n);

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    void clear() { entries_.clear(); index_.clear(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }
    auto begin() { return entries_.begin(); }
    auto end() { return entries_.end(); }
    std::vector<std::string> sortedKeys() const;
    bool operator==(const Dictionary& other) const; // order-insensitive

    // The hash the index keeps for a key, for readers that hash keys anyway.
    // Fast rather than hard to collide on purpose: the dictionaries here are
    // a few thousand keys at most.
    static uint32_t hashKey(std::string_view key)
    {
        const char* p = key.data();
        size_t n = key.size();
        uint64_t h = 0x9E3779B97F4A7C15ull ^ (uint64_t(n) << 32);
        while (n >= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            h = (h ^ w) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
            p += 8;
            n -= 8;
        }
        uint64_t w = 0;
        if (n >= 4) {
            uint32_t x, y;
            std::memcpy(&x, p, 4);
            std::memcpy(&y, p + n - 4, 4);
            w = uint64_t(x) << 32 | y;
        } else if (n > 0) {
            w = uint64_t(uint8_t(p[0])) << 16 | uint64_t(uint8_t(p[n / 2])) << 8 | uint8_t(p[n - 1]);
        }
        h = (h ^ w) * 0xC4CEB9FE1A85EC53ull;
        h ^= h >> 29;
        h *= 0xFF51AFD7ED558CCDull;
        return uint32_t(h >> 32);
    }

private:
    static constexpr size_t kIndexThreshold = 16;
    // An entry's position + 1 (0: an empty slot) and its key's hash, which
    // spares rehashing keys when the table grows and most key comparisons
    // on a lookup.
    struct Slot {
        uint32_t position;
        uint32_t hash;
    };
    std::vector<Entry> entries_;
    // Open addressing, at most half full; empty while the dictionary is small.
    std::vector<Slot> index_;
    long findIndex(std::string_view key) const;
    void indexInsert(uint32_t position, uint32_t hash);
    void indexLast(uint32_t keyHash);
    void resizeIndex(size_t entries);
    // A new table sized for `entries`, holding every present entry.
    void indexAll(size_t entries);
    void rebuildIndex();
};

}

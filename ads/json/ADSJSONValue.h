#pragma once
// One value of a JSON document read by ADS_KVJSON: sixteen bytes that point
// into the document's arena, or hold a number's text themselves. It lives as
// long as its document and is never changed once read.

#include "platform/Value.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

class ADSJSONMember;

class ADSJSONValue {
public:
    enum class Type : uint8_t { Null, Bool, Number, String, Array, Object };

    // Number texts up to this length live in the value itself, four bits a
    // character; longer ones (rare outside of contrived input) in the arena.
    static constexpr size_t kInlineNumberLength = 28;
    using NumberBuffer = std::array<char, kInlineNumberLength>;

    ADSJSONValue() = default; // null

    Type type() const
    {
        switch (kind()) {
        case kNull: return Type::Null;
        case kFalse:
        case kTrue: return Type::Bool;
        case kInlineNumber:
        case kNumber: return Type::Number;
        case kString: return Type::String;
        case kArray: return Type::Array;
        case kObject: return Type::Object;
        }
        return Type::Null;
    }
    bool isNull() const { return kind() == kNull; }
    bool isBool() const { return kind() == kFalse || kind() == kTrue; }
    bool isNumber() const { return kind() == kInlineNumber || kind() == kNumber; }
    bool isString() const { return kind() == kString; }
    bool isArray() const { return kind() == kArray; }
    bool isObject() const { return kind() == kObject; }

    bool boolValue() const { return kind() == kTrue; }
    // The number exactly as it was written ("-12.50e3"). A text kept in the
    // value is spelled out into `buffer`, which must outlive the view.
    std::string_view numberText(NumberBuffer& buffer) const;
    std::string numberText() const;
    // A string's UTF-8 bytes (zero bytes included); empty for other types.
    std::string_view string() const
    {
        return kind() == kString ? std::string_view(pointer<char>(), count()) : std::string_view();
    }
    // Elements of an array or members of an object; 0 for other types.
    size_t size() const { return kind() == kArray || kind() == kObject ? count() : 0; }
    std::span<const ADSJSONValue> items() const;
    std::span<const ADSJSONMember> members() const;
    // The member's value, or none. A key occurs once in an object.
    const ADSJSONValue* find(std::string_view key) const;

    // A platform value of the same content (a mutable copy that owns itself).
    platform::Value toValue() const;

    // Construction, for the reader.
    static ADSJSONValue boolean(bool b) { return ADSJSONValue(0, uint64_t(b ? kTrue : kFalse) << 56); }
    static ADSJSONValue string(const char* chars, uint32_t length) { return ADSJSONValue(chars, length, kString); }
    static ADSJSONValue array(const ADSJSONValue* items, uint32_t count) { return ADSJSONValue(items, count, kArray); }
    static ADSJSONValue object(const ADSJSONMember* members, uint32_t count)
    {
        return ADSJSONValue(members, count, kObject);
    }
    static ADSJSONValue longNumber(const char* chars, uint32_t length) { return ADSJSONValue(chars, length, kNumber); }
    // `length` is at most kInlineNumberLength, and the 32 bytes from `text`
    // may be read: the bytes past the number are ignored. Only the characters
    // of the number grammar are expected.
    static ADSJSONValue inlineNumber(const uint8_t* text, size_t length);

private:
    enum Kind : uint8_t { kNull, kFalse, kTrue, kInlineNumber, kNumber, kString, kArray, kObject };

    ADSJSONValue(uint64_t a, uint64_t b) : a_(a), b_(b) { }
    ADSJSONValue(const void* p, uint32_t count, Kind kind)
        : a_(reinterpret_cast<uintptr_t>(p)), b_(uint64_t(kind) << 56 | count)
    {
    }
    Kind kind() const { return Kind(b_ >> 56); }
    size_t inlineNumberLength() const { return size_t(b_ >> 48) & 0xFF; }
    // An inline number's text into `out`, which has room for
    // kInlineNumberLength characters; those past its length are left over.
    void spellInlineNumber(char* out) const;
    // This value's content into `out`, a null value.
    void fillValue(platform::Value& out) const;
    uint32_t count() const { return uint32_t(b_); }
    template<typename T> const T* pointer() const { return reinterpret_cast<const T*>(uintptr_t(a_)); }

    // Layout: a_ is a pointer, or the first sixteen characters of an inline
    // number (four bits each, first character lowest); b_ holds the count or
    // length in its low 32 bits (an inline number: twelve more characters in
    // bits 0-47 and its length in bits 48-55) and the kind in its top byte.
    uint64_t a_ = 0;
    uint64_t b_ = 0;
};

// Character codes of inline numbers: a digit is its own value, and the rest
// keep the low four bits of their ASCII code where those are free ('+' 0xB,
// '-' 0xD, '.' 0xE); 'e' and 'E' take 0xA and 0xC.
inline ADSJSONValue ADSJSONValue::inlineNumber(const uint8_t* text, size_t length)
{
    uint64_t lo, hi;
#if defined(__x86_64__)
    static constexpr uint8_t kKeep[48] = {
        255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
        255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
    };
    const __m128i low4 = _mm_set1_epi8(0x0F);
    const __m128i e = _mm_set1_epi8('e');
    const __m128i bigE = _mm_set1_epi8('E');
    auto codes = [&](const uint8_t* p, const uint8_t* keep) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i c = _mm_and_si128(v, low4);
        const __m128i isE = _mm_cmpeq_epi8(v, bigE);
        const __m128i ise = _mm_cmpeq_epi8(v, e);
        // 'e' & 0x0F is 5 and 'E' & 0x0F is 5: move them to 0xA and 0xC.
        c = _mm_or_si128(_mm_andnot_si128(_mm_or_si128(isE, ise), c),
            _mm_or_si128(_mm_and_si128(ise, _mm_set1_epi8(0x0A)), _mm_and_si128(isE, _mm_set1_epi8(0x0C))));
        c = _mm_and_si128(c, _mm_loadu_si128(reinterpret_cast<const __m128i*>(keep)));
        // Pairs of bytes (a, b) become a | b << 4.
        const __m128i pairs = _mm_and_si128(_mm_or_si128(c, _mm_srli_epi16(c, 4)), _mm_set1_epi16(0x00FF));
        return pairs;
    };
    // kKeep + 32 - n gives n leading 0xFF bytes then zeros.
    const size_t n0 = length < 16 ? length : 16;
    const size_t n1 = length - n0;
    const __m128i p0 = codes(text, kKeep + 32 - n0);
    const __m128i p1 = codes(text + 16, kKeep + 32 - n1);
    const __m128i packed = _mm_packus_epi16(p0, p1);
    lo = uint64_t(_mm_cvtsi128_si64(packed));
    hi = uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(packed, packed)));
#else
    lo = hi = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t ch = text[i];
        const uint64_t code = ch == 'e' ? 0x0A : ch == 'E' ? 0x0C : ch & 0x0F;
        if (i < 16)
            lo |= code << (4 * i);
        else
            hi |= code << (4 * (i - 16));
    }
#endif
    return ADSJSONValue(lo, uint64_t(kInlineNumber) << 56 | uint64_t(length) << 48 | (hi & 0xFFFFFFFFFFFFull));
}

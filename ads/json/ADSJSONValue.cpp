#include "json/ADSJSONValue.h"

#include "json/ADSJSONMember.h"

std::string_view ADSJSONValue::numberText(NumberBuffer& buffer) const
{
    if (kind() == kNumber)
        return std::string_view(pointer<char>(), count());
    if (kind() != kInlineNumber)
        return std::string_view();
    spellInlineNumber(buffer.data());
    return std::string_view(buffer.data(), inlineNumberLength());
}

// All kInlineNumberLength characters whatever the length: a fixed amount of
// work with no branch costs less than stopping at the end, and the whole
// text goes out in two stores that a following read of it can take over.
void ADSJSONValue::spellInlineNumber(char* out) const
{
    static_assert(kInlineNumberLength == 28);
#if defined(__x86_64__)
    const __m128i codes = _mm_set_epi64x(int64_t(b_), int64_t(a_));
    const __m128i low4 = _mm_set1_epi8(0x0F);
    const __m128i lows = _mm_and_si128(codes, low4);
    const __m128i highs = _mm_and_si128(_mm_srli_epi16(codes, 4), low4);
    auto spell = [](__m128i c) {
        // A digit and '?' (0xF) are the code plus '0'; '+', '-' and '.' the
        // code plus 0x20; 'e' and 'E' are moved from where '0' puts them.
        const auto is = [&c](char code) { return _mm_cmpeq_epi8(c, _mm_set1_epi8(code)); };
        __m128i ch = _mm_add_epi8(c, _mm_set1_epi8('0'));
        ch = _mm_sub_epi8(ch, _mm_and_si128(_mm_or_si128(_mm_or_si128(is(0xB), is(0xD)), is(0xE)), _mm_set1_epi8(0x10)));
        ch = _mm_add_epi8(ch, _mm_and_si128(is(0xA), _mm_set1_epi8('e' - ('0' + 0xA))));
        ch = _mm_add_epi8(ch, _mm_and_si128(is(0xC), _mm_set1_epi8('E' - ('0' + 0xC))));
        return ch;
    };
    // Characters 0-15 from code bytes 0-7, characters 12-27 from bytes 6-13.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), spell(_mm_unpacklo_epi8(lows, highs)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 12),
        spell(_mm_unpacklo_epi8(_mm_srli_si128(lows, 6), _mm_srli_si128(highs, 6))));
#else
    static constexpr char kChars[16] = { '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'e', '+', 'E', '-', '.', '?' };
    for (size_t i = 0; i < kInlineNumberLength; ++i) {
        const uint64_t code = i < 16 ? a_ >> (4 * i) : b_ >> (4 * (i - 16));
        out[i] = kChars[code & 0x0F];
    }
#endif
}

std::string ADSJSONValue::numberText() const
{
    NumberBuffer buffer;
    return std::string(numberText(buffer));
}

std::span<const ADSJSONValue> ADSJSONValue::items() const
{
    if (kind() != kArray)
        return {};
    return std::span<const ADSJSONValue>(pointer<ADSJSONValue>(), size());
}

std::span<const ADSJSONMember> ADSJSONValue::members() const
{
    if (kind() != kObject)
        return {};
    return std::span<const ADSJSONMember>(pointer<ADSJSONMember>(), size());
}

const ADSJSONValue* ADSJSONValue::find(std::string_view key) const
{
    const uint32_t hash = ADSJSONMember::hashKey(key.data(), key.size());
    for (const ADSJSONMember& member : members()) {
        if (member.keyHash() == hash && member.key() == key)
            return &member.value();
    }
    return nullptr;
}

platform::Value ADSJSONValue::toValue() const
{
    platform::Value value;
    fillValue(value);
    return value;
}

// Every value is made where it stays, in its array or dictionary, so that
// no element is built once and moved again.
void ADSJSONValue::fillValue(platform::Value& out) const
{
    switch (kind()) {
    case kNull:
        return;
    case kFalse:
    case kTrue:
        out = platform::Value(kind() == kTrue);
        return;
    case kInlineNumber:
        static_assert(platform::Value::kInlineDecimalLength >= kInlineNumberLength);
        spellInlineNumber(out.assignDecimal(inlineNumberLength()));
        return;
    case kNumber:
        std::memcpy(out.assignDecimal(count()), pointer<char>(), count());
        return;
    case kString:
        out = platform::Value(string());
        return;
    case kArray: {
        if (count() == 0) {
            out = platform::Value(platform::Array());
            return;
        }
        platform::Array& array = out.mutableArray();
        array.resize(size());
        platform::Value* element = array.data();
        for (const ADSJSONValue& item : items())
            item.fillValue(*element++);
        return;
    }
    case kObject: {
        if (count() == 0) {
            out = platform::Value(platform::Dictionary());
            return;
        }
        // Keys are unique already: the reader kept one member per key.
        platform::Dictionary& dict = out.mutableDictionary();
        dict.reserve(size());
        for (const ADSJSONMember& member : members())
            member.value().fillValue(dict.appendNullUnchecked(member.key(), member.keyHash()));
        return;
    }
    }
}

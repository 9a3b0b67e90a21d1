#include "json/ADSJSONValue.h"

#include "json/ADSJSONMember.h"

std::string_view ADSJSONValue::numberText(NumberBuffer& buffer) const
{
    if (kind() == kNumber)
        return std::string_view(pointer<char>(), count());
    if (kind() != kInlineNumber)
        return std::string_view();
    static constexpr char kChars[16] = { '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'e', '+', 'E', '-', '.', '?' };
    const size_t length = size_t(b_ >> 48) & 0xFF;
    for (size_t i = 0; i < length; ++i) {
        const uint64_t code = i < 16 ? a_ >> (4 * i) : b_ >> (4 * (i - 16));
        buffer[i] = kChars[code & 0x0F];
    }
    return std::string_view(buffer.data(), length);
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
    switch (kind()) {
    case kNull:
        return platform::Value(nullptr);
    case kFalse:
    case kTrue:
        return platform::Value(kind() == kTrue);
    case kInlineNumber:
    case kNumber: {
        NumberBuffer buffer;
        return platform::Value(platform::Decimal { std::string(numberText(buffer)) });
    }
    case kString:
        return platform::Value(std::string(string()));
    case kArray: {
        platform::Array array;
        array.reserve(size());
        for (const ADSJSONValue& item : items())
            array.push_back(item.toValue());
        return platform::Value(std::move(array));
    }
    case kObject: {
        // Keys are unique already: the reader kept one member per key.
        platform::Dictionary dict;
        dict.reserve(size());
        for (const ADSJSONMember& member : members())
            dict.appendUnchecked(std::string(member.key()), member.value().toValue());
        return platform::Value(std::move(dict));
    }
    }
    return platform::Value();
}

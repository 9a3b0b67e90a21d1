// The property-list reader on any bytes. Whatever reads must serialize, read
// back equal, and serialize again to the same text; a refusal says why.
#include "FuzzSupport.h"
#include "platform/PropertyList.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::Result<platform::Value> value = platform::PropertyList::parse(text);
    if (!value) {
        fuzzCheck(!value.error().message.empty(), "a refusal without a reason");
        return 0;
    }
    const std::string xml = platform::PropertyList::serialize(*value);
    platform::Result<platform::Value> back = platform::PropertyList::parse(xml);
    fuzzCheck(back.ok(), "serialized text does not read");
    fuzzCheck(sameValue(*back, *value), "serialized text reads back different");
    fuzzCheck(platform::PropertyList::serialize(*back) == xml, "serializing is not stable");
    return 0;
}

// The JSON reader on any bytes. Whatever reads must write under every writer
// setting, read back equal, and write again to the same text; whatever fails
// must fail with one of the reader's own codes and a message.
#include "FuzzSupport.h"
#include "json/ADS_KVJSON.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::Error error;
    std::optional<platform::Value> value = ADS_KVJSON().fragmentWithString(text, &error);
    std::optional<platform::Value> object = ADS_KVJSON().objectWithString(text);
    fuzzCheck(object.has_value() == (value && (value->isArray() || value->isDictionary())),
        "the object and fragment readers disagree");
    if (!value) {
        fuzzCheck(error.code >= 1 && error.code <= 12 && !error.message.empty(), "a failure without its code and message");
        return 0;
    }
    // Without a depth limit the same text reads the same.
    ADS_KVJSON unlimited;
    unlimited.setMaxDepth(0);
    std::optional<platform::Value> again = unlimited.fragmentWithString(text);
    fuzzCheck(again && *again == *value, "lifting the depth limit changed the value");

    for (int mode = 0; mode < 4; ++mode) {
        ADS_KVJSON writer;
        writer.setSortKeys(mode & 1);
        writer.setHumanReadable(mode & 2);
        std::optional<std::string> written = writer.stringWithFragment(*value, &error);
        fuzzCheck(written.has_value(), "a value that was read cannot be written");
        std::optional<platform::Value> back = ADS_KVJSON().fragmentWithString(*written, &error);
        fuzzCheck(back.has_value(), "written text does not read");
        fuzzCheck(*back == *value, "written text reads back different");
        fuzzCheck(writer.stringWithFragment(*back) == written, "writing is not stable");
    }
    return 0;
}

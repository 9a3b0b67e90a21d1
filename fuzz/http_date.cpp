// The HTTP date parser on any text, and the date formatter with any pattern.
// A parsed HTTP date is whole seconds and formats back to a text that parses
// to the same instant; any pattern formats and parses without harm.
#include "FuzzSupport.h"
#include "platform/DateFormatter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const double instant = input.ConsumeFloatingPoint<double>();
    const std::string pattern = input.ConsumeRandomLengthString(256);
    const std::string text = input.ConsumeRemainingBytesAsString();

    if (std::optional<platform::Date> d = platform::DateFormatter::parseHttpDate(text)) {
        fuzzCheck(d->secondsSince1970 == std::floor(d->secondsSince1970), "an HTTP date with a fraction of a second");
        std::optional<platform::Date> back = platform::DateFormatter::parseHttpDate(platform::DateFormatter::httpDate(*d));
        fuzzCheck(back && back->secondsSince1970 == d->secondsSince1970, "an HTTP date does not survive formatting");
    }
    (void)platform::DateFormatter::httpDate(platform::Date { instant });

    for (platform::DateFormatter::Zone zone : { platform::DateFormatter::Zone::GMT, platform::DateFormatter::Zone::Local }) {
        const platform::DateFormatter formatter(pattern, zone);
        const std::string formatted = formatter.format(platform::Date { instant });
        fuzzCheck(formatted.find('\0') == std::string::npos || pattern.find('\0') != std::string::npos,
            "formatting wrote a zero byte the pattern does not hold");
        (void)formatter.parse(text);
        (void)formatter.parse(formatted);
    }
    return 0;
}

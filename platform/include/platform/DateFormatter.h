#pragma once
// Dates to text and back with Unicode (ICU) date patterns in the en_US_POSIX
// locale: "h:mm:ss" gives 2:05:09 at 14:05:09; "yyyyMMdd";
// "EEE, dd MMM yyyy HH:mm:ss" at GMT is the HTTP date form.

#include "platform/Value.h"
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class DateFormatter {
public:
    enum class Zone { Local, GMT };
    explicit DateFormatter(std::string pattern, Zone zone = Zone::Local);

    std::string format(Date date) const;
    // Parses text in the same pattern; nothing when it does not match.
    std::optional<Date> parse(std::string_view text) const;

    // The HTTP date form "EEE, dd MMM yyyy HH:mm:ss 'GMT'".
    static std::string httpDate(Date date);
    static std::optional<Date> parseHttpDate(std::string_view text);

private:
    std::string pattern_;
    Zone zone_;
};

}

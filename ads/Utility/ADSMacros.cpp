#include "Utility/ADSMacros.h"

#include "json/ADS_KVJSON.h"

std::optional<std::string> ADSMacros::jsonify(const platform::Value* object)
{
    if (!object)
        return std::nullopt;
    return jsonify(*object);
}

std::string ADSMacros::jsonify(const platform::Value& object)
{
    ADS_KVJSON writer;
    return writer.stringWithObject(object).value_or(std::string());
}

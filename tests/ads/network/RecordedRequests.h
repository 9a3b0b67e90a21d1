#pragma once
// Test helper: the requests the local server has seen, read back from its
// bookkeeping route and filtered by path.

#include "LocalServer.h"
#include "json/ADS_KVJSON.h"
#include <string>
#include <vector>

struct RecordedRequest {
    std::string path;
    platform::Dictionary headers;
    std::string header(const std::string& name) const { return headers.get(name).asString(); }
};

inline std::vector<RecordedRequest> recordedRequests(const LocalServer& server, const std::string& pathPrefix)
{
    std::vector<RecordedRequest> out;
    ADS_KVJSON json;
    auto parsed = json.objectWithString(server.fetch("/__requests"));
    if (!parsed)
        return out;
    for (const platform::Value& entry : parsed->asArray()) {
        const platform::Dictionary& d = entry.asDictionary();
        const std::string& path = d.get("path").asString();
        if (path.rfind(pathPrefix, 0) == 0)
            out.push_back({ path, d.get("headers").asDictionary() });
    }
    return out;
}

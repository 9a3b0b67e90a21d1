#pragma once
// A JSON text read by ADS_KVJSON into memory of its own: every value, string
// and key lives in one arena that goes with the document. Read-only.

#include "json/ADSJSONArena.h"
#include "json/ADSJSONMember.h"
#include "json/ADSJSONValue.h"

#include "platform/Value.h"

class ADSJSONDocument {
public:
    ADSJSONDocument() = default; // a null value
    ADSJSONDocument(ADSJSONArena arena, const ADSJSONValue& root)
        : arena_(std::move(arena))
        , root_(root)
    {
    }
    ADSJSONDocument(ADSJSONDocument&&) noexcept = default;
    ADSJSONDocument& operator=(ADSJSONDocument&&) noexcept = default;

    const ADSJSONValue& root() const { return root_; }
    platform::Value toValue() const { return root_.toValue(); }
    // Memory the document holds, in bytes.
    size_t bytesReserved() const { return arena_.reserved(); }

private:
    ADSJSONArena arena_;
    ADSJSONValue root_;
};

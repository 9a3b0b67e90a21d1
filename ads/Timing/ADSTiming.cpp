#include "Timing/ADSTiming.h"
#include "platform/Clock.h"
#include <cmath>
#include <cstdio>

ADSTiming::ADSTiming(std::string category)
    : category_(std::move(category))
{
}

double ADSTiming::counter()
{
    return platform::Clock::shared().monotonic();
}

ADSTiming ADSTiming::initWithDictionaryRepresentation(const platform::Dictionary& representation)
{
    ADSTiming t(representation.get(kADSTimingCategoryKey).asString());
    t.startSeconds_ = representation.get(kADSTimingStartKey).asDouble();
    t.endSeconds_ = representation.get(kADSTimingEndKey).asDouble();
    // A damaged store could hold anything; a value that is not a finite
    // number reads as "never started".
    if (!std::isfinite(t.startSeconds_))
        t.startSeconds_ = 0;
    if (!std::isfinite(t.endSeconds_))
        t.endSeconds_ = 0;
    if (const platform::Dictionary* user = representation.get(kADSTimingKeyUserDataKey).dictionaryIf())
        t.userData_ = *user;
    return t;
}

platform::Dictionary ADSTiming::dictionaryRepresentation() const
{
    platform::Dictionary d;
    d.set(kADSTimingCategoryKey, category_);
    d.set(kADSTimingStartKey, platform::Value(startSeconds_));
    d.set(kADSTimingEndKey, platform::Value(endSeconds_));
    if (userData_)
        d.set(kADSTimingKeyUserDataKey, platform::Value(*userData_));
    return d;
}

void ADSTiming::start()
{
    startSeconds_ = counter();
    endSeconds_ = 0;
}

void ADSTiming::end()
{
    if (startSeconds_ > 0)
        endSeconds_ = counter();
}

void ADSTiming::reset()
{
    startSeconds_ = 0;
    endSeconds_ = 0;
}

uint32_t ADSTiming::elapsedMilliseconds() const
{
    if (startSeconds_ == 0)
        return 0;
    double e = endSeconds_ < startSeconds_ ? counter() : endSeconds_;
    double ms = std::trunc((e - startSeconds_) * 1000.0);
    if (!(ms > 0))
        return 0;
    if (ms >= 4294967295.0)
        return 4294967295u;
    return uint32_t(ms);
}

std::string ADSTiming::elapsedMillisecondsString() const
{
    return std::to_string(elapsedMilliseconds());
}

void ADSTiming::setValue(const platform::Value& value, const std::string& key)
{
    if (!userData_)
        userData_ = platform::Dictionary {};
    if (value.isNull())
        return;
    userData_->set(key, value);
}

const platform::Value* ADSTiming::valueForKey(std::string_view key) const
{
    return userData_ ? userData_->find(key) : nullptr;
}

void ADSTiming::removeValueForKey(std::string_view key)
{
    if (userData_)
        userData_->remove(key);
}

platform::Dictionary ADSTiming::keysAndValues() const
{
    return userData_ ? *userData_ : platform::Dictionary {};
}

std::string ADSTiming::description() const
{
    char head[64];
    std::snprintf(head, sizeof head, "ADSTiming (%p): ", static_cast<const void*>(this));
    return head + platform::Value(dictionaryRepresentation()).debugDescription();
}

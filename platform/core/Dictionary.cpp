// Dictionary: insertion-ordered entries with a hash index once it grows.
#include "platform/Value.h"

#include <algorithm>
#include <functional>

namespace platform {

namespace {
const Value kNullValue;

inline size_t hashKey(std::string_view key) { return std::hash<std::string_view> {}(key); }
}

Dictionary::Dictionary(std::initializer_list<Entry> entries)
{
    entries_.reserve(entries.size());
    for (const auto& e : entries)
        set(e.first, e.second);
}

long Dictionary::findIndex(std::string_view key) const
{
    if (index_.empty()) {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].first == key)
                return long(i);
        return -1;
    }
    const size_t mask = index_.size() - 1;
    for (size_t slot = hashKey(key) & mask;; slot = (slot + 1) & mask) {
        uint32_t v = index_[slot];
        if (v == 0)
            return -1;
        if (entries_[v - 1].first == key)
            return long(v - 1);
    }
}

void Dictionary::indexInsert(size_t position)
{
    const size_t mask = index_.size() - 1;
    size_t slot = hashKey(entries_[position].first) & mask;
    while (index_[slot] != 0)
        slot = (slot + 1) & mask;
    index_[slot] = uint32_t(position + 1);
}

void Dictionary::rebuildIndex()
{
    index_.clear();
    if (entries_.size() < kIndexThreshold)
        return;
    size_t capacity = 32;
    while (capacity < entries_.size() * 2)
        capacity *= 2;
    index_.assign(capacity, 0);
    for (size_t i = 0; i < entries_.size(); ++i)
        indexInsert(i);
}

const Value* Dictionary::find(std::string_view key) const
{
    long i = findIndex(key);
    return i < 0 ? nullptr : &entries_[size_t(i)].second;
}

Value* Dictionary::find(std::string_view key)
{
    long i = findIndex(key);
    return i < 0 ? nullptr : &entries_[size_t(i)].second;
}

const Value& Dictionary::get(std::string_view key) const
{
    const Value* v = find(key);
    return v ? *v : kNullValue;
}

void Dictionary::set(std::string key, Value value)
{
    if (Value* existing = find(key)) {
        *existing = std::move(value);
        return;
    }
    appendUnchecked(std::move(key), std::move(value));
}

void Dictionary::appendUnchecked(std::string key, Value value)
{
    entries_.emplace_back(std::move(key), std::move(value));
    if (entries_.size() < kIndexThreshold)
        return;
    // Keep the table at most half full so probes stay short.
    if (index_.empty() || entries_.size() * 2 > index_.size())
        rebuildIndex();
    else
        indexInsert(entries_.size() - 1);
}

bool Dictionary::remove(std::string_view key)
{
    long i = findIndex(key);
    if (i < 0)
        return false;
    entries_.erase(entries_.begin() + i);
    if (!index_.empty())
        rebuildIndex();
    return true;
}

std::vector<std::string> Dictionary::sortedKeys() const
{
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const auto& e : entries_)
        keys.push_back(e.first);
    std::sort(keys.begin(), keys.end());
    return keys;
}

bool Dictionary::operator==(const Dictionary& other) const
{
    if (size() != other.size())
        return false;
    for (const auto& [k, v] : entries_) {
        const Value* o = other.find(k);
        if (!o || !(*o == v))
            return false;
    }
    return true;
}

}

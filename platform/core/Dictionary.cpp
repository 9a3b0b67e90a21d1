// Dictionary: insertion-ordered entries with a hash index once it grows.
#include "platform/Value.h"

#include <algorithm>
#include <tuple>

namespace platform {

namespace {
const Value kNullValue;
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
    const uint32_t hash = hashKey(key);
    const size_t mask = index_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot s = index_[slot];
        if (s.position == 0)
            return -1;
        if (s.hash == hash && entries_[s.position - 1].first == key)
            return long(s.position - 1);
    }
}

void Dictionary::indexInsert(uint32_t position, uint32_t hash)
{
    const size_t mask = index_.size() - 1;
    size_t slot = hash & mask;
    while (index_[slot].position != 0)
        slot = (slot + 1) & mask;
    index_[slot] = Slot { position + 1, hash };
}

namespace {
size_t indexCapacity(size_t entries)
{
    size_t capacity = 32;
    while (capacity < entries * 2)
        capacity *= 2;
    return capacity;
}
}

// A larger table, filled from the present one: the hashes kept in it spare
// hashing the keys again.
void Dictionary::resizeIndex(size_t entries)
{
    const size_t capacity = indexCapacity(entries);
    if (capacity <= index_.size())
        return;
    std::vector<Slot> old(capacity, Slot { 0, 0 });
    old.swap(index_);
    for (const Slot& s : old) {
        if (s.position != 0)
            indexInsert(s.position - 1, s.hash);
    }
}

// Every entry is in the table from the moment the table exists.
void Dictionary::indexAll(size_t entries)
{
    index_.assign(indexCapacity(entries), Slot { 0, 0 });
    for (size_t i = 0; i < entries_.size(); ++i)
        indexInsert(uint32_t(i), hashKey(entries_[i].first));
}

void Dictionary::rebuildIndex()
{
    index_.clear();
    if (entries_.size() >= kIndexThreshold)
        indexAll(entries_.size());
}

void Dictionary::reserve(size_t n)
{
    entries_.reserve(n);
    if (n < kIndexThreshold)
        return;
    if (index_.empty())
        indexAll(n);
    else
        resizeIndex(n);
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

Value& Dictionary::appendUnchecked(std::string key, Value value)
{
    // A small dictionary has no index, and no use for the hash.
    const uint32_t hash = index_.empty() ? 0 : hashKey(key);
    Value& added = entries_.emplace_back(std::move(key), std::move(value)).second;
    indexLast(hash);
    return added;
}

Value& Dictionary::appendNullUnchecked(std::string_view key, uint32_t keyHash)
{
    Value& added = entries_.emplace_back(std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple()).second;
    indexLast(keyHash);
    return added;
}

// Indexes the entry just appended; keyHash is only read when there is an
// index already.
void Dictionary::indexLast(uint32_t keyHash)
{
    const size_t size = entries_.size();
    if (index_.empty()) {
        if (size >= kIndexThreshold)
            rebuildIndex();
        return;
    }
    // Keep the table at most half full so probes stay short.
    if (size * 2 > index_.size())
        resizeIndex(size);
    indexInsert(uint32_t(size - 1), keyHash);
}

bool Dictionary::remove(std::string_view key)
{
    long i = findIndex(key);
    if (i < 0)
        return false;
    entries_.erase(entries_.begin() + i);
    if (index_.empty())
        return true;
    if (entries_.size() < kIndexThreshold) {
        index_.clear();
        return true;
    }
    // The entries after the removed one move up by one.
    const uint32_t removed = uint32_t(i) + 1;
    std::vector<Slot> old(index_.size(), Slot { 0, 0 });
    old.swap(index_);
    for (const Slot& s : old) {
        if (s.position != 0 && s.position != removed)
            indexInsert(s.position > removed ? s.position - 2 : s.position - 1, s.hash);
    }
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

#include "json/ADSJSONArena.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

ADSJSONArena::ADSJSONArena(size_t firstBlock)
    : nextBlock_(std::max<size_t>(firstBlock, 4096))
{
}

ADSJSONArena::~ADSJSONArena()
{
    release();
}

ADSJSONArena::ADSJSONArena(ADSJSONArena&& other) noexcept
    : cursor_(std::exchange(other.cursor_, nullptr))
    , limit_(std::exchange(other.limit_, nullptr))
    , last_(std::exchange(other.last_, nullptr))
    , nextBlock_(other.nextBlock_)
    , reserved_(std::exchange(other.reserved_, 0))
{
}

ADSJSONArena& ADSJSONArena::operator=(ADSJSONArena&& other) noexcept
{
    if (this != &other) {
        release();
        cursor_ = std::exchange(other.cursor_, nullptr);
        limit_ = std::exchange(other.limit_, nullptr);
        last_ = std::exchange(other.last_, nullptr);
        nextBlock_ = other.nextBlock_;
        reserved_ = std::exchange(other.reserved_, 0);
    }
    return *this;
}

void ADSJSONArena::release()
{
    while (last_) {
        Block* previous = last_->previous;
        std::free(last_);
        last_ = previous;
    }
    cursor_ = limit_ = nullptr;
    reserved_ = 0;
}

void* ADSJSONArena::allocateSlow(size_t bytes, size_t align)
{
    // The rest of the current block is left unused: a piece never spans two
    // blocks, and the doubling keeps the waste below half of what is taken.
    constexpr size_t header = (sizeof(Block) + 15) & ~size_t(15);
    size_t size = nextBlock_;
    while (size - header < bytes + align)
        size *= 2;
    auto* block = static_cast<Block*>(std::malloc(size));
    if (!block)
        throw std::bad_alloc();
    block->previous = last_;
    block->size = size;
    last_ = block;
    reserved_ += size;
    nextBlock_ = size * 2;
    cursor_ = reinterpret_cast<char*>(block) + header;
    limit_ = reinterpret_cast<char*>(block) + size;
    return allocate(bytes, align);
}

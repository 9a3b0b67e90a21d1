#pragma once
// Hands out the memory of one JSON document from a few large blocks and gives
// it all back at once when the arena goes. Nothing is freed piece by piece.

#include <cstddef>
#include <cstdint>

class ADSJSONArena {
public:
    ADSJSONArena() = default;
    // The first block holds at least `firstBlock` bytes; later blocks double.
    explicit ADSJSONArena(size_t firstBlock);
    ~ADSJSONArena();
    ADSJSONArena(ADSJSONArena&& other) noexcept;
    ADSJSONArena& operator=(ADSJSONArena&& other) noexcept;
    ADSJSONArena(const ADSJSONArena&) = delete;
    ADSJSONArena& operator=(const ADSJSONArena&) = delete;

    // `align` is a power of two no larger than 16.
    void* allocate(size_t bytes, size_t align)
    {
        const uintptr_t at = (reinterpret_cast<uintptr_t>(cursor_) + (align - 1)) & ~uintptr_t(align - 1);
        if (at + bytes <= reinterpret_cast<uintptr_t>(limit_)) [[likely]] {
            cursor_ = reinterpret_cast<char*>(at + bytes);
            return reinterpret_cast<void*>(at);
        }
        return allocateSlow(bytes, align);
    }
    char* allocateText(size_t bytes) { return static_cast<char*>(allocate(bytes, 1)); }

    // Bytes taken from the system, blocks' bookkeeping included.
    size_t reserved() const { return reserved_; }

private:
    struct Block {
        Block* previous;
        size_t size;
    };
    void* allocateSlow(size_t bytes, size_t align);
    void release();

    char* cursor_ = nullptr;
    char* limit_ = nullptr;
    Block* last_ = nullptr;
    size_t nextBlock_ = 4096;
    size_t reserved_ = 0;
};

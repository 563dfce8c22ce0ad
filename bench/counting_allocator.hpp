#pragma once
// A counting global operator new/delete for the memory and idle-cost programs. Only allocations
// made while the calling thread counts are tallied, and only those are subtracted again when freed
// (from any thread), so the figures are our own code's live heap, not the test server's.
// Include in exactly one source file of a program.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace counting {

inline std::atomic<std::int64_t> live_bytes{0};
inline std::atomic<std::int64_t> allocations{0};
inline thread_local bool counting_here = false;

// Counts this thread's allocations while alive.
struct Scope {
    Scope() : previous(counting_here) { counting_here = true; }
    ~Scope() { counting_here = previous; }
    bool previous;
};

struct alignas(std::max_align_t) Header {
    std::size_t size;
    bool counted;
};

inline void* allocate(std::size_t size) {
    auto* header = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (header == nullptr) {
        throw std::bad_alloc();
    }
    header->size = size;
    header->counted = counting_here;
    if (header->counted) {
        live_bytes.fetch_add(static_cast<std::int64_t>(size));
        allocations.fetch_add(1);
    }
    return header + 1;
}

inline void release(void* pointer) noexcept {
    if (pointer == nullptr) {
        return;
    }
    auto* header = static_cast<Header*>(pointer) - 1;
    if (header->counted) {
        live_bytes.fetch_sub(static_cast<std::int64_t>(header->size));
    }
    std::free(header);
}

}  // namespace counting

void* operator new(std::size_t size) {
    return counting::allocate(size);
}
void* operator new[](std::size_t size) {
    return counting::allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return counting::allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return counting::allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* pointer) noexcept {
    counting::release(pointer);
}
void operator delete[](void* pointer) noexcept {
    counting::release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    counting::release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    counting::release(pointer);
}

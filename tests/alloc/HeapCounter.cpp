#include "tests/alloc/HeapCounter.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace corvane::test::heap {

namespace {

bool armed = false;
size_t allocations = 0;
thread_local int uncountedDepth = 0;

void Note() {
    if (armed && uncountedDepth == 0) {
        ++allocations;
    }
}

}  // namespace

void Arm() {
    allocations = 0;
    armed = true;
}

void Disarm() {
    armed = false;
}

bool Armed() {
    return armed;
}

size_t Allocations() {
    return allocations;
}

Uncounted::Uncounted() {
    ++uncountedDepth;
}

Uncounted::~Uncounted() {
    --uncountedDepth;
}

}  // namespace corvane::test::heap

// Every form of the global allocation functions is replaced, so that none of them comes from a
// runtime that would pair it with a different release (a sanitizer's, say).
namespace {

void* Allocate(std::size_t size, std::size_t alignment) noexcept {
    corvane::test::heap::Note();
    size = std::max<std::size_t>(size, 1);
    if (alignment <= alignof(std::max_align_t)) {
        return std::malloc(size);
    }
    // aligned_alloc wants a size that is a multiple of the alignment.
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
    if (void* memory = Allocate(size, alignment)) {
        return memory;
    }
    throw std::bad_alloc();
}

constexpr std::size_t Plain = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) {
    return AllocateOrThrow(size, Plain);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size, Plain);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, Plain);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, Plain);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(memory);
}

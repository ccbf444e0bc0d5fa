// Counts every operator new of the process, for benchmarks that report heap allocations. Include it in
// exactly one source file of an executable: it replaces the global allocation functions.
#pragma once

#include <cstdlib>
#include <new>

inline long heapAllocations = 0;

void* operator new(std::size_t size) {
    ++heapAllocations;
    if (void* p = std::malloc(size > 0 ? size : 1)) return p;
    throw std::bad_alloc();
}

// the blocks come from malloc above, so free is their match, whatever the compiler infers from the names
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpragmas"
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

#include "support/heap_counter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {
std::atomic<long long> liveBytes{0};
std::atomic<long long> peakBytes{0};

void* counted(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    const auto size = static_cast<long long>(malloc_usable_size(p));
    const long long now = liveBytes.fetch_add(size) + size;
    long long peak = peakBytes.load(std::memory_order_relaxed);
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now))
        ;
    return p;
}

void uncounted(void* p) {
    if (!p)
        return;
    liveBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
    std::free(p);
}
} // namespace

long long heapLiveBytes() {
    return liveBytes.load();
}
long long heapPeakBytes() {
    return peakBytes.load();
}
void resetHeapPeak() {
    peakBytes.store(liveBytes.load());
}

void* operator new(std::size_t n) {
    return counted(n);
}
void* operator new[](std::size_t n) {
    return counted(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return counted(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return counted(n);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    uncounted(p);
}
void operator delete[](void* p) noexcept {
    uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    uncounted(p);
}

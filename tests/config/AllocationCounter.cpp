#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_held{0};
std::atomic<size_t> g_peak{0};

// Each block carries its size in front, so a delete without a size knows what it returns.
const size_t kHeader = 16;

} // namespace

AllocationPeak::AllocationPeak() : m_base(g_held.load()) {
    g_peak.store(m_base);
}

size_t AllocationPeak::Bytes() const {
    size_t peak = g_peak.load();
    return peak > m_base ? peak - m_base : 0;
}

// The program links the C++ library statically, whose array and nothrow forms call these, so
// replacing them counts every allocation.
void* operator new(size_t size) {
    unsigned char* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<size_t*>(block) = size;
    size_t held = g_held.fetch_add(size) + size;
    size_t peak = g_peak.load();
    while (held > peak && !g_peak.compare_exchange_weak(peak, held)) {
    }
    return block + kHeader;
}

void operator delete(void* pointer) noexcept {
    if (!pointer)
        return;
    unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
    g_held.fetch_sub(*reinterpret_cast<size_t*>(block));
    std::free(block);
}

void operator delete(void* pointer, size_t) noexcept {
    operator delete(pointer);
}

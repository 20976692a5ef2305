#pragma once
#include <cstddef>

// The bytes this test program holds through operator new, counted by a replacement of the global
// operators. Measures what a piece of code asks of the C++ heap exactly; the process's private
// bytes would also move with Wine's own heaps and the page granularity.
class AllocationPeak {
public:
    // From now on: the most held above what is held now.
    AllocationPeak();
    size_t Bytes() const;

private:
    size_t m_base;
};

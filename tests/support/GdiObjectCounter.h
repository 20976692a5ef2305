#pragma once
#include <windows.h>

// Counts the GDI objects this process holds, for tests that prove code gives back what it
// takes. Only the difference between two readings means something.
//
// Windows answers GetGuiResources. Wine does not, so there the count is measured as headroom:
// how many more objects the process could create before GDI refuses. While a headroom reading
// runs, the process's GDI table is full for a few milliseconds; take readings when no other
// thread of the process draws.
class GdiObjectCounter {
public:
    // The number of objects held, or under Wine the table size minus the headroom.
    static long Read();
    // Always by headroom, so that the fallback can be checked where GetGuiResources works.
    static long ReadByHeadroom();
    // Whether Read measures headroom on this system.
    static bool UsesHeadroom();
};

#include "support/GdiObjectCounter.h"

#include <vector>

namespace {

// Wine's handle table has 65,536 slots; Windows' default quota per process is 10,000. A bound
// above both keeps the probe finite if creation never fails.
const size_t kProbeLimit = 1 << 17;
const long kHandleTableSize = 65536;

long GuiResourcesCount() {
    return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

} // namespace

long GdiObjectCounter::Read() {
    // A process that reached this code holds at least its stock objects, so 0 means "not implemented".
    long count = GuiResourcesCount();
    return count ? count : ReadByHeadroom();
}

long GdiObjectCounter::ReadByHeadroom() {
    // Held in one reserved block and freed at once: the probe itself must not shift the count.
    std::vector<HBITMAP> probes;
    probes.reserve(kProbeLimit);
    while (probes.size() < kProbeLimit) {
        HBITMAP probe = CreateBitmap(1, 1, 1, 1, nullptr);
        if (!probe)
            break;
        probes.push_back(probe);
    }
    for (HBITMAP probe : probes)
        DeleteObject(probe);
    return kHandleTableSize - static_cast<long>(probes.size());
}

bool GdiObjectCounter::UsesHeadroom() {
    return GuiResourcesCount() == 0;
}

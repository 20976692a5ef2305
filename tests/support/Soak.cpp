#include "support/Soak.h"

#include <windows.h>

bool LongSoakRequested() {
    wchar_t value[8] = L"";
    return GetEnvironmentVariableW(L"PATHWREN_LONG_SOAK", value, 8) > 0 && value[0] == L'1';
}

int SoakCycles(int everyday, int longRun) {
    return LongSoakRequested() ? longRun : everyday;
}

long long PrivateBytes(void* process) {
    HANDLE target = process ? static_cast<HANDLE>(process) : GetCurrentProcess();
    long long total = 0;
    MEMORY_BASIC_INFORMATION region = {};
    for (BYTE* address = nullptr; VirtualQueryEx(target, address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += static_cast<long long>(region.RegionSize);
    }
    return total;
}

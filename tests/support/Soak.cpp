#include "support/Soak.h"

#include <windows.h>

#include <psapi.h>

bool LongSoakRequested() {
    wchar_t value[8] = L"";
    return GetEnvironmentVariableW(L"PATHWREN_LONG_SOAK", value, 8) > 0 && value[0] == L'1';
}

int SoakCycles(int everyday, int longRun) {
    return LongSoakRequested() ? longRun : everyday;
}

long long PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    return static_cast<long long>(memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage);
}

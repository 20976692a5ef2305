#include "support/Soak.h"

#include <windows.h>

bool LongSoakRequested() {
    wchar_t value[8] = L"";
    return GetEnvironmentVariableW(L"PATHWREN_LONG_SOAK", value, 8) > 0 && value[0] == L'1';
}

int SoakCycles(int everyday, int longRun) {
    return LongSoakRequested() ? longRun : everyday;
}

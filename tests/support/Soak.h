#pragma once

// How many cycles a soak runs: the short count in the everyday run, the long one when the run
// was started for soaking (PATHWREN_LONG_SOAK=1, which the CTest label "soak" sets).
int SoakCycles(int everyday, int longRun);
bool LongSoakRequested();
// A process's committed private memory, for trends over many cycles. Summed region by region:
// Wine leaves the private-usage counters at 0, and another process's at 0 too.
long long PrivateBytes(void* process = nullptr); // null: this process

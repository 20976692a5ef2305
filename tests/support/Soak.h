#pragma once

// How many cycles a soak runs: the short count in the everyday run, the long one when the run
// was started for soaking (PATHWREN_LONG_SOAK=1, which the CTest label "soak" sets).
int SoakCycles(int everyday, int longRun);
bool LongSoakRequested();
// The process's committed private memory, for trends over many cycles. Wine leaves the
// PrivateUsage counter at 0, so this reads the commit charge, which is the same figure.
long long PrivateBytes();

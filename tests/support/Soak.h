#pragma once

// How many cycles a soak runs: the short count in the everyday run, the long one when the run
// was started for soaking (PATHWREN_LONG_SOAK=1, which the CTest label "soak" sets).
int SoakCycles(int everyday, int longRun);
bool LongSoakRequested();

// The bytes this process has committed for itself. Wine leaves PrivateUsage at 0, so there the
// commit charge stands in; only the difference between two readings means something.
long long PrivateBytes();

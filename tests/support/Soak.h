#pragma once

// How many cycles a soak runs: the short count in the everyday run, the long one when the run
// was started for soaking (PATHWREN_LONG_SOAK=1, which the CTest label "soak" sets).
int SoakCycles(int everyday, int longRun);
bool LongSoakRequested();

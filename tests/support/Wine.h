#pragma once

// Whether the tests run under Wine, for the cases skipped there by name.
bool RunningOnWine();

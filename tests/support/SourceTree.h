#pragma once
#include <string>

// The Windows path of a file in the source tree (Wine maps the Unix root to drive Z:).
std::wstring SourceTreePath(const std::wstring& relativePath);

// True when the test run was asked to rewrite committed fixture files (PATHWREN_UPDATE_FIXTURES=1).
bool UpdateFixturesRequested();

// The path of a file beside the running test program.
std::wstring BesideTestProgram(const std::wstring& name);

#pragma once
#include <windows.h>

#include <vector>

// Both write a temporary file beside the target ("<target>.tmp"), make sure it reached the disk,
// and only then rename it over the target: whenever they are cut short, the target is either
// its previous or its new content, never a part. FALSE, with the target unchanged, on failure.
BOOL WriteFileReplacing(LPCWSTR target, const std::vector<unsigned char>& bytes);
BOOL CopyFileReplacing(LPCWSTR source, LPCWSTR target);
// Whether a replacing write of the target could succeed now: its folder takes a new file and the
// target, when there is one, may be written (not read-only, not locked). FALSE with the reason in
// GetLastError. Nothing is left behind.
BOOL CanReplaceFile(LPCWSTR target);

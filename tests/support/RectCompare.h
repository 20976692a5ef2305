#pragma once
// Rectangles compared and printed by the tests. Global, so that GoogleTest finds them
// by argument-dependent lookup on RECT.
#include <windows.h>

#include <ostream>

inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

inline bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

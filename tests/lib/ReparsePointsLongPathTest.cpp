#include "lib/ReparsePoints.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A path without links is copied as it is, cut to the buffer when too long; no path is refused.
TEST(ReparsePointsLongPath, APathWithoutLinksIsCopiedAndCutToTheBuffer) {
    for (size_t length : {kResolvedPathLength - 1, kResolvedPathLength, kResolvedPathLength + 900}) {
        SCOPED_TRACE(length);
        std::wstring path = L"C:";
        while (path.size() < length)
            path += L"\\folder" + std::to_wstring(path.size());
        path.resize(length);
        std::vector<wchar_t> resolved(kResolvedPathLength, L'#');
        EXPECT_TRUE(ResolveReparsePoints(path.c_str(), resolved.data()));
        EXPECT_EQ(path.substr(0, kResolvedPathLength - 1), resolved.data());
    }
    wchar_t resolved[kResolvedPathLength];
    EXPECT_FALSE(ResolveReparsePoints(L"", resolved));
    EXPECT_FALSE(ResolveReparsePoints(nullptr, resolved));
}

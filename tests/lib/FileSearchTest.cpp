#include "lib/FileSearch.h"
#include "lib/KernelHandle.h"

#include "lib/ReparsePoints.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), towlower);
    return text;
}

// Real directories, some of which the fake reports as junctions to other places.
class FakeJunctions : public IReparsePointSource {
public:
    // Links are found in any letter case, as the file system finds them.
    explicit FakeJunctions(const std::map<std::wstring, std::wstring>& links) {
        for (const auto& link : links)
            m_links[Lower(link.first)] = link.second;
    }
    DWORD GetAttributes(LPCWSTR path) override {
        DWORD attributes = GetFileAttributesW(path);
        if (m_links.count(Lower(path)))
            attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        return attributes;
    }
    BOOL ReadTarget(LPCWSTR linkPath, std::wstring* target) override {
        *target = m_links[Lower(linkPath)];
        return TRUE;
    }

private:
    std::map<std::wstring, std::wstring> m_links;
};

struct Found {
    std::vector<std::wstring> paths; // directory + name, as the search reports them
    int stopAfter = -1;              // the callback answers FALSE on this match
};

BOOL Collect(LPCWSTR directory, const WIN32_FIND_DATAW* entry, void* userData) {
    Found* found = static_cast<Found*>(userData);
    found->paths.push_back(std::wstring(directory) + entry->cFileName);
    return static_cast<int>(found->paths.size()) != found->stopAfter;
}

// root\a.ini, root\b.txt, root\c.log, root\Sub\d.ini, root\Sub\Deep\e.txt
class FileSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = temp.Path();
        ASSERT_TRUE(CreateDirectoryW((root + L"\\Sub").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((root + L"\\Sub\\Deep").c_str(), nullptr));
        for (const wchar_t* file : {L"a.ini", L"b.txt", L"c.log", L"Sub\\d.ini", L"Sub\\Deep\\e.txt"})
            ASSERT_TRUE(WriteFileBytes(temp.File(file), {'x'}));
    }

    std::set<std::wstring> Search(std::vector<LPCWSTR> patterns, BOOL recursive, IReparsePointSource* links,
                                  BOOL* stopped, HANDLE cancel = nullptr, Found* found = nullptr) {
        Found own;
        found = found ? found : &own;
        FileSearchRequest request = {root.c_str(), patterns.data(), patterns.size(), recursive,
                                     cancel,       Collect,         found,           links};
        EXPECT_TRUE(SearchFiles(request, stopped));
        std::set<std::wstring> unique(found->paths.begin(), found->paths.end());
        EXPECT_EQ(unique.size(), found->paths.size()) << "an entry was reported twice";
        return unique;
    }

    TempDirectory temp;
    std::wstring root;
};

} // namespace

// desktop-free: FileSearchTest
TEST_F(FileSearchTest, FindsEveryPatternOnceRecursesOnlyWhenAskedAndStopsWhenToldTo) {
    BOOL stopped = TRUE;
    EXPECT_EQ((std::set<std::wstring>{root + L"\\a.ini", root + L"\\b.txt"}),
              Search({L"*.ini", L"*.txt"}, FALSE, nullptr, &stopped));
    EXPECT_FALSE(stopped);
    std::set<std::wstring> deep = Search({L"*.ini", L"*.txt"}, TRUE, nullptr, &stopped);
    EXPECT_EQ((std::set<std::wstring>{root + L"\\a.ini", root + L"\\b.txt", root + L"\\Sub\\d.ini",
                                      root + L"\\Sub\\Deep\\e.txt"}),
              deep);
    // Subdirectories themselves match "*" and are reported, but never "." or "..".
    std::set<std::wstring> all = Search({L"*"}, FALSE, nullptr, &stopped);
    EXPECT_EQ(4u, all.size());
    EXPECT_TRUE(all.count(root + L"\\Sub"));

    FileSearchRequest missingCallback = {root.c_str(), nullptr, 0, FALSE, nullptr, nullptr, nullptr, nullptr};
    EXPECT_FALSE(SearchFiles(missingCallback, &stopped));

    stopped = FALSE;
    Found found;
    found.stopAfter = 2;
    Search({L"*.ini", L"*.txt", L"*.log"}, TRUE, nullptr, &stopped, nullptr, &found);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(2u, found.paths.size()) << "no call after the callback said stop";

    CKernelHandle cancel(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    Found none;
    stopped = FALSE;
    Search({L"*"}, TRUE, nullptr, &stopped, cancel.Get(), &none);
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(none.paths.empty()) << "a signalled event stops before the first callback";
}

TEST_F(FileSearchTest, JunctionsToSearchedDirectoriesAreNotSearchedAgain) {
    // Wine cannot create junctions: real directories stand in for them, the fake says where they
    // lead. "Loop" points back at the root, "Again" at Sub under other letter case.
    ASSERT_TRUE(CreateDirectoryW((root + L"\\Sub\\Deep\\Loop").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\Again").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(temp.File(L"Sub\\Deep\\Loop\\inside.ini"), {'x'}));
    ASSERT_TRUE(WriteFileBytes(temp.File(L"Again\\inside.ini"), {'x'}));
    FakeJunctions links({{root + L"\\Sub\\Deep\\Loop", root}, {root + L"\\Again", Lower(root) + L"\\SUB"}});

    BOOL stopped = TRUE;
    std::set<std::wstring> reported = Search({L"*.ini"}, TRUE, &links, &stopped);
    EXPECT_EQ(2u, reported.size()) << "Sub searched a second time under its other spelling";
    std::set<std::wstring> found;
    for (const std::wstring& path : reported)
        found.insert(Lower(path));
    EXPECT_FALSE(stopped);
    EXPECT_EQ((std::set<std::wstring>{Lower(root + L"\\a.ini"), Lower(root + L"\\Sub\\d.ini")}), found)
        << "each real directory searched exactly once, none through a junction";

    // The same tree without the junctions: both stand-ins are plain directories and are searched.
    EXPECT_EQ(4u, Search({L"*.ini"}, TRUE, nullptr, &stopped).size());
}

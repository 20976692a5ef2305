#include "lib/FileReplace.h"
#include "lib/FileSystem.h"
#include "lib/KernelHandle.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

// desktop-free: FileReplace
TEST(FileReplace, TheTargetIsReplacedWholeOrLeftAsItWasNoTemporaryFileStaysAndTheCheckAgrees) {
    TempDirectory temp;
    std::wstring target = temp.File(L"target.ini");
    const std::vector<unsigned char> before = {'o', 'l', 'd'};
    const std::vector<unsigned char> after = {'n', 'e', 'w', '!'};
    ASSERT_TRUE(WriteFileBytes(target, before));

    // Another program reading the file without letting it be deleted blocks the rename, and the
    // check the options dialog makes before OK says so.
    CFileHandle reader(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);
    EXPECT_FALSE(CanReplaceFile(target.c_str()));
    EXPECT_FALSE(WriteFileReplacing(target.c_str(), after));
    reader.Reset();
    EXPECT_EQ(before, ReadFileBytes(target));
    EXPECT_FALSE(IsExistingFile((target + L".tmp").c_str()));

    EXPECT_TRUE(WriteFileReplacing(target.c_str(), after));
    EXPECT_EQ(after, ReadFileBytes(target));
    EXPECT_FALSE(IsExistingFile((target + L".tmp").c_str()));

    std::wstring source = temp.File(L"source.bak");
    ASSERT_TRUE(WriteFileBytes(source, before));
    EXPECT_TRUE(CopyFileReplacing(source.c_str(), target.c_str()));
    EXPECT_EQ(before, ReadFileBytes(target));
    EXPECT_EQ(before, ReadFileBytes(source)) << "a copy leaves its source";
    EXPECT_FALSE(CopyFileReplacing(temp.File(L"missing.bak").c_str(), target.c_str()));
    EXPECT_EQ(before, ReadFileBytes(target));
    EXPECT_FALSE(IsExistingFile((target + L".tmp").c_str()));

    // The check before OK answers as the replacing write itself would.
    EXPECT_TRUE(CanReplaceFile(temp.File(L"new.ini").c_str())) << "a new file in a writable folder";
    ASSERT_TRUE(WriteFileBytes(target, {'x'}));
    EXPECT_TRUE(CanReplaceFile(target.c_str()));

    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    // Windows refuses to rename over a read-only file; Wine 8 does it, so only the check is asked.
    EXPECT_FALSE(CanReplaceFile(target.c_str())) << "read-only";
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(CanReplaceFile(temp.File(L"missing\\target.ini").c_str())) << "a folder that is not there";
    EXPECT_FALSE(IsExistingFile((target + L".probe").c_str())) << "the probe is gone";
    EXPECT_EQ(std::vector<unsigned char>{'x'}, ReadFileBytes(target)) << "the target is untouched";
}

// Shortcut files as the shell writes them, and damaged ones, read without the shell.
#include "lib/ShellLinkFile.h"

#include "lib/ShellLink.h"
#include "support/FileFixtures.h"
#include "support/FolderTree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

std::wstring ReadTarget(const std::vector<uint8_t>& bytes, bool* read) {
    std::u16string unicodePath;
    std::string ansiPath;
    *read = CShellLinkFile::ReadLocalTarget(bytes.data(), bytes.size(), &unicodePath, &ansiPath);
    if (!unicodePath.empty())
        return std::wstring(unicodePath.begin(), unicodePath.end());
    return std::wstring(ansiPath.begin(), ansiPath.end());
}

void AppendU32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(uint8_t(value >> shift));
}

// The header of a shell-written link with only a location after it whose paths are kept in
// UTF-16 as well, as the shell writes them for names outside the ANSI code page.
std::vector<uint8_t> WithUnicodeLocation(const std::vector<uint8_t>& shellWritten, const std::u16string& base,
                                         const std::u16string& suffix) {
    std::vector<uint8_t> bytes(shellWritten.begin(), shellWritten.begin() + 0x4C);
    bytes[0x14] = 0x02; // a location and nothing else
    bytes[0x15] = bytes[0x16] = bytes[0x17] = 0;
    const uint32_t headerSize = 0x24;
    const uint32_t unicodeBase = headerSize + 2; // after the ANSI base "?" and suffix ""
    const uint32_t unicodeSuffix = unicodeBase + 2 * uint32_t(base.size() + 1);
    const uint32_t size = unicodeSuffix + 2 * uint32_t(suffix.size() + 1);
    for (uint32_t value : {size, headerSize, 1u, 0u, headerSize, 0u, headerSize + 1, unicodeBase, unicodeSuffix})
        AppendU32(bytes, value);
    bytes.push_back('?');
    bytes.push_back(0);
    for (const std::u16string* text : {&base, &suffix}) {
        for (char16_t character : *text + u'\0') {
            bytes.push_back(uint8_t(character));
            bytes.push_back(uint8_t(character >> 8));
        }
    }
    return bytes;
}

} // namespace

// desktop-free: ShellLinkFile
TEST(ShellLinkFile, ReadsTheTargetTheShellWroteAndNothingFromADamagedFile) {
    FolderTree tree;
    for (const std::wstring& target : {tree.AddFile(L"notes.txt"), tree.AddFolder(L"folder")}) {
        std::wstring link = tree.Path(L"link.lnk");
        ASSERT_TRUE(SUCCEEDED(SaveShellLink(link.c_str(), target.c_str(), nullptr, nullptr)));
        std::vector<uint8_t> bytes = ReadFileBytes(link);
        bool read = false;
        EXPECT_EQ(target, ReadTarget(bytes, &read));
        ASSERT_TRUE(read);

        // Cut anywhere, the file gives the whole target or none.
        for (size_t size = 0; size < bytes.size(); ++size) {
            std::wstring cut = ReadTarget(std::vector<uint8_t>(bytes.begin(), bytes.begin() + size), &read);
            if (read) {
                EXPECT_EQ(target, cut) << size;
            }
        }
        bool unicodeRead = false;
        EXPECT_EQ(L"C:\\\u00e9t\u00e9\\\u6587",
                  ReadTarget(WithUnicodeLocation(bytes, u"C:\\\u00e9t\u00e9", u"\\\u6587"), &unicodeRead));
        EXPECT_TRUE(unicodeRead) << "the UTF-16 paths win over the ANSI ones";
        // A target written with environment variables is left to the shell.
        bytes[0x15] |= 0x02;
        ReadTarget(bytes, &read);
        EXPECT_FALSE(read);
    }
}

#include "lib/ShellLinkFile.h"

#include <cstring>

namespace {

const uint32_t kHeaderSize = 0x4C;
const uint8_t kLinkClassId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
const size_t kLinkFlagsOffset = 0x14;

const uint32_t kHasTargetIdList = 0x1;
const uint32_t kHasLinkInfo = 0x2;
const uint32_t kForceNoLinkInfo = 0x100;
const uint32_t kHasIconLocation = 0x40;
const uint32_t kHasEnvironmentTarget = 0x200;
const uint32_t kHasInstallerId = 0x1000;
const uint32_t kHasEnvironmentIcon = 0x4000;

const uint32_t kLinkInfoHasLocalPath = 0x1;
const uint32_t kLinkInfoHeaderWithUnicode = 0x24;

// Every read is checked against the bytes there are.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool ReadU16(size_t offset, uint32_t* value) const {
        if (offset > m_size || m_size - offset < 2)
            return false;
        *value = uint32_t(m_data[offset]) | uint32_t(m_data[offset + 1]) << 8;
        return true;
    }
    bool ReadU32(size_t offset, uint32_t* value) const {
        if (offset > m_size || m_size - offset < 4)
            return false;
        *value = uint32_t(m_data[offset]) | uint32_t(m_data[offset + 1]) << 8 | uint32_t(m_data[offset + 2]) << 16 |
                 uint32_t(m_data[offset + 3]) << 24;
        return true;
    }
    // A string that ends with a NUL before `end`.
    bool ReadAnsi(size_t offset, size_t end, std::string* text) const {
        for (size_t at = offset; at < end && at < m_size; ++at) {
            if (m_data[at] == 0) {
                text->assign(reinterpret_cast<const char*>(m_data + offset), at - offset);
                return true;
            }
        }
        return false;
    }
    bool ReadUtf16(size_t offset, size_t end, std::u16string* text) const {
        text->clear();
        for (size_t at = offset; at + 1 < end && at + 1 < m_size; at += 2) {
            char16_t character = char16_t(m_data[at] | m_data[at + 1] << 8);
            if (character == 0)
                return true;
            text->push_back(character);
        }
        return false;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

struct LinkInfo {
    size_t start;
    size_t end;
    uint32_t headerSize;
    uint32_t localBasePath;
    uint32_t commonPathSuffix;
    uint32_t localBasePathUnicode;
    uint32_t commonPathSuffixUnicode;
};

bool ReadLinkInfo(const ByteReader& reader, size_t start, LinkInfo* info) {
    uint32_t size = 0;
    uint32_t flags = 0;
    info->start = start;
    info->localBasePathUnicode = 0;
    info->commonPathSuffixUnicode = 0;
    if (!reader.ReadU32(start, &size) || !reader.ReadU32(start + 4, &info->headerSize) ||
        !reader.ReadU32(start + 8, &flags) || !reader.ReadU32(start + 16, &info->localBasePath) ||
        !reader.ReadU32(start + 24, &info->commonPathSuffix))
        return false;
    info->end = start + size;
    if (!(flags & kLinkInfoHasLocalPath) || info->headerSize < 0x1C || info->headerSize > size)
        return false;
    if (info->headerSize >= kLinkInfoHeaderWithUnicode && (!reader.ReadU32(start + 28, &info->localBasePathUnicode) ||
                                                           !reader.ReadU32(start + 32, &info->commonPathSuffixUnicode)))
        return false;
    return true;
}

bool ReadFlags(const ByteReader& reader, const uint8_t* data, size_t size, uint32_t* flags) {
    uint32_t headerSize = 0;
    return reader.ReadU32(0, &headerSize) && headerSize == kHeaderSize && size >= kHeaderSize &&
           memcmp(data + 4, kLinkClassId, sizeof(kLinkClassId)) == 0 && reader.ReadU32(kLinkFlagsOffset, flags);
}

bool ReadTarget(const uint8_t* data, size_t size, std::u16string* unicodePath, std::string* ansiPath) {
    ByteReader reader(data, size);
    uint32_t flags = 0;
    if (!ReadFlags(reader, data, size, &flags))
        return false;
    if (!(flags & kHasLinkInfo) || (flags & (kForceNoLinkInfo | kHasEnvironmentTarget | kHasInstallerId)))
        return false;
    size_t cursor = kHeaderSize;
    if (flags & kHasTargetIdList) {
        uint32_t idListSize = 0;
        if (!reader.ReadU16(cursor, &idListSize))
            return false;
        cursor += 2 + idListSize;
    }
    LinkInfo info;
    if (!ReadLinkInfo(reader, cursor, &info) || info.end > size)
        return false;
    if (info.localBasePathUnicode && info.commonPathSuffixUnicode) {
        std::u16string suffix;
        if (!reader.ReadUtf16(info.start + info.localBasePathUnicode, info.end, unicodePath) ||
            !reader.ReadUtf16(info.start + info.commonPathSuffixUnicode, info.end, &suffix))
            return false;
        *unicodePath += suffix;
        return !unicodePath->empty();
    }
    std::string suffix;
    if (!reader.ReadAnsi(info.start + info.localBasePath, info.end, ansiPath) ||
        !reader.ReadAnsi(info.start + info.commonPathSuffix, info.end, &suffix))
        return false;
    *ansiPath += suffix;
    return !ansiPath->empty();
}

} // namespace

bool CShellLinkFile::ReadLocalTarget(const uint8_t* data, size_t size, std::u16string* unicodePath,
                                     std::string* ansiPath) {
    unicodePath->clear();
    ansiPath->clear();
    if (ReadTarget(data, size, unicodePath, ansiPath))
        return true;
    unicodePath->clear();
    ansiPath->clear();
    return false;
}

bool CShellLinkFile::NamesItsIcon(const uint8_t* data, size_t size) {
    uint32_t flags = 0;
    return !ReadFlags(ByteReader(data, size), data, size, &flags) || (flags & (kHasIconLocation | kHasEnvironmentIcon));
}

#include "menus/FolderMenuIconCache.h"

BOOL FileStamp::Read(LPCWSTR path, FileStamp* stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return FALSE;
    stamp->lastWrite = data.ftLastWriteTime;
    stamp->size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp->attributes = data.dwFileAttributes;
    return TRUE;
}

FileStamp FileStamp::FromFindData(const WIN32_FIND_DATAW& found) {
    FileStamp stamp;
    stamp.lastWrite = found.ftLastWriteTime;
    stamp.size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    stamp.attributes = found.dwFileAttributes;
    return stamp;
}

bool FileStamp::operator==(const FileStamp& other) const {
    return lastWrite.dwLowDateTime == other.lastWrite.dwLowDateTime &&
           lastWrite.dwHighDateTime == other.lastWrite.dwHighDateTime && size == other.size &&
           attributes == other.attributes;
}

void CFolderMenuIconCache::Keep(const std::wstring& path, const FileStamp& stamp, CIconHandle icon) {
    if (!icon)
        return;
    KeptIcon& kept = m_icons[path];
    kept.stamp = stamp;
    kept.icon = std::move(icon);
}

CIconHandle CFolderMenuIconCache::Take(const std::wstring& path, const FileStamp& stamp) {
    auto kept = m_icons.find(path);
    if (kept == m_icons.end())
        return CIconHandle();
    // A changed file's old icon is of no use to anyone.
    CIconHandle icon = std::move(kept->second.icon);
    bool same = kept->second.stamp == stamp;
    m_icons.erase(kept);
    return same ? std::move(icon) : CIconHandle();
}

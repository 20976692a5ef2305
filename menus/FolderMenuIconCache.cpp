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

bool FileStamp::operator==(const FileStamp& other) const {
    return lastWrite.dwLowDateTime == other.lastWrite.dwLowDateTime &&
           lastWrite.dwHighDateTime == other.lastWrite.dwHighDateTime && size == other.size &&
           attributes == other.attributes;
}

CFolderMenuIconCache::~CFolderMenuIconCache() {
    Clear();
}

void CFolderMenuIconCache::Keep(const std::wstring& path, const FileStamp& stamp, HICON icon) {
    if (!icon)
        return;
    auto inserted = m_icons.emplace(path, KeptIcon{stamp, icon});
    if (inserted.second)
        return;
    DestroyIcon(inserted.first->second.icon);
    inserted.first->second = KeptIcon{stamp, icon};
}

HICON CFolderMenuIconCache::Take(const std::wstring& path, const FileStamp& stamp) {
    auto kept = m_icons.find(path);
    if (kept == m_icons.end() || !(kept->second.stamp == stamp))
        return nullptr;
    HICON icon = kept->second.icon;
    m_icons.erase(kept);
    return icon;
}

void CFolderMenuIconCache::Clear() {
    for (auto& kept : m_icons)
        DestroyIcon(kept.second.icon);
    m_icons.clear();
}

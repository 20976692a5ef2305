#include "menus/FolderListing.h"

#include "lib/ScopedLock.h"

#include <atomic>
#include <string>
#include <unordered_map>

namespace {

struct ListingDelays {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    std::unordered_map<std::wstring, DWORD> delayOfFolder; // by lower-case folder path
    std::atomic<bool> any{false};
};

ListingDelays& Delays() {
    static ListingDelays delays;
    return delays;
}

std::wstring FolderKey(LPCWSTR folder, size_t length) {
    std::wstring key(folder, length);
    while (!key.empty() && key.back() == L'\\')
        key.pop_back();
    if (!key.empty())
        CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

void WaitForDelay(LPCWSTR pattern) {
    size_t length = wcslen(pattern);
    if (length >= 1 && pattern[length - 1] == L'*')
        --length;
    std::wstring key = FolderKey(pattern, length);
    ListingDelays& delays = Delays();
    CScopedLock lock(delays.lock);
    ULONGLONG start = GetTickCount64();
    for (;;) {
        auto found = delays.delayOfFolder.find(key);
        ULONGLONG elapsed = GetTickCount64() - start;
        if (found == delays.delayOfFolder.end() || elapsed >= found->second)
            break;
        SleepConditionVariableSRW(&delays.changed, &delays.lock, static_cast<DWORD>(found->second - elapsed), 0);
    }
}

} // namespace

HANDLE OpenFolderListing(LPCWSTR pattern, WIN32_FIND_DATAW* found) {
    if (Delays().any.load())
        WaitForDelay(pattern);
    return FindFirstFileExW(pattern, FindExInfoBasic, found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
}

void SetFolderListingDelay(LPCWSTR folder, DWORD milliseconds) {
    ListingDelays& delays = Delays();
    {
        CScopedLock lock(delays.lock);
        std::wstring key = FolderKey(folder, wcslen(folder));
        if (milliseconds)
            delays.delayOfFolder[key] = milliseconds;
        else
            delays.delayOfFolder.erase(key);
        delays.any.store(!delays.delayOfFolder.empty());
    }
    WakeAllConditionVariable(&delays.changed);
}

#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Registers the recording program (OpenedAddressRecorder.exe beside the test program) as the handler of http, https
// and mailto addresses and of ".chm" files (and any extension asked for), for the lifetime of the object: what the
// program opens is then recorded instead of shown. The previous registry values come back afterwards.
class OpenedAddresses {
public:
    // Extra file extensions (".xml") can be recorded too.
    explicit OpenedAddresses(const std::vector<std::wstring>& extraExtensions = {});
    ~OpenedAddresses();
    OpenedAddresses(const OpenedAddresses&) = delete;
    OpenedAddresses& operator=(const OpenedAddresses&) = delete;

    // Records what the shell runs for a verb of a class too ("Folder\shell\explore"); a verb
    // the class did not have goes again afterwards.
    void RecordVerb(const std::wstring& verbKey);

    // The command lines recorded so far, after waiting up to timeout for at least count of them.
    std::vector<std::wstring> Wait(size_t count, DWORD timeoutMilliseconds = 10000) const;

private:
    struct SavedValue {
        std::wstring key;
        bool existed;
        std::wstring data;
    };
    void SetDefaultValue(const std::wstring& key, const std::wstring& data);

    std::wstring m_recordFile, m_command;
    std::vector<SavedValue> m_saved;
    std::vector<std::wstring> m_createdKeys;
};

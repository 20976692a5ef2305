#include "support/OpenedAddresses.h"

#include "lib/RegistryKey.h"
#include "support/FileFixtures.h"
#include "support/SourceTree.h"

namespace {

bool ReadDefaultValue(const std::wstring& key, std::wstring* data) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_ANY | RRF_NOEXPAND, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return false;
    *data = buffer;
    return true;
}

// Creates the key on the way.
void WriteDefaultValue(const std::wstring& key, const std::wstring& data) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, data.c_str(),
                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

} // namespace

OpenedAddresses::OpenedAddresses(const std::vector<std::wstring>& extraExtensions) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_recordFile = std::wstring(temp) + L"pathwren_opened_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(m_recordFile.c_str());
    SetEnvironmentVariableW(L"PATHWREN_RECORDER_FILE", m_recordFile.c_str());

    m_command = L"\"" + BesideTestProgram(L"OpenedAddressRecorder.exe") + L"\" \"%1\"";
    for (const wchar_t* scheme : {L"http", L"https", L"mailto"})
        SetDefaultValue(std::wstring(scheme) + L"\\shell\\open\\command", m_command);
    SetDefaultValue(L".chm", L"PathwrenTest.chm");
    for (const std::wstring& extension : extraExtensions)
        SetDefaultValue(extension, L"PathwrenTest.chm");
    SetDefaultValue(L"PathwrenTest.chm\\shell\\open\\command", m_command);
}

void OpenedAddresses::RecordVerb(const std::wstring& verbKey) {
    CRegistryKey existing;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, verbKey.c_str(), 0, KEY_QUERY_VALUE, existing.Receive()) != ERROR_SUCCESS)
        m_createdKeys.push_back(verbKey);
    SetDefaultValue(verbKey + L"\\command", m_command);
}

OpenedAddresses::~OpenedAddresses() {
    for (auto saved = m_saved.rbegin(); saved != m_saved.rend(); ++saved) {
        if (saved->existed)
            WriteDefaultValue(saved->key, saved->data);
        else
            RegDeleteTreeW(HKEY_CLASSES_ROOT, saved->key.c_str());
    }
    for (const std::wstring& key : m_createdKeys)
        RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    // The program identifier is the tests' own: nothing of it stays.
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"PathwrenTest.chm");
    DeleteFileW(m_recordFile.c_str());
    SetEnvironmentVariableW(L"PATHWREN_RECORDER_FILE", nullptr);
}

void OpenedAddresses::SetDefaultValue(const std::wstring& key, const std::wstring& data) {
    SavedValue saved{key, false, L""};
    saved.existed = ReadDefaultValue(key, &saved.data);
    m_saved.push_back(saved);
    WriteDefaultValue(key, data);
}

std::vector<std::wstring> OpenedAddresses::Wait(size_t count, DWORD timeoutMilliseconds) const {
    std::vector<std::wstring> lines;
    for (DWORD began = GetTickCount();; Sleep(50)) {
        lines.clear();
        std::vector<unsigned char> bytes = ReadFileBytes(m_recordFile);
        std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        size_t start = 0;
        for (size_t end = text.find(L'\n'); end != std::wstring::npos; end = text.find(L'\n', start)) {
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        if (lines.size() >= count || GetTickCount() - began >= timeoutMilliseconds)
            return lines;
    }
}

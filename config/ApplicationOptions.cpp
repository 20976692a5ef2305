#include "config/ApplicationOptions.h"

#include "config/IniFile.h"
#include "lib/RegistryKey.h"
#include "lib/StringCopy.h"
#include "config/SpecialPath.h"

#include <shlobj.h>

#include <cwchar>

const WCHAR kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const WCHAR kRunValueName[] = L"Pathwren";

namespace {

const WCHAR kUserOptionsFileName[] = L"UserOptions.ini";
const WCHAR kFoldersFileName[] = L"FoldersOptions.ini";

void JoinPath(LPWSTR destination, LPCWSTR directory, LPCWSTR name) {
    swprintf(destination, MAX_PATH, L"%ls%ls", directory, name);
}

void DeleteRunValue(HKEY root) {
    CRegistryKey key;
    if (RegOpenKeyW(root, kRunKeyPath, key.Receive()) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key.Get(), kRunValueName);
}

} // namespace

CApplicationOptions::CApplicationOptions()
    : SingleUser(TRUE), bRunAtStartup(TRUE), bUseSkin(FALSE), LaunchMode(LaunchModeTrayIcons) {
    CopyTruncated(ApplicationDirectory, MAX_PATH, GetProgramDirectory().c_str());
    SkinName[0] = L'\0';
    UserOptionsFile[0] = L'\0';
    FoldersFile[0] = L'\0';
    SetConfigLocation(TRUE);
    SetLanguage(L"English");
}

void CApplicationOptions::SetConfigLocation(BOOL singleUser) {
    SingleUser = singleUser;
    if (!SingleUser) {
        WCHAR localAppData[MAX_PATH];
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                       localAppData))) {
            WCHAR configDirectory[MAX_PATH];
            swprintf(configDirectory, MAX_PATH, L"%ls\\Pathwren\\", localAppData);
            JoinPath(UserOptionsFile, configDirectory, kUserOptionsFileName);
            JoinPath(FoldersFile, configDirectory, kFoldersFileName);
            return;
        }
        SingleUser = TRUE; // no per-user folder: the next save stores single-user mode
    }
    JoinPath(FoldersFile, ApplicationDirectory, kFoldersFileName);
    JoinPath(UserOptionsFile, ApplicationDirectory, kUserOptionsFileName);
}

void CApplicationOptions::SetLanguage(LPCWSTR languageName) {
    CopyTruncated(Language, MAX_PATH, languageName);
    swprintf(LanguageFile, MAX_PATH, L"%lsLanguages\\%ls.ini", ApplicationDirectory, Language);
}

void CApplicationOptions::SetRunAtStartup(BOOL attempt) {
    DeleteRunValue(HKEY_CURRENT_USER);
    DeleteRunValue(HKEY_LOCAL_MACHINE);
    if (!bRunAtStartup)
        return;
    CRegistryKey key;
    if (RegOpenKeyW(attempt ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kRunKeyPath, key.Receive()) != ERROR_SUCCESS)
        return;
    WCHAR executable[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, executable, MAX_PATH);
    DWORD bytes = static_cast<DWORD>((wcslen(executable) + 1) * sizeof(WCHAR));
    LONG result = RegSetValueExW(key.Get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(executable), bytes);
    // A machine-wide registration needs administrator rights; without them the user's own
    // key still starts the program for this user.
    if (result != ERROR_SUCCESS && attempt == 0)
        SetRunAtStartup(1);
}

BOOL CApplicationOptions::Load(CIniFile& file) {
    IConfigReader& mainReader = file;
    SetConfigLocation(ReadIntValue(mainReader, L"SingleUser", TRUE));
    bRunAtStartup = ReadIntValue(mainReader, L"bRunAtStartup", TRUE);

    CIniFile userOptions(UserOptionsFile);
    IConfigReader& reader = userOptions;
    bUseSkin = ReadIntValue(reader, L"bUseSkin", FALSE);
    reader.ReadString(L"SkinName", L"", SkinName, MAX_PATH);
    Skin.LoadSkin(bUseSkin, SkinName);
    WCHAR language[MAX_PATH];
    reader.ReadString(L"Language", L"English", language, MAX_PATH);
    SetLanguage(language);
    LaunchMode = ReadIntValue(reader, L"LaunchMode", LaunchModeTrayIcons);
    LaunchBarOptions.Load(userOptions);
    return TRUE;
}

BOOL CApplicationOptions::Save(CIniFile& file) {
    SetRunAtStartup(SingleUser);
    IConfigWriter& mainWriter = file;
    mainWriter.WriteInt(L"SingleUser", SingleUser);
    mainWriter.WriteInt(L"bRunAtStartup", bRunAtStartup);

    CIniFile userOptions(UserOptionsFile);
    IConfigWriter& writer = userOptions;
    writer.WriteString(L"Language", Language);
    writer.WriteInt(L"bUseSkin", bUseSkin);
    writer.WriteString(L"SkinName", SkinName);
    writer.WriteInt(L"LaunchMode", LaunchMode);
    LaunchBarOptions.Save(userOptions);
    return TRUE;
}

void CApplicationOptions::CopyApplicationOptions(const CApplicationOptions& source, CApplicationOptions& destination) {
    CopyTruncated(destination.ApplicationDirectory, MAX_PATH, source.ApplicationDirectory);
    CopyTruncated(destination.Language, MAX_PATH, source.Language);
    CopyTruncated(destination.UserOptionsFile, MAX_PATH, source.UserOptionsFile);
    CopyTruncated(destination.FoldersFile, MAX_PATH, source.FoldersFile);
    CopyTruncated(destination.LanguageFile, MAX_PATH, source.LanguageFile);
    CopyTruncated(destination.SkinName, MAX_PATH, source.SkinName);
    destination.SingleUser = source.SingleUser;
    destination.bRunAtStartup = source.bRunAtStartup;
    destination.bUseSkin = source.bUseSkin;
    destination.LaunchMode = source.LaunchMode;
    CLaunchBarOptions::CopyLaunchBarOptions(source.LaunchBarOptions, destination.LaunchBarOptions);
    destination.Skin.LoadSkin(destination.bUseSkin, destination.SkinName);
}

#include "config/ApplicationOptions.h"

#include "config/IniFile.h"
#include "config/SettingKey.h"
#include "config/SpecialPath.h"
#include "config/WindowsLanguage.h"
#include "lib/RegistryKey.h"
#include "lib/StringCopy.h"

#include <shlobj.h>

#include <cwchar>

const WCHAR kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const WCHAR kRunValueName[] = L"Pathwren";

namespace {

const WCHAR kUserOptionsFileName[] = L"UserOptions.ini";
const WCHAR kFoldersFileName[] = L"FoldersOptions.ini";

using Options = CApplicationOptions;

// The main configuration file, shared by every user of the program directory.
constexpr SettingKey<Options> kMainFileKeys[] = {
    {L"SingleUser", &Options::SingleUser, TRUE},
    {L"bRunAtStartup", &Options::bRunAtStartup, TRUE},
};

// The section "Default" of the user options file.
constexpr SettingKey<Options> kUserFileKeys[] = {
    // None chosen yet: the one of Windows' user interface language (TakeWindowsLanguageIfNoneChosen).
    {L"Language", Text<&Options::Language>(), L""}, {L"bUseSkin", &Options::bUseSkin, FALSE},
    {L"SkinName", Text<&Options::SkinName>(), L""}, {L"LaunchMode", &Options::LaunchMode, LaunchModeTrayIcons},
    {L"Theme", &Options::Theme, ThemeSystem},
};

template <size_t N> void JoinPath(WCHAR (&destination)[N], LPCWSTR directory, LPCWSTR name) {
    swprintf(destination, N, L"%ls%ls", directory, name);
}

void DeleteRunValue(HKEY root) {
    CRegistryKey key;
    if (RegOpenKeyW(root, kRunKeyPath, key.Receive()) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key.Get(), kRunValueName);
}

void TakeWindowsLanguageIfNoneChosen(CApplicationOptions& options) {
    if (options.Language[0])
        return;
    WCHAR languagesDirectory[MAX_PATH];
    JoinPath(languagesDirectory, options.ApplicationDirectory, L"Languages\\");
    CopyTruncated(options.Language, ARRAYSIZE(options.Language), WindowsLanguageName(languagesDirectory).c_str());
}

// The shipped skin for a scheme. High contrast draws the toolbar on the face colour, so it takes
// the skin whose icons stand out on that colour.
LPCWSTR DefaultSkinName(ColorScheme scheme) {
    if (scheme == ColorSchemeHighContrast) {
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        scheme = GetRValue(face) + GetGValue(face) + GetBValue(face) < 3 * 128 ? ColorSchemeDark : ColorSchemeLight;
    }
    return scheme == ColorSchemeDark ? L"Dark" : L"Light";
}

} // namespace

CApplicationOptions::CApplicationOptions() {
    CopyTruncated(ApplicationDirectory, ARRAYSIZE(ApplicationDirectory), GetProgramDirectory().c_str());
    ApplyDefaultSettings(kMainFileKeys, *this);
    ApplyDefaultSettings(kUserFileKeys, *this);
    SetConfigLocation(SingleUser);
    TakeWindowsLanguageIfNoneChosen(*this);
    UpdateLanguageFile();
}

void CApplicationOptions::SetConfigLocation(BOOL singleUser) {
    SingleUser = singleUser;
    if (!SingleUser) {
        WCHAR localAppData[MAX_PATH];
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                       localAppData))) {
            WCHAR configDirectory[MAX_PATH];
            swprintf(configDirectory, ARRAYSIZE(configDirectory), L"%ls\\Pathwren\\", localAppData);
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
    CopyTruncated(Language, ARRAYSIZE(Language), languageName);
    UpdateLanguageFile();
}

void CApplicationOptions::UpdateLanguageFile() {
    swprintf(LanguageFile, ARRAYSIZE(LanguageFile), L"%lsLanguages\\%ls.ini", ApplicationDirectory, Language);
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
    GetModuleFileNameW(nullptr, executable, ARRAYSIZE(executable));
    DWORD bytes = static_cast<DWORD>((wcslen(executable) + 1) * sizeof(WCHAR));
    LONG result = RegSetValueExW(key.Get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(executable), bytes);
    // A machine-wide registration needs administrator rights; without them the user's own
    // key still starts the program for this user.
    if (result != ERROR_SUCCESS && attempt == 0)
        SetRunAtStartup(1);
}

BOOL CApplicationOptions::Load(CIniFile& file) {
    LoadSettings(kMainFileKeys, static_cast<IConfigReader&>(file), *this);
    // The main file decides where the user options file is.
    SetConfigLocation(SingleUser);

    CIniFile userOptions(UserOptionsFile);
    LoadSettings(kUserFileKeys, static_cast<IConfigReader&>(userOptions), *this);
    TakeWindowsLanguageIfNoneChosen(*this);
    UpdateLanguageFile();
    ReloadSkin();
    LaunchBarOptions.Load(userOptions);
    return TRUE;
}

BOOL CApplicationOptions::Save(CIniFile& file) {
    SetRunAtStartup(SingleUser);
    SaveSettings(kMainFileKeys, static_cast<IConfigWriter&>(file), *this);

    // The user options file is written once, with its keys and the launch bar's.
    CIniFile userOptions(UserOptionsFile);
    userOptions.BeginWrites();
    SaveSettings(kUserFileKeys, static_cast<IConfigWriter&>(userOptions), *this);
    LaunchBarOptions.Save(userOptions);
    userOptions.EndWrites();
    return TRUE;
}

ColorScheme CApplicationOptions::EffectiveColorScheme() const {
    if (HighContrastOn())
        return ColorSchemeHighContrast;
    if (Theme == ThemeLight)
        return ColorSchemeLight;
    if (Theme == ThemeDark)
        return ColorSchemeDark;
    return AppsUseLightTheme() ? ColorSchemeLight : ColorSchemeDark;
}

void CApplicationOptions::CopyApplicationOptions(const CApplicationOptions& source, CApplicationOptions& destination) {
    if (&source == &destination)
        return;
    // The file names follow from the settings and the program's place; they are taken as they stand.
    CopyTruncated(destination.ApplicationDirectory, ARRAYSIZE(destination.ApplicationDirectory),
                  source.ApplicationDirectory);
    CopyTruncated(destination.UserOptionsFile, ARRAYSIZE(destination.UserOptionsFile), source.UserOptionsFile);
    CopyTruncated(destination.FoldersFile, ARRAYSIZE(destination.FoldersFile), source.FoldersFile);
    CopyTruncated(destination.LanguageFile, ARRAYSIZE(destination.LanguageFile), source.LanguageFile);
    CopySettings(kMainFileKeys, source, destination);
    CopySettings(kUserFileKeys, source, destination);
    CLaunchBarOptions::CopyLaunchBarOptions(source.LaunchBarOptions, destination.LaunchBarOptions);
    destination.ReloadSkin();
}

void CApplicationOptions::ReloadSkin() {
    if (SkinChosen()) {
        m_defaultSkinLoaded[0] = L'\0';
        Skin.LoadSkin(TRUE, SkinName);
        return;
    }
    CopyTruncated(m_defaultSkinLoaded, ARRAYSIZE(m_defaultSkinLoaded), DefaultSkinName(EffectiveColorScheme()));
    // Loaded as a skin, yet still no skin of the user's: bUseSkin stays 0, and the options dialog
    // goes on showing None. Without the shipped folder this is the built-in look.
    Skin.LoadSkin(TRUE, m_defaultSkinLoaded);
}

BOOL CApplicationOptions::DefaultSkinOutdated() const {
    return !SkinChosen() && wcscmp(m_defaultSkinLoaded, DefaultSkinName(EffectiveColorScheme())) != 0;
}

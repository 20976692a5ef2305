#pragma once
#include "config/IIniFileArrayItem.h"
#include "config/LaunchBarOptions.h"
#include "config/Skin.h"
#include "lib/ThemePalette.h"

#include <windows.h>

// Launch modes (LaunchMode).
enum LaunchModeValue {
    LaunchModeTrayIcons = 0,
    LaunchModeLaunchBar = 1,
};

// The look the user chose (Theme): the app mode of Windows, or one fixed.
enum ThemeValue {
    ThemeSystem = 0,
    ThemeLight = 1,
    ThemeDark = 2,
};

// Settings that belong to no single folder item, and where the configuration files live.
// "Pathwren.ini" beside the executable holds SingleUser and bRunAtStartup; the folders file and
// the user options file sit beside the executable (single user) or in the user's local
// application-data folder under "Pathwren\" (multiple users). Each stored key is one row of a key
// table in ApplicationOptions.cpp, one table per file, from which the constructor, Load, Save and
// the copy run.
class CApplicationOptions : public IIniFileArrayItem {
public:
    CApplicationOptions();
    virtual ~CApplicationOptions() {}
    CApplicationOptions(const CApplicationOptions&) = delete;
    CApplicationOptions& operator=(const CApplicationOptions&) = delete;

    // Both work on the main configuration file with its section "Pathwren" current, and on the
    // user options file. Always TRUE.
    BOOL Load(CIniFile& file) override;
    BOOL Save(CIniFile& file) override;

    void SetConfigLocation(BOOL singleUser);
    void SetLanguage(LPCWSTR languageName);
    // attempt 0 registers machine-wide (falling back to the current user), 1 for the current user.
    void SetRunAtStartup(BOOL attempt);

    // What to draw in now: high contrast when it is on, else the chosen theme, else Windows' app mode.
    ColorScheme EffectiveColorScheme() const;
    // Loads the skin the user chose or, with none chosen, the shipped skin of the scheme the
    // program draws in now. Toolbars copy the skin's icons: rebuild them afterwards.
    void ReloadSkin();
    // With no skin chosen, whether the scheme has changed since the skin was loaded, so that
    // another shipped skin belongs to it now.
    BOOL DefaultSkinOutdated() const;

    static void CopyApplicationOptions(const CApplicationOptions& source, CApplicationOptions& destination);

    WCHAR ApplicationDirectory[MAX_PATH]; // with its trailing backslash
    WCHAR Language[MAX_PATH];
    BOOL SingleUser;
    WCHAR UserOptionsFile[MAX_PATH];
    WCHAR FoldersFile[MAX_PATH];
    WCHAR LanguageFile[MAX_PATH];
    BOOL bRunAtStartup;
    WCHAR SkinName[MAX_PATH];
    BOOL bUseSkin;
    CSkin Skin;
    INT LaunchMode;
    INT Theme;
    CLaunchBarOptions LaunchBarOptions;

private:
    void UpdateLanguageFile();
    BOOL SkinChosen() const { return bUseSkin && SkinName[0] != L'\0'; }

    // The shipped skin ReloadSkin took for the scheme; empty when the user's own was taken.
    WCHAR m_defaultSkinLoaded[16] = L"";
};

// The Run key value name and its location under HKEY_CURRENT_USER / HKEY_LOCAL_MACHINE.
extern const WCHAR kRunKeyPath[];
extern const WCHAR kRunValueName[];

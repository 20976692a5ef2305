#include "config/ApplicationOptions.h"
#include "config/IniFileEx.h"
#include "lib/FileSystem.h"
#include "lib/RegistryKey.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring RunValue(HKEY root) {
    WCHAR value[MAX_PATH] = L"";
    DWORD bytes = sizeof(value);
    if (RegGetValueW(root, kRunKeyPath, kRunValueName, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return L"<none>";
    return value;
}

void SetRunValue(HKEY root, LPCWSTR text) {
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(root, kRunKeyPath, key.Receive()));
    RegSetValueExW(key.Get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((wcslen(text) + 1) * sizeof(WCHAR)));
}

// Options whose program directory is a temporary folder, so no test writes beside the exe.
struct OptionsInTemp {
    TempDirectory temp;
    CApplicationOptions options;
    std::wstring mainFile;
    OptionsInTemp() {
        swprintf(options.ApplicationDirectory, MAX_PATH, L"%ls\\", temp.Path().c_str());
        options.SetConfigLocation(TRUE);
        options.SetLanguage(L"English");
        mainFile = temp.File(L"Pathwren.ini");
    }
};

} // namespace

// Not desktop-free: these cases write the test account's per-user folder and Run key, which the
// release test's installed program uses too, so they never run beside it.
TEST(ApplicationOptions, MultipleUsersKeepTheirFilesInLocalApplicationData) {
    WCHAR localAppData[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData));
    std::wstring configDirectory = localAppData + std::wstring(L"\\Pathwren");
    bool existedBefore = IsExistingDirectory(configDirectory.c_str());
    OptionsInTemp fixture;
    ASSERT_TRUE(WriteUtf16File(fixture.mainFile, L"[Pathwren]\r\nSingleUser=0\r\n"));
    CIniFile file(fixture.mainFile.c_str());
    file.SetSectionName(L"Pathwren");
    EXPECT_TRUE(fixture.options.Load(file));
    EXPECT_FALSE(fixture.options.SingleUser);
    EXPECT_EQ(configDirectory + L"\\UserOptions.ini", fixture.options.UserOptionsFile);
    EXPECT_EQ(0u, std::wstring(fixture.options.LanguageFile).find(fixture.temp.Path() + L"\\Languages\\"))
        << "languages always live with the program";
    EXPECT_EQ((std::vector<unsigned char>{0xFF, 0xFE}), ReadFileBytes(configDirectory + L"\\UserOptions.ini"))
        << "loading creates the user options file";
    if (!existedBefore)
        RemoveTree(configDirectory);
}

TEST(ApplicationOptions, RunKeyIsWrittenUnderTheRightRootAndRemovedFromBoth) {
    WCHAR executable[MAX_PATH];
    GetModuleFileNameW(nullptr, executable, MAX_PATH);
    const std::wstring exe = executable, none = L"<none>";
    struct Step {
        BOOL run, singleUser;
        std::wstring user, machine;
    };
    // Multiple users register machine-wide; every step starts from stale entries under both roots.
    const Step steps[] = {
        {FALSE, TRUE, none, none}, {TRUE, TRUE, exe, none}, {TRUE, FALSE, none, exe}, {FALSE, FALSE, none, none}};
    CApplicationOptions options;
    for (const Step& step : steps) {
        SetRunValue(HKEY_CURRENT_USER, L"stale user entry");
        SetRunValue(HKEY_LOCAL_MACHINE, L"stale machine entry");
        options.bRunAtStartup = step.run;
        options.SingleUser = step.singleUser;
        options.SetRunAtStartup(options.SingleUser);
        EXPECT_EQ(step.user, RunValue(HKEY_CURRENT_USER)) << "run " << step.run << ", single " << step.singleUser;
        EXPECT_EQ(step.machine, RunValue(HKEY_LOCAL_MACHINE)) << "run " << step.run << ", single " << step.singleUser;
    }
}

TEST(ApplicationOptions, CopyTakesEverySettingAndReloadsTheSkin) {
    OptionsInTemp fixture;
    // What the options write into both files, which are then removed for the next save.
    auto savedText = [&fixture](CApplicationOptions& options) {
        EXPECT_TRUE(CIniFileEx<CApplicationOptions>(fixture.mainFile.c_str()).Save(options, L"Pathwren"));
        std::wstring text = ReadUtf16File(fixture.mainFile) + L"\n----\n" + ReadUtf16File(options.UserOptionsFile);
        DeleteFileW(fixture.mainFile.c_str());
        DeleteFileW(options.UserOptionsFile);
        return text;
    };
    CApplicationOptions& source = fixture.options;
    source.SetLanguage(L"Espanol");
    source.SingleUser = FALSE;
    source.bRunAtStartup = FALSE; // keep the registry out of this test
    source.bUseSkin = TRUE;
    wcscpy(source.SkinName, L"Graphite");
    source.LaunchMode = LaunchModeLaunchBar;
    source.LaunchBarOptions.IconSize = 48;
    source.LaunchBarOptions.Opacity = 55;
    std::wstring expected = savedText(source);

    CApplicationOptions destination;
    destination.Skin.Opacity = 10;
    CApplicationOptions::CopyApplicationOptions(source, destination);
    EXPECT_EQ(expected, savedText(destination));
    // The paths derived from the settings are copied too, though never saved.
    EXPECT_STREQ(source.LanguageFile, destination.LanguageFile);
    EXPECT_STREQ(source.FoldersFile, destination.FoldersFile);
    EXPECT_EQ(CSkin().Opacity, destination.Skin.Opacity) << "the skin is loaded again from the copied settings";
}

#include "options/OptionsApplicationPage.h"

#include "config/ApplicationOptions.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "config/SpecialPath.h"
#include "lib/FileSearch.h"
#include "lib/KernelHandle.h"
#include "lib/PathText.h"
#include "lib/StringCopy.h"
#include "options/OptionsControls.h"
#include "options/OptionsPageHost.h"
#include "res/resource.h"

#include <cwchar>
#include <string>

namespace {

BOOL CALLBACK AddLanguageFile(LPCWSTR, const WIN32_FIND_DATAW* entry, void* list) {
    // A folder named "x.ini" is no language.
    if (entry->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return TRUE;
    std::wstring name = entry->cFileName;
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos)
        name.resize(dot);
    SendMessageW(static_cast<HWND>(list), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    return TRUE;
}

std::wstring GetListText(HWND list, LRESULT index) {
    LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(wcslen(text.c_str()));
    return text;
}

} // namespace

void COptionsApplicationPage::Attach(CApplicationOptions& options, BOOL picturesReadable) {
    m_pOptions = &options;
    m_picturesReadable = picturesReadable;
    FillLanguageList();
}

void COptionsApplicationPage::Detach() {
    SetStaticBitmap(GetDlgItem(m_host.Dialog(), IDC_SKIN_PREVIEW), m_shownSkinPreview, nullptr);
    m_skinPreview.Empty();
}

void COptionsApplicationPage::FillLanguageList() {
    std::wstring directory = GetProgramDirectory() + L"Languages\\";
    const LPCWSTR patterns[] = {L"*.ini"};
    FileSearchRequest request = {};
    request.directory = directory.c_str();
    request.patterns = patterns;
    request.patternCount = 1;
    request.callback = AddLanguageFile;
    request.userData = GetDlgItem(m_host.Dialog(), IDC_LANGUAGE);
    BOOL stopped = FALSE;
    SearchFiles(request, &stopped);
}

void COptionsApplicationPage::FillSkinList() {
    HWND list = GetDlgItem(m_host.Dialog(), IDC_SKIN);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_host.Language().None));
    LPCWSTR root = m_pOptions->Skin.SkinsRootDirectory;
    std::wstring pattern = std::wstring(root) + L"*";
    WIN32_FIND_DATAW entry;
    CFindHandle search(FindFirstFileW(pattern.c_str(), &entry));
    if (!search)
        return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || wcscmp(entry.cFileName, L".") == 0 ||
            wcscmp(entry.cFileName, L"..") == 0)
            continue;
        std::wstring skinFile = std::wstring(root) + entry.cFileName + L"\\SkinConf.ini";
        CFileHandle file(CreateFileW(skinFile.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
        if (file)
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.cFileName));
    } while (FindNextFileW(search.Get(), &entry));
}

void COptionsApplicationPage::ShowSkinPreview() {
    HWND preview = GetDlgItem(m_host.Dialog(), IDC_SKIN_PREVIEW);
    const CSkin& skin = m_pOptions->Skin;
    BOOL shown = FALSE;
    if (skin.UseSkin && skin.PreviewFileName[0] && m_picturesReadable) {
        std::wstring name = skin.PreviewFileName;
        for (WCHAR& character : name) {
            if (character == L'/')
                character = L'\\';
        }
        WCHAR path[MAX_PATH];
        if (name != L".\\" && ResolvePathAgainst(skin.SkinDirectory, name, path, MAX_PATH) &&
            m_skinPreview.Load(path)) {
            SetStaticBitmap(preview, m_shownSkinPreview, m_skinPreview.MakeHBitmap());
            shown = m_shownSkinPreview.Get() != nullptr;
        }
    }
    ShowWindow(preview, shown ? SW_SHOW : SW_HIDE);
}

void COptionsApplicationPage::Load() {
    HWND dialog = m_host.Dialog();
    const CApplicationOptions& options = *m_pOptions;
    HWND languages = GetDlgItem(dialog, IDC_LANGUAGE);
    LRESULT language = SendMessageW(languages, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(options.Language));
    // A language whose file is gone shows no entry, so that OK keeps its name rather than
    // storing whichever language sorts first.
    SendMessageW(languages, CB_SETCURSEL, static_cast<WPARAM>(language), 0);
    CheckDlgButton(dialog, IDC_RUN_AT_STARTUP, options.bRunAtStartup ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(dialog, IDC_SINGLE_USER, IDC_MULTIPLE_USERS,
                     options.SingleUser ? IDC_SINGLE_USER : IDC_MULTIPLE_USERS);
    FillSkinList();
    HWND skins = GetDlgItem(dialog, IDC_SKIN);
    LRESULT skin = 0;
    if (options.bUseSkin) {
        // Searching from entry 0 onwards skips "None" at index 0.
        skin = SendMessageW(skins, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(options.SkinName));
        if (skin == CB_ERR)
            skin = 0;
    }
    SendMessageW(skins, CB_SETCURSEL, static_cast<WPARAM>(skin), 0);
    ShowSkinPreview();
    // The launch bar pages start enabled, so that a bar can be prepared before switching to it.
    SendDlgItemMessageW(dialog, IDC_LAUNCH_MODE, CB_SETCURSEL, static_cast<WPARAM>(options.LaunchMode), 0);
    // A value written by hand outside the list shows as the default.
    INT theme = options.Theme >= ThemeSystem && options.Theme <= ThemeDark ? options.Theme : ThemeSystem;
    SendDlgItemMessageW(dialog, IDC_THEME, CB_SETCURSEL, static_cast<WPARAM>(theme), 0);
}

void COptionsApplicationPage::Save() {
    HWND dialog = m_host.Dialog();
    CApplicationOptions& options = *m_pOptions;
    HWND languages = GetDlgItem(dialog, IDC_LANGUAGE);
    LRESULT language = SendMessageW(languages, CB_GETCURSEL, 0, 0);
    if (language != CB_ERR)
        options.SetLanguage(GetListText(languages, language).c_str());
    options.bRunAtStartup = IsDlgButtonChecked(dialog, IDC_RUN_AT_STARTUP) == BST_CHECKED;
    options.SetConfigLocation(IsDlgButtonChecked(dialog, IDC_SINGLE_USER) == BST_CHECKED);
    HWND skins = GetDlgItem(dialog, IDC_SKIN);
    LRESULT skin = SendMessageW(skins, CB_GETCURSEL, 0, 0);
    if (skin == 0) {
        options.bUseSkin = FALSE;
        options.SkinName[0] = L'\0';
    } else if (skin != CB_ERR) {
        options.bUseSkin = TRUE;
        CopyTruncated(options.SkinName, GetListText(skins, skin).c_str());
    }
    LRESULT mode = SendDlgItemMessageW(dialog, IDC_LAUNCH_MODE, CB_GETCURSEL, 0, 0);
    options.LaunchMode = mode == CB_ERR ? 0 : static_cast<INT>(mode);
    LRESULT theme = SendDlgItemMessageW(dialog, IDC_THEME, CB_GETCURSEL, 0, 0);
    options.Theme = theme == CB_ERR ? ThemeSystem : static_cast<INT>(theme);
}

std::unique_ptr<CLanguage> COptionsApplicationPage::ReadChosenLanguage() const {
    HWND languages = GetDlgItem(m_host.Dialog(), IDC_LANGUAGE);
    LRESULT selection = SendMessageW(languages, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR)
        return nullptr;
    std::wstring path = GetProgramDirectory() + L"Languages\\" + GetListText(languages, selection) + L".ini";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return nullptr;
    CIniFileEx<CLanguage> file(path.c_str());
    if (!file.IsReadable())
        return nullptr;
    return std::unique_ptr<CLanguage>(file.Load(L"Language"));
}

void COptionsApplicationPage::OnSkinChanged() {
    HWND skins = GetDlgItem(m_host.Dialog(), IDC_SKIN);
    LRESULT selection = SendMessageW(skins, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR)
        return;
    std::wstring name = selection == 0 ? std::wstring() : GetListText(skins, selection);
    m_pOptions->Skin.LoadSkin(selection != 0, name.c_str());
    ShowSkinPreview();
}

void COptionsApplicationPage::OnLaunchModeChanged() {
    HWND dialog = m_host.Dialog();
    BOOL launchBar = SendDlgItemMessageW(dialog, IDC_LAUNCH_MODE, CB_GETCURSEL, 0, 0) == LaunchModeLaunchBar;
    for (int group : {IDC_LAUNCH_BAR_GROUP, IDC_LAUNCH_BAR_SPECIFIC_GROUP})
        ApplyToControlGroup(dialog, group, EnableControlAction, launchBar);
}

void COptionsApplicationPage::ApplyLanguage(const CLanguage& language) {
    HWND skins = GetDlgItem(m_host.Dialog(), IDC_SKIN);
    if (SendMessageW(skins, CB_GETCOUNT, 0, 0) <= 0)
        return;
    LRESULT selection = SendMessageW(skins, CB_GETCURSEL, 0, 0);
    SendMessageW(skins, CB_DELETESTRING, 0, 0);
    SendMessageW(skins, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(language.None));
    SendMessageW(skins, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

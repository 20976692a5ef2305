#include "options/OptionsUI.h"

#include "config/ApplicationOptions.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "config/SpecialPath.h"
#include "lib/FileSearch.h"
#include "lib/KernelHandle.h"
#include "lib/PathText.h"
#include "lib/StringCopy.h"
#include "res/resource.h"

#include <cwchar>
#include <string>

namespace {

const UINT kIconSizes[] = {16, 24, 32, 48, 64};
const UINT kLaunchBarColorBackground = 4;
const UINT kLaunchBarFirstPicture = 5;
const UINT kLaunchBarLastPicture = 14;

// The launch bar's number edits; the margins may be negative and are shown signed. A number
// outside its range is refused like a text that is no number: a strip 0 pixels thick could never
// be reached, so the bar would never show again.
struct BarNumber {
    int control;
    BOOL isSigned;
    UINT* (*field)(CLaunchBarOptions& options);
    UINT minimum;
    UINT maximum;
};
#define BAR_FIELD(name) [](CLaunchBarOptions& options) { return reinterpret_cast<UINT*>(&options.name); }
const BarNumber kBarNumbers[] = {
    {IDC_BAR_ACTIVE_AREA, FALSE, BAR_FIELD(HotCornerActiveWitdh), 1, 100},
    {IDC_BAR_MIN_WIDTH, FALSE, BAR_FIELD(MinWidth), 0, 10000},
    {IDC_BAR_MIN_HEIGHT, FALSE, BAR_FIELD(MinHeight), 0, 10000},
    {IDC_BAR_MARGIN_LEFT, TRUE, BAR_FIELD(MarginLeft), 0, 1000},
    {IDC_BAR_MARGIN_RIGHT, TRUE, BAR_FIELD(MarginRight), 0, 1000},
    {IDC_BAR_MARGIN_TOP, TRUE, BAR_FIELD(MarginTop), 0, 1000},
    {IDC_BAR_MARGIN_BOTTOM, TRUE, BAR_FIELD(MarginBottom), 0, 1000},
};

struct BarColor {
    ColorButton button;
    COLORREF CLaunchBarOptions::*field;
};
const BarColor kBarColors[] = {{ColorBarBackground, &CLaunchBarOptions::BackgroundColor},
                               {ColorBarGradient1, &CLaunchBarOptions::BackgroundGradiantColor1},
                               {ColorBarGradient2, &CLaunchBarOptions::BackgroundGradiantColor2},
                               {ColorBarTransparent, &CLaunchBarOptions::TransparentColor}};

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

void COptionsUI::FillLanguageList() {
    std::wstring directory = GetProgramDirectory() + L"Languages\\";
    const LPCWSTR patterns[] = {L"*.ini"};
    FileSearchRequest request = {};
    request.directory = directory.c_str();
    request.patterns = patterns;
    request.patternCount = 1;
    request.callback = AddLanguageFile;
    request.userData = GetDlgItem(m_hDialog, IDC_LANGUAGE);
    BOOL stopped = FALSE;
    SearchFiles(request, &stopped);
}

void COptionsUI::FillSkinList() {
    HWND list = GetDlgItem(m_hDialog, IDC_SKIN);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_pLanguage->None));
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

void COptionsUI::ShowSkinPreview() {
    HWND preview = GetDlgItem(m_hDialog, IDC_SKIN_PREVIEW);
    const CSkin& skin = m_pOptions->Skin;
    BOOL shown = FALSE;
    if (skin.UseSkin && skin.PreviewFileName[0] && m_gdiplus && m_gdiplus->Started()) {
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

void COptionsUI::LoadApplicationSettings() {
    const CApplicationOptions& options = *m_pOptions;
    HWND languages = GetDlgItem(m_hDialog, IDC_LANGUAGE);
    LRESULT language = SendMessageW(languages, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(options.Language));
    // A language whose file is gone shows no entry, so that OK keeps its name rather than
    // storing whichever language sorts first.
    SendMessageW(languages, CB_SETCURSEL, static_cast<WPARAM>(language), 0);
    CheckDlgButton(m_hDialog, IDC_RUN_AT_STARTUP, options.bRunAtStartup ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(m_hDialog, IDC_SINGLE_USER, IDC_MULTIPLE_USERS,
                     options.SingleUser ? IDC_SINGLE_USER : IDC_MULTIPLE_USERS);
    FillSkinList();
    HWND skins = GetDlgItem(m_hDialog, IDC_SKIN);
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
    SendDlgItemMessageW(m_hDialog, IDC_LAUNCH_MODE, CB_SETCURSEL, static_cast<WPARAM>(options.LaunchMode), 0);
    // A value written by hand outside the list shows as the default.
    INT theme = options.Theme >= ThemeSystem && options.Theme <= ThemeDark ? options.Theme : ThemeSystem;
    SendDlgItemMessageW(m_hDialog, IDC_THEME, CB_SETCURSEL, static_cast<WPARAM>(theme), 0);
    LoadLaunchBarSettings();
}

void COptionsUI::SaveApplicationSettings() {
    CApplicationOptions& options = *m_pOptions;
    HWND languages = GetDlgItem(m_hDialog, IDC_LANGUAGE);
    LRESULT language = SendMessageW(languages, CB_GETCURSEL, 0, 0);
    if (language != CB_ERR)
        options.SetLanguage(GetListText(languages, language).c_str());
    options.bRunAtStartup = IsDlgButtonChecked(m_hDialog, IDC_RUN_AT_STARTUP) == BST_CHECKED;
    options.SetConfigLocation(IsDlgButtonChecked(m_hDialog, IDC_SINGLE_USER) == BST_CHECKED);
    HWND skins = GetDlgItem(m_hDialog, IDC_SKIN);
    LRESULT skin = SendMessageW(skins, CB_GETCURSEL, 0, 0);
    if (skin == 0) {
        options.bUseSkin = FALSE;
        options.SkinName[0] = L'\0';
    } else if (skin != CB_ERR) {
        options.bUseSkin = TRUE;
        CopyTruncated(options.SkinName, GetListText(skins, skin).c_str());
    }
    LRESULT mode = SendDlgItemMessageW(m_hDialog, IDC_LAUNCH_MODE, CB_GETCURSEL, 0, 0);
    options.LaunchMode = mode == CB_ERR ? 0 : static_cast<INT>(mode);
    LRESULT theme = SendDlgItemMessageW(m_hDialog, IDC_THEME, CB_GETCURSEL, 0, 0);
    options.Theme = theme == CB_ERR ? ThemeSystem : static_cast<INT>(theme);
    SaveLaunchBarSettings();
}

void COptionsUI::LoadLaunchBarSettings() {
    const CLaunchBarOptions& bar = m_pOptions->LaunchBarOptions;
    SendDlgItemMessageW(m_hDialog, IDC_BAR_MONITOR, CB_SETCURSEL, bar.ScreenIndex, 0);
    SendDlgItemMessageW(m_hDialog, IDC_BAR_POSITION, CB_SETCURSEL, bar.Position, 0);
    CheckDlgButton(m_hDialog, IDC_BAR_FULL_WIDTH, bar.UseFullScreenWidth ? BST_CHECKED : BST_UNCHECKED);
    WPARAM size = 0;
    for (WPARAM i = 0; i < ARRAYSIZE(kIconSizes); ++i) {
        if (kIconSizes[i] == bar.IconSize)
            size = i;
    }
    SendDlgItemMessageW(m_hDialog, IDC_BAR_ICON_SIZE, CB_SETCURSEL, size, 0);
    SendDlgItemMessageW(m_hDialog, IDC_BAR_GRADIENT_TYPE, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(m_hDialog, IDC_BAR_PICTURE_POSITION, CB_SETCURSEL, 0, 0);
    int radio = IDC_BAR_COLOR_RADIO;
    if (bar.BackgroundType < kLaunchBarColorBackground) {
        radio = IDC_BAR_GRADIENT_RADIO;
        SendDlgItemMessageW(m_hDialog, IDC_BAR_GRADIENT_TYPE, CB_SETCURSEL, bar.BackgroundType, 0);
    } else if (bar.BackgroundType >= kLaunchBarFirstPicture && bar.BackgroundType <= kLaunchBarLastPicture) {
        radio = IDC_BAR_PICTURE_RADIO;
        SendDlgItemMessageW(m_hDialog, IDC_BAR_PICTURE_POSITION, CB_SETCURSEL,
                            bar.BackgroundType - kLaunchBarFirstPicture, 0);
    }
    for (int button : {IDC_BAR_COLOR_RADIO, IDC_BAR_GRADIENT_RADIO, IDC_BAR_PICTURE_RADIO})
        CheckDlgButton(m_hDialog, button, button == radio ? BST_CHECKED : BST_UNCHECKED);
    for (const BarColor& color : kBarColors)
        m_colorButtons.Set(color.button, bar.*color.field);
    SetDlgItemTextW(m_hDialog, IDC_BAR_PICTURE_PATH, bar.BackgroundImage);
    CheckDlgButton(m_hDialog, IDC_BAR_USE_TRANSPARENT, bar.UseTransparentColor ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(m_hDialog, IDC_BAR_OPACITY, TBM_SETPOS, TRUE, bar.Opacity);
    CLaunchBarOptions& editable = m_pOptions->LaunchBarOptions;
    for (const BarNumber& number : kBarNumbers)
        SetDlgItemInt(m_hDialog, number.control, *number.field(editable), number.isSigned);
}

void COptionsUI::SaveLaunchBarSettings() {
    CLaunchBarOptions& bar = m_pOptions->LaunchBarOptions;
    // A monitor unplugged since the bar was placed on it has no entry; it keeps its number, so the
    // bar goes back there once the monitor does.
    LRESULT monitor = SendDlgItemMessageW(m_hDialog, IDC_BAR_MONITOR, CB_GETCURSEL, 0, 0);
    if (monitor != CB_ERR)
        bar.ScreenIndex = static_cast<UINT>(monitor);
    bar.VerticalDirection = FALSE;
    LRESULT position = SendDlgItemMessageW(m_hDialog, IDC_BAR_POSITION, CB_GETCURSEL, 0, 0);
    if (position != CB_ERR)
        bar.Position = static_cast<UINT>(position);
    bar.UseFullScreenWidth = IsDlgButtonChecked(m_hDialog, IDC_BAR_FULL_WIDTH) == BST_CHECKED;
    LRESULT size = SendDlgItemMessageW(m_hDialog, IDC_BAR_ICON_SIZE, CB_GETCURSEL, 0, 0);
    if (size >= 0 && size < static_cast<LRESULT>(ARRAYSIZE(kIconSizes)))
        bar.IconSize = bar.IconHeight = kIconSizes[size];
    if (IsDlgButtonChecked(m_hDialog, IDC_BAR_COLOR_RADIO) == BST_CHECKED)
        bar.BackgroundType = kLaunchBarColorBackground;
    else if (IsDlgButtonChecked(m_hDialog, IDC_BAR_GRADIENT_RADIO) == BST_CHECKED)
        bar.BackgroundType =
            static_cast<UINT>(SendDlgItemMessageW(m_hDialog, IDC_BAR_GRADIENT_TYPE, CB_GETCURSEL, 0, 0));
    else if (IsDlgButtonChecked(m_hDialog, IDC_BAR_PICTURE_RADIO) == BST_CHECKED)
        bar.BackgroundType =
            static_cast<UINT>(SendDlgItemMessageW(m_hDialog, IDC_BAR_PICTURE_POSITION, CB_GETCURSEL, 0, 0)) +
            kLaunchBarFirstPicture;
    for (const BarColor& color : kBarColors)
        bar.*color.field = m_colorButtons.Get(color.button);
    GetDlgItemTextW(m_hDialog, IDC_BAR_PICTURE_PATH, bar.BackgroundImage, MAX_PATH);
    bar.UseTransparentColor = IsDlgButtonChecked(m_hDialog, IDC_BAR_USE_TRANSPARENT) == BST_CHECKED;
    bar.Opacity = static_cast<BYTE>(SendDlgItemMessageW(m_hDialog, IDC_BAR_OPACITY, TBM_GETPOS, 0, 0) & 0xFF);
    for (const BarNumber& number : kBarNumbers)
        ReadNumberInRange(m_hDialog, number.control, number.minimum, number.maximum, number.field(bar));
}

void COptionsUI::OnLanguageChanged() {
    HWND languages = GetDlgItem(m_hDialog, IDC_LANGUAGE);
    LRESULT selection = SendMessageW(languages, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR)
        return;
    std::wstring path = GetProgramDirectory() + L"Languages\\" + GetListText(languages, selection) + L".ini";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    CLanguage* language = nullptr;
    {
        CIniFileEx<CLanguage> file(path.c_str());
        if (!file.IsReadable())
            return;
        language = file.Load(L"Language");
    }
    if (!language)
        return;
    delete m_pLanguage;
    m_pLanguage = language;
    ApplyLanguageToDialog();
}

void COptionsUI::OnSkinChanged() {
    HWND skins = GetDlgItem(m_hDialog, IDC_SKIN);
    LRESULT selection = SendMessageW(skins, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR)
        return;
    std::wstring name = selection == 0 ? std::wstring() : GetListText(skins, selection);
    m_pOptions->Skin.LoadSkin(selection != 0, name.c_str());
    ShowSkinPreview();
}

void COptionsUI::OnLaunchModeChanged() {
    BOOL launchBar = SendDlgItemMessageW(m_hDialog, IDC_LAUNCH_MODE, CB_GETCURSEL, 0, 0) == LaunchModeLaunchBar;
    for (int group : {IDC_LAUNCH_BAR_GROUP, IDC_LAUNCH_BAR_SPECIFIC_GROUP})
        ApplyToControlGroup(group, EnableControlAction, launchBar);
}

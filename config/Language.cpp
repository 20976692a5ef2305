#include "config/Language.h"

#include "config/IniFile.h"
#include "lib/StringCopy.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

struct BuiltInText {
    LPCWSTR key;
    LPCWSTR text;
};

// Keys whose English text is not simply the key split into words.
const BuiltInText kBuiltInExceptions[] = {
    {L"ThumbStrip", L"ThumbStrip"},
    {L"MoveUp", L"Up"},
    {L"MoveDown", L"Down"},
    {L"ForMoreInformations", L"For more informations"},
    {L"See", L"see"},
    {L"ProjectHomePage", L"project homepage"},
    {L"Or", L"or"},
    {L"UserManual", L"user manual"},
    {L"NotifyIcon", L"Tray Icons"},
    {L"ExclusionFilters", L"Exclusion Filters     (*.ini;*.htm)"},
    {L"InclusionFilters", L"Inclusion Filters     (*.exe;*.jpg;*.m3u)"},
    {L"ZBottom", L"Bottom"},
    {L"HideToolBarForHomeFolder", L"Hide ToolBar For Home Folder"},
    {L"HideToolBar", L"Hide ToolBar"},
    {L"ExtraLarge", L"ExtraLarge"},
    {L"ShowHideHotKey", L"Show / Hide HotKey"},
    {L"OverIcon", L"Over"},
    {L"PressedIcon", L"Pressed"},
    {L"UseFullWidthHeight", L"Use Full Width/Height"},
    {L"LeftOrTop", L"Left / Top"},
    {L"CenterOrMiddle", L"Center / Middle"},
    {L"RightOrBottom", L"Right / Bottom"},
    {L"MergeMenus", L"Merge Folders Into Single Menu"},
    {L"GoToHomeFolder", L"Go to home folder"},
    {L"GoBack", L"Go back"},
    {L"GoForward", L"Go forward"},
    {L"GoUp", L"Go up"},
    {L"OpenFolderWithWindowsExplorer", L"Open folder with windows explorer"},
    {L"MergeToSpecificFolder", L"Merge to specific folder"},
    {L"EmptyMergedFolderName", L"Empty merged Folder Name"},
    // One line each: a language file holds a text per line. Message boxes wrap them.
    {L"CommandNotUnderstood", L"Pathwren did not understand \"%s\". It accepts --show ITEM (the item's identifier "
                              L"or its name in the options), --options or --exit."},
    {L"UnknownItem", L"Pathwren has no item \"%s\". Name an item by its identifier or by its name in the options."},
    {L"ShortcutItemDeleted", L"The item this shortcut shows (%s) was deleted from Pathwren. Delete the shortcut, "
                             L"or make a new one on the item's page of the options."},
    {L"CreateTaskbarShortcut", L"Create taskbar shortcut\x2026"},
    {L"AddToStartMenu", L"Add to Start menu"},
    {L"PinShortcutHint", L"The new shortcut is selected in the folder that opened. To pin it to the taskbar, "
                         L"right-click it, then choose Pin to taskbar (on Windows 11, Show more options first)."},
};

#define PATHWREN_LANGUAGE_TEXT_SIZE(name, size) size,
// The largest buffer of any key, so a copied default never loses characters.
constexpr DWORD kLargestTextSize = std::max({PATHWREN_LANGUAGE_KEYS(PATHWREN_LANGUAGE_TEXT_SIZE)});
#undef PATHWREN_LANGUAGE_TEXT_SIZE

LPCWSTR FindBuiltInException(LPCWSTR key) {
    for (const BuiltInText& entry : kBuiltInExceptions) {
        if (wcscmp(entry.key, key) == 0)
            return entry.text;
    }
    return nullptr;
}

// "MakeADonation" reads "Make A Donation", "Color1" reads "Color 1".
void SplitIntoWords(LPCWSTR key, LPWSTR text, DWORD size) {
    DWORD length = 0;
    for (LPCWSTR c = key; *c; ++c) {
        bool startsWord = c != key && (iswupper(*c) || iswdigit(*c));
        if (length + (startsWord ? 2 : 1) >= size)
            break;
        if (startsWord)
            text[length++] = L' ';
        text[length++] = *c;
    }
    text[length] = L'\0';
}

void SetBuiltInText(LPCWSTR key, LPWSTR text, DWORD size) {
    LPCWSTR exception = FindBuiltInException(key);
    if (exception)
        CopyTruncated(text, size, exception);
    else
        SplitIntoWords(key, text, size);
}

} // namespace

CLanguage::CLanguage() {
    ForEachText(SetBuiltInText);
}

BOOL CLanguage::Load(CIniFile& file) {
    IConfigReader& reader = file;
    ForEachText([&reader](LPCWSTR key, LPWSTR text, DWORD size) {
        // The profile functions do not promise to cope with a default that shares the output
        // buffer (they may clear it first), so the current text goes in from a copy.
        WCHAR current[kLargestTextSize];
        CopyTruncated(current, kLargestTextSize, text);
        reader.ReadString(key, current, text, size);
    });
    return TRUE;
}

BOOL CLanguage::Save(CIniFile& file) {
    IConfigWriter& writer = file;
    ForEachText([&writer](LPCWSTR key, LPWSTR text, DWORD) { writer.WriteString(key, text); });
    return TRUE;
}

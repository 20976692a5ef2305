#include "config/WindowsLanguage.h"

#include "lib/KernelHandle.h"

#include <initializer_list>

namespace {

struct LanguageFile {
    WORD primaryLanguage;
    WORD subLanguage; // SUBLANG_NEUTRAL: any the entries before did not name
    LPCWSTR name;
};

// The shipped translations carry their language's own name, which Windows does not always give
// the same way ("中文(简体)", "português"); a translation added later needs no entry when its
// name is the one LOCALE_SNATIVELANGNAME gives, as "Nederlands" or "Polski".
const LanguageFile kShippedLanguages[] = {
    {LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED, L"简体中文"},
    {LANG_CHINESE, SUBLANG_NEUTRAL, L"简体中文"},
    {LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN, L"Português (Brasil)"},
    {LANG_PORTUGUESE, SUBLANG_NEUTRAL, L"Português (Brasil)"},
    {LANG_JAPANESE, SUBLANG_NEUTRAL, L"日本語"},
    {LANG_RUSSIAN, SUBLANG_NEUTRAL, L"Русский"},
    {LANG_GERMAN, SUBLANG_NEUTRAL, L"Deutsch"},
    {LANG_FRENCH, SUBLANG_NEUTRAL, L"Français"},
    {LANG_SPANISH, SUBLANG_NEUTRAL, L"Español"},
    {LANG_ITALIAN, SUBLANG_NEUTRAL, L"Italiano"},
    {LANG_ENGLISH, SUBLANG_NEUTRAL, L"English"},
};

// The name of the language file as it is on disk ("italiano" finds "Italiano"); empty when there is none.
std::wstring ExistingLanguageFile(LPCWSTR languagesDirectory, const std::wstring& name) {
    if (name.empty() || name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos)
        return L"";
    std::wstring pattern = std::wstring(languagesDirectory) + name + L".ini";
    WIN32_FIND_DATAW found;
    CFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return L"";
    std::wstring fileName = found.cFileName;
    return fileName.substr(0, fileName.size() - 4);
}

std::wstring ShippedLanguageFile(LANGID language, LPCWSTR languagesDirectory) {
    for (const LanguageFile& entry : kShippedLanguages) {
        if (entry.primaryLanguage != PRIMARYLANGID(language))
            continue;
        if (entry.subLanguage != SUBLANG_NEUTRAL && entry.subLanguage != SUBLANGID(language))
            continue;
        std::wstring name = ExistingLanguageFile(languagesDirectory, entry.name);
        if (!name.empty())
            return name;
    }
    return L"";
}

std::wstring NativeLanguageFile(LANGID language, LPCWSTR languagesDirectory) {
    WCHAR nativeName[LOCALE_NAME_MAX_LENGTH] = L"";
    if (!GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_SNATIVELANGNAME, nativeName, ARRAYSIZE(nativeName)))
        return L"";
    return ExistingLanguageFile(languagesDirectory, nativeName);
}

} // namespace

std::wstring LanguageNameFor(std::initializer_list<LANGID> languages, LPCWSTR languagesDirectory) {
    for (LANGID language : languages) {
        std::wstring name = ShippedLanguageFile(language, languagesDirectory);
        if (name.empty())
            name = NativeLanguageFile(language, languagesDirectory);
        if (!name.empty())
            return name;
    }
    return L"English";
}

std::wstring WindowsLanguageName(LPCWSTR languagesDirectory) {
    return LanguageNameFor({GetUserDefaultUILanguage(), GetUserDefaultLangID()}, languagesDirectory);
}

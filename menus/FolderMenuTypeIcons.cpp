#include "menus/FolderMenuTypeIcons.h"

#include "lib/PathText.h"
#include "lib/RegistryKey.h"
#include "lib/SystemImageList.h"
#include "menus/PopUpMenu.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwctype>

namespace {

// Types whose files carry their own icon on every system, registered or not (Wine registers few
// of them with a "%1" icon).
const wchar_t* const kPerFileExtensions[] = {L"exe", L"ico", L"cur", L"ani", L"scr",     L"lnk",       L"url",
                                             L"pif", L"dll", L"cpl", L"msi", L"website", L"appref-ms", L"library-ms"};

std::wstring LowerCase(std::wstring text) {
    for (wchar_t& character : text)
        character = static_cast<wchar_t>(towlower(character));
    return text;
}

std::wstring ReadDefaultValue(HKEY root, const std::wstring& subKey) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::wstring();
    CRegistryKey key(opened);
    WCHAR value[MAX_PATH] = L"";
    DWORD size = sizeof(value) - sizeof(WCHAR);
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    return value;
}

BOOL KeyExists(HKEY root, const std::wstring& subKey) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return FALSE;
    CRegistryKey key(opened);
    return TRUE;
}

} // namespace

CFolderMenuTypeIcons::TypeFacts& CFolderMenuTypeIcons::FactsOfThisThread() {
    static thread_local TypeFacts facts;
    return facts;
}

BOOL CFolderMenuTypeIcons::RegistrySaysPerFile(const std::wstring& extension) {
    std::wstring progId = ReadDefaultValue(HKEY_CLASSES_ROOT, L"." + extension);
    for (const std::wstring& type : {L"." + extension, progId}) {
        if (type.empty())
            continue;
        // "%1", quoted or not, names the file itself as the icon's source.
        if (ReadDefaultValue(HKEY_CLASSES_ROOT, type + L"\\DefaultIcon").find(L"%1") != std::wstring::npos ||
            KeyExists(HKEY_CLASSES_ROOT, type + L"\\shellex\\IconHandler"))
            return TRUE;
    }
    return FALSE;
}

BOOL CFolderMenuTypeIcons::IsPerFileType(const std::wstring& extension) {
    auto known = m_facts.perFile.find(extension);
    if (known != m_facts.perFile.end())
        return known->second;
    BOOL perFile = FALSE;
    for (const wchar_t* listed : kPerFileExtensions)
        perFile = perFile || extension == listed;
    perFile = perFile || RegistrySaysPerFile(extension);
    m_facts.perFile.emplace(extension, perFile);
    return perFile;
}

HICON CFolderMenuTypeIcons::IconOfIndex(int index) {
    if (index < 0)
        return nullptr;
    CIconHandle& icon = m_iconOfIndex[index];
    if (!icon) {
        icon.Reset(CreateSystemImageListIcon(index, m_iconSize));
        // Menus kept from an earlier build may know this handle as an icon destroyed since.
        CPopUpMenu::ForgetIcon(icon.Get());
    }
    return icon.Get();
}

HICON CFolderMenuTypeIcons::IconOf(LPCWSTR path, BOOL isFolder, DWORD attributes) {
    if (isFolder) {
        // Read-only and system folders are the ones a desktop.ini may give an icon of their own.
        if (attributes == INVALID_FILE_ATTRIBUTES)
            attributes = GetFileAttributesW(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)))
            return nullptr;
        return IconOfIndex(FolderIndex());
    }
    std::wstring extension = LowerCase(FindExtension(path));
    auto known = m_facts.indexOfExtension.find(extension);
    if (known != m_facts.indexOfExtension.end())
        return IconOfIndex(known->second);
    int index = IsPerFileType(extension) ? -1 : GenericIndexOf(extension);
    m_facts.indexOfExtension.emplace(extension, index);
    return IconOfIndex(index);
}

HICON CFolderMenuTypeIcons::GenericIconOf(LPCWSTR path, BOOL isFolder) {
    return IconOfIndex(isFolder ? FolderIndex() : GenericIndexOf(LowerCase(FindExtension(path))));
}

int CFolderMenuTypeIcons::FolderIndex() {
    if (m_facts.folderIndex == -2)
        m_facts.folderIndex = SystemIconIndexOfType(L"folder", FILE_ATTRIBUTE_DIRECTORY);
    return m_facts.folderIndex;
}

int CFolderMenuTypeIcons::GenericIndexOf(const std::wstring& extension) {
    auto known = m_facts.genericIndexOfExtension.find(extension);
    if (known != m_facts.genericIndexOfExtension.end())
        return known->second;
    int index = SystemIconIndexOfType((extension.empty() ? std::wstring(L"file") : L"file." + extension).c_str(),
                                      FILE_ATTRIBUTE_NORMAL);
    m_facts.genericIndexOfExtension.emplace(extension, index);
    return index;
}

void CFolderMenuTypeIcons::Clear(int iconSize) {
    m_iconSize = iconSize;
    m_facts = TypeFacts();
    m_iconOfIndex.clear();
}

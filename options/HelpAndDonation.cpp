#include "options/HelpAndDonation.h"

#include "lib/ShellLaunch.h"
#include "config/WebAddresses.h"
#include "config/Language.h"
#include "config/SpecialPath.h"
#include "lib/RegistryKey.h"

namespace {

const wchar_t kHelpFileName[] = L"Pathwren.chm";
const wchar_t kEuroSign = 0x20AC;

// The shell shows no box of its own (SEE_MASK_FLAG_NO_UI): a failure gets the program's one box.
BOOL OpenQuietly(LPCWSTR target) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = target;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteAndActivate(&info) && reinterpret_cast<INT_PTR>(info.hInstApp) > 32;
}

LPCWSTR ErrorTitle(const CLanguage* language) {
    return language && language->Error[0] ? language->Error : L"Error";
}

} // namespace

void OpenHelpFile(const CLanguage* language) {
    std::wstring path = GetProgramDirectory() + kHelpFileName;
    if (OpenQuietly(path.c_str()))
        return;
    std::wstring text = std::wstring(L"Error opening help file ") + kHelpFileName;
    MessageBoxW(nullptr, text.c_str(), ErrorTitle(language), MB_ICONERROR | MB_SYSTEMMODAL);
}

std::wstring DonationAddress() {
    std::wstring address = kDonationAddress;
    CRegistryKey international;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\International", 0, KEY_QUERY_VALUE,
                      international.Receive()) != ERROR_SUCCESS)
        return address;
    // Room for one character and its terminator: a longer symbol does not fit and is not the euro.
    wchar_t symbol[2] = {};
    DWORD size = sizeof(symbol);
    DWORD type = 0;
    if (RegQueryValueExW(international.Get(), L"sCurrency", nullptr, &type, reinterpret_cast<BYTE*>(symbol), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ && symbol[0] == kEuroSign && symbol[1] == L'\0')
        address += L"&currency_code=EUR";
    return address;
}

void OpenDonationPage(const CLanguage* language) {
    if (OpenQuietly(DonationAddress().c_str()))
        return;
    std::wstring text =
        std::wstring(L"Error Opening default browser. You can make a donation going to ") + kHomePageAddress;
    MessageBoxW(nullptr, text.c_str(), ErrorTitle(language), MB_ICONERROR | MB_SYSTEMMODAL);
}

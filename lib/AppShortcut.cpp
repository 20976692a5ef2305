#include "lib/AppShortcut.h"

#include "lib/ComPtr.h"
#include "lib/ShellLink.h"

#include <objbase.h>
#include <propidl.h>
#include <propsys.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace {

// System.AppUserModel.ID, spelled out: propkey.h defines its keys only where INITGUID is set.
const PROPERTYKEY kAppUserModelIdKey = {{0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}},
                                        5};

// A PROPVARIANT that owns its string, released with it.
class CPropVariant {
public:
    CPropVariant() { PropVariantInit(&m_value); }
    ~CPropVariant() { PropVariantClear(&m_value); }
    CPropVariant(const CPropVariant&) = delete;
    CPropVariant& operator=(const CPropVariant&) = delete;

    HRESULT SetText(const std::wstring& text) {
        PropVariantClear(&m_value);
        size_t bytes = (text.size() + 1) * sizeof(WCHAR);
        auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
        if (!copy)
            return E_OUTOFMEMORY;
        memcpy(copy, text.c_str(), bytes);
        m_value.vt = VT_LPWSTR;
        m_value.pwszVal = copy;
        return S_OK;
    }
    std::wstring Text() const { return m_value.vt == VT_LPWSTR && m_value.pwszVal ? m_value.pwszVal : L""; }
    PROPVARIANT* Get() { return &m_value; }

private:
    PROPVARIANT m_value;
};

HRESULT SetAppUserModelId(IShellLinkW* link, const std::wstring& identifier) {
    CComPtr<IPropertyStore> properties;
    HRESULT hr = link->QueryInterface(IID_PPV_ARGS(&properties));
    if (FAILED(hr))
        return hr;
    CPropVariant value;
    hr = value.SetText(identifier);
    if (SUCCEEDED(hr))
        hr = properties->SetValue(kAppUserModelIdKey, *value.Get());
    // Without Commit the value stays in the object and never reaches the file.
    return SUCCEEDED(hr) ? properties->Commit() : hr;
}

} // namespace

HRESULT WriteAppShortcut(LPCWSTR path, const AppShortcut& shortcut) {
    CComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
    if (FAILED(hr))
        return hr;
    hr = link->SetPath(shortcut.target.c_str());
    if (SUCCEEDED(hr))
        hr = link->SetArguments(shortcut.arguments.c_str());
    if (SUCCEEDED(hr) && !shortcut.iconPath.empty())
        hr = link->SetIconLocation(shortcut.iconPath.c_str(), shortcut.iconIndex);
    if (SUCCEEDED(hr) && !shortcut.description.empty())
        hr = link->SetDescription(shortcut.description.c_str());
    if (SUCCEEDED(hr) && !shortcut.appUserModelId.empty())
        hr = SetAppUserModelId(link.Get(), shortcut.appUserModelId);
    if (FAILED(hr))
        return hr;
    CComPtr<IPersistFile> file;
    hr = link.As(&file);
    return SUCCEEDED(hr) ? file->Save(path, TRUE) : hr;
}

HRESULT ReadAppShortcut(LPCWSTR path, AppShortcut* shortcut) {
    *shortcut = AppShortcut();
    CComPtr<IShellLinkW> link;
    HRESULT hr = LoadShellLink(path, &link);
    if (FAILED(hr))
        return hr;
    WCHAR text[INFOTIPSIZE];
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)))
        shortcut->target = text;
    if (SUCCEEDED(link->GetArguments(text, ARRAYSIZE(text))))
        shortcut->arguments = text;
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &shortcut->iconIndex)))
        shortcut->iconPath = text;
    if (SUCCEEDED(link->GetDescription(text, ARRAYSIZE(text))))
        shortcut->description = text;
    CComPtr<IPropertyStore> properties;
    if (SUCCEEDED(link.As(&properties))) {
        CPropVariant value;
        if (SUCCEEDED(properties->GetValue(kAppUserModelIdKey, value.Get())))
            shortcut->appUserModelId = value.Text();
    }
    return S_OK;
}

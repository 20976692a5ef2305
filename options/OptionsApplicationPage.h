#pragma once
#include <windows.h>

#include "lib/GdiObject.h"
#include "options/GdiPlusBitmap.h"

#include <memory>

class CApplicationOptions;
class CLanguage;
class IOptionsPageHost;

// The application page of the options dialog: language, start with Windows, where the
// configuration lives, skin and its preview, launch mode and theme.
class COptionsApplicationPage {
public:
    explicit COptionsApplicationPage(IOptionsPageHost& host) : m_host(host) {}
    COptionsApplicationPage(const COptionsApplicationPage&) = delete;
    COptionsApplicationPage& operator=(const COptionsApplicationPage&) = delete;

    // The page edits `options` from now on; pictures are read only when GDI+ runs.
    void Attach(CApplicationOptions& options, BOOL picturesReadable);
    // Lets the skin preview go, while GDI+ still runs.
    void Detach();
    void Load();
    void Save();
    // The language file chosen in the list; null when it is gone or unreadable.
    std::unique_ptr<CLanguage> ReadChosenLanguage() const;
    void OnSkinChanged();
    // The launch bar's pages are enabled only in Launch Bar mode.
    void OnLaunchModeChanged();
    // The skin list's "None" in the new language.
    void ApplyLanguage(const CLanguage& language);

private:
    void FillLanguageList();
    void FillSkinList();
    void ShowSkinPreview();

    IOptionsPageHost& m_host;
    CApplicationOptions* m_pOptions = nullptr; // the dialog's copy
    BOOL m_picturesReadable = FALSE;
    CGdiPlusBitmap m_skinPreview;
    CBitmapHandle m_shownSkinPreview;
};

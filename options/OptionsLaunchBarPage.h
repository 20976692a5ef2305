#pragma once
#include <windows.h>

class CLaunchBarOptions;
class COptionsColorButtons;
class IOptionsPageHost;

// The launch bar page of the options dialog: the bar's monitor, place, icons, background, opacity,
// active area, sizes and margins.
class COptionsLaunchBarPage {
public:
    COptionsLaunchBarPage(IOptionsPageHost& host, COptionsColorButtons& colors) : m_host(host), m_colors(colors) {}
    COptionsLaunchBarPage(const COptionsLaunchBarPage&) = delete;
    COptionsLaunchBarPage& operator=(const COptionsLaunchBarPage&) = delete;

    // Fills the page's lists; the page edits `bar` from now on.
    void Attach(CLaunchBarOptions& bar);
    void Load();
    // A number the page cannot take (no number, or out of its range) keeps the value it had.
    void Save();

private:
    IOptionsPageHost& m_host;
    COptionsColorButtons& m_colors;
    CLaunchBarOptions* m_pBar = nullptr; // the dialog's copy
};

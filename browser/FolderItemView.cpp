#include "browser/FolderItemView.h"

#include "config/SpecialPath.h"
#include "lib/PathText.h"

FOLDERSETTINGS FolderSettingsOfItem(const CSingleFolderOptions& item) {
    FOLDERSETTINGS settings = {FVM_LIST, FWF_NOWEBVIEW};
    switch (item.FolderViewMode) {
        case 0:
        case 5:
        case 6:
        case 7:
            settings.ViewMode = FVM_ICON;
            break;
        case 2:
            settings.ViewMode = FVM_SMALLICON;
            break;
        case 4:
            settings.ViewMode = FVM_DETAILS;
            break;
        case 9:
            settings.ViewMode = FVM_THUMBNAIL;
            break;
        case 10:
            settings.ViewMode = FVM_THUMBSTRIP;
            break;
    }
    return settings;
}

void ApplyFolderItemView(CShellBrowserEx& browser, const CSingleFolderOptions& item) {
    browser.SetExclusionFilter(item.ExclusionFilters);
    browser.SetInclusionFilter(item.InclusionFilters);
    browser.SetNavigateIntoFolders(item.AllowSubFoldersNavigation);
    browser.SetShowFolders(item.IncludeSubFolders);
    browser.SetOneClickActivate(item.OneClickActivate);
    browser.SetTextColor(item.TextColorSepcified, item.TextColor);
    browser.SetTextBackgroundColor(item.TextBackgroundColorSepcified, item.TextBackgroundColor);
    browser.SetBackgroundType(item.BackgroundType);
    switch (item.BackgroundType) {
        case CShellBrowserEx::BackgroundSolid:
            browser.SetBackgroundColor(item.BackgroundColor);
            break;
        case CShellBrowserEx::BackgroundGradient:
            browser.RenderGradient(item.BackgroundColor1, item.BackgroundColor2, item.BackgroundGradiantType);
            break;
        case CShellBrowserEx::BackgroundPicture: {
            WCHAR picture[MAX_PATH];
            if (ResolvePathAgainst(GetProgramDirectory(), item.BackgroundImagePath, picture, MAX_PATH))
                browser.RenderPicture(picture, item.BackgroundImagePosition);
            break;
        }
    }
    browser.ApplyTextColors();
    browser.ApplyBackground();
}

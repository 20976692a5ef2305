#pragma once
#include "config/IIniFileArrayItem.h"

#include <windows.h>

// Every text of the user interface as KEY(name, buffer size in characters, terminator included),
// in the order the texts are declared and written to a language file. The name is both the
// member of CLanguage and the key in the file.
#define PATHWREN_LANGUAGE_KEYS(KEY)                                                                                    \
    KEY(FolderNotFound, 128)                                                                                           \
    KEY(Show, 64)                                                                                                      \
    KEY(Options, 64)                                                                                                   \
    KEY(Help, 64)                                                                                                      \
    KEY(About, 64)                                                                                                     \
    KEY(MakeADonation, 64)                                                                                             \
    KEY(Exit, 64)                                                                                                      \
    KEY(CheckForUpdate, 64)                                                                                            \
    KEY(Add, 64)                                                                                                       \
    KEY(Remove, 64)                                                                                                    \
    KEY(Folders, 64)                                                                                                   \
    KEY(Horizontal, 64)                                                                                                \
    KEY(Vertical, 64)                                                                                                  \
    KEY(Diagonal, 64)                                                                                                  \
    KEY(BackwardDiagonal, 64)                                                                                          \
    KEY(Stretched, 64)                                                                                                 \
    KEY(Centered, 64)                                                                                                  \
    KEY(UpLeft, 64)                                                                                                    \
    KEY(UpCenter, 64)                                                                                                  \
    KEY(UpRight, 64)                                                                                                   \
    KEY(Left, 64)                                                                                                      \
    KEY(Right, 64)                                                                                                     \
    KEY(BottomLeft, 64)                                                                                                \
    KEY(BottomCenter, 64)                                                                                              \
    KEY(BottomRight, 64)                                                                                               \
    KEY(Icons, 64)                                                                                                     \
    KEY(SmallIcons, 64)                                                                                                \
    KEY(List, 64)                                                                                                      \
    KEY(Detail, 64)                                                                                                    \
    KEY(Thumbnails, 64)                                                                                                \
    KEY(Tiles, 64)                                                                                                     \
    KEY(ThumbStrip, 64)                                                                                                \
    KEY(Type, 64)                                                                                                      \
    KEY(SystemSpecialPath, 64)                                                                                         \
    KEY(LocalOrRelativePath, 64)                                                                                       \
    KEY(UnsupportedImageFormat, 64)                                                                                    \
    KEY(BrowsingOptions, 64)                                                                                           \
    KEY(FileFilters, 64)                                                                                               \
    KEY(Customization, 64)                                                                                             \
    KEY(MoveUp, 64)                                                                                                    \
    KEY(MoveDown, 64)                                                                                                  \
    KEY(NoFolderSelected, 64)                                                                                          \
    KEY(Error, 64)                                                                                                     \
    KEY(ForMoreInformations, 64)                                                                                       \
    KEY(See, 64)                                                                                                       \
    KEY(ProjectHomePage, 64)                                                                                           \
    KEY(Or, 64)                                                                                                        \
    KEY(UserManual, 64)                                                                                                \
    KEY(Author, 64)                                                                                                    \
    KEY(ShortcutType, 64)                                                                                              \
    KEY(Desktop, 64)                                                                                                   \
    KEY(Browser, 64)                                                                                                   \
    KEY(Menu, 64)                                                                                                      \
    KEY(MultipleFoldersMenu, 64)                                                                                       \
    KEY(AssociatedIcon, 64)                                                                                            \
    KEY(Ok, 64)                                                                                                        \
    KEY(Cancel, 64)                                                                                                    \
    KEY(Background, 64)                                                                                                \
    KEY(None, 64)                                                                                                      \
    KEY(Color, 64)                                                                                                     \
    KEY(Gradiant, 64)                                                                                                  \
    KEY(Picture, 64)                                                                                                   \
    KEY(Color1, 64)                                                                                                    \
    KEY(Color2, 64)                                                                                                    \
    KEY(ApplicationOptions, 64)                                                                                        \
    KEY(ConfigurationType, 64)                                                                                         \
    KEY(SingleUser, 64)                                                                                                \
    KEY(MultipleUsers, 64)                                                                                             \
    KEY(LaunchAtWindowsStartup, 128)                                                                                   \
    KEY(LaunchMode, 64)                                                                                                \
    KEY(NotifyIcon, 64)                                                                                                \
    KEY(LaunchBar, 64)                                                                                                 \
    KEY(IncludeSubfolders, 128)                                                                                        \
    KEY(AllowSubfoldersNavigation, 256)                                                                                \
    KEY(AllowSubfoldersLinksNavigation, 256)                                                                           \
    KEY(HideFilesExtensions, 128)                                                                                      \
    KEY(HideShortcutsOverlay, 256)                                                                                     \
    KEY(RememberLastPosition, 128)                                                                                     \
    KEY(SingleClickSelection, 128)                                                                                     \
    KEY(AutoHideOnExecution, 128)                                                                                      \
    KEY(ViewType, 64)                                                                                                  \
    KEY(TextColor, 64)                                                                                                 \
    KEY(BackgroundColor, 64)                                                                                           \
    KEY(ExclusionFilters, 64)                                                                                          \
    KEY(InclusionFilters, 64)                                                                                          \
    KEY(Language, 64)                                                                                                  \
    KEY(Skin, 64)                                                                                                      \
    KEY(Path, 64)                                                                                                      \
    KEY(Position, 64)                                                                                                  \
    KEY(ZOrder, 64)                                                                                                    \
    KEY(Normal, 64)                                                                                                    \
    KEY(TopMost, 64)                                                                                                   \
    KEY(ZBottom, 64)                                                                                                   \
    KEY(Bottom, 64)                                                                                                    \
    KEY(HideToolBarForHomeFolder, 128)                                                                                 \
    KEY(HideToolBar, 128)                                                                                              \
    KEY(Hide, 64)                                                                                                      \
    KEY(Maximize, 64)                                                                                                  \
    KEY(Reduce, 64)                                                                                                    \
    KEY(SaveIconsPositionsForHomeFolder, 128)                                                                          \
    KEY(ShowAtStartup, 128)                                                                                            \
    KEY(StartMaximized, 128)                                                                                           \
    KEY(Medium, 64)                                                                                                    \
    KEY(Large, 64)                                                                                                     \
    KEY(ExtraLarge, 64)                                                                                                \
    KEY(ShowHideHotKey, 128)                                                                                           \
    KEY(Name, 64)                                                                                                      \
    KEY(LaunchBarSpecific, 128)                                                                                        \
    KEY(OverIcon, 64)                                                                                                  \
    KEY(PressedIcon, 64)                                                                                               \
    KEY(Monitor, 64)                                                                                                   \
    KEY(Direction, 64)                                                                                                 \
    KEY(UseFullWidthHeight, 128)                                                                                       \
    KEY(IconsSize, 64)                                                                                                 \
    KEY(UseTransparentColor, 128)                                                                                      \
    KEY(Opacity, 64)                                                                                                   \
    KEY(ActiveAreaThickness, 128)                                                                                      \
    KEY(MinWidth, 64)                                                                                                  \
    KEY(MinHeight, 64)                                                                                                 \
    KEY(Margins, 64)                                                                                                   \
    KEY(Top, 64)                                                                                                       \
    KEY(EnableHotCorner, 128)                                                                                          \
    KEY(HotCorner, 64)                                                                                                 \
    KEY(Width, 64)                                                                                                     \
    KEY(Height, 64)                                                                                                    \
    KEY(LeftOrTop, 128)                                                                                                \
    KEY(CenterOrMiddle, 128)                                                                                           \
    KEY(RightOrBottom, 128)                                                                                            \
    KEY(SpaceBeforeIcon, 128)                                                                                          \
    KEY(MergeMenus, 128)                                                                                               \
    KEY(FoldersPositionInPopupMenu, 128)                                                                               \
    KEY(MixedWithFiles, 128)                                                                                           \
    KEY(GoToHomeFolder, 128)                                                                                           \
    KEY(GoBack, 128)                                                                                                   \
    KEY(GoForward, 128)                                                                                                \
    KEY(GoUp, 128)                                                                                                     \
    KEY(OpenFolderWithWindowsExplorer, 128)                                                                            \
    KEY(Move, 128)                                                                                                     \
    KEY(Close, 128)                                                                                                    \
    KEY(Merged, 64)                                                                                                    \
    KEY(MergeToSpecificFolder, 128)                                                                                    \
    KEY(EmptyMergedFolderName, 128)                                                                                    \
    KEY(CommandNotUnderstood, 256)                                                                                     \
    KEY(UnknownItem, 256)                                                                                              \
    KEY(ShortcutItemDeleted, 256)                                                                                      \
    KEY(CreateTaskbarShortcut, 128)                                                                                    \
    KEY(AddToStartMenu, 128)                                                                                           \
    KEY(PinShortcutHint, 256)                                                                                          \
    KEY(Theme, 64)                                                                                                     \
    KEY(System, 64)                                                                                                    \
    KEY(Light, 64)                                                                                                     \
    KEY(Dark, 64)

// The user-interface texts: built-in English, overridden key by key by a language file
// (section "Language"). Callers read a text directly by its key, e.g. language.Exit.
class CLanguage : public IIniFileArrayItem {
public:
    CLanguage();
    virtual ~CLanguage() {}

    // Reads every key present in the file; a missing key keeps its current text and a text
    // longer than its buffer is cut to fit. Always TRUE.
    BOOL Load(CIniFile& file) override;
    // Writes every key in declaration order, giving translators a complete file. Always TRUE.
    BOOL Save(CIniFile& file) override;

    // Calls action(key, text buffer, buffer size in characters) once per key, in file order.
    template <class Action> void ForEachText(Action action) {
#define PATHWREN_VISIT_LANGUAGE_TEXT(name, size) action(L"" #name, name, static_cast<DWORD>(size));
        PATHWREN_LANGUAGE_KEYS(PATHWREN_VISIT_LANGUAGE_TEXT)
#undef PATHWREN_VISIT_LANGUAGE_TEXT
    }

#define PATHWREN_DECLARE_LANGUAGE_TEXT(name, size) WCHAR name[size];
    PATHWREN_LANGUAGE_KEYS(PATHWREN_DECLARE_LANGUAGE_TEXT)
#undef PATHWREN_DECLARE_LANGUAGE_TEXT
};

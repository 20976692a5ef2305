#include "menus/FolderMenuItem.h"

#include "menus/FolderMenuLevel.h"

#include <cwchar>

namespace {

// Names and paths live in 260-character buffers everywhere else in the program; longer text is cut
// to what such a buffer holds.
std::wstring CutToPathLength(LPCWSTR text) {
    return std::wstring(text, wcsnlen(text, MAX_PATH - 1));
}

} // namespace

CFolderMenuItem::CFolderMenuItem(LPCWSTR path, LPCWSTR name, BOOL isFolder,
                                 std::unique_ptr<CFolderMenuLevel> subMenuLevel)
    : m_name(CutToPathLength(name)), m_extensionCut(FALSE), m_commandId(0), m_isFolder(isFolder), m_hTypeIcon(nullptr),
      m_iconPending(FALSE), m_hShownIcon(nullptr), m_subMenuLevel(std::move(subMenuLevel)), m_hasIconStamp(FALSE),
      m_iconStamp(), m_foldersAwaited(0), m_holdsShownFile(TRUE), m_hUnknownIcon(nullptr) {
    m_paths.push_back(CutToPathLength(path));
}

CFolderMenuItem::~CFolderMenuItem() = default;

std::unique_ptr<CFolderMenuLevel> CFolderMenuItem::TakeSubMenuLevelToReuse() {
    if (!m_subMenuLevel || m_subMenuLevel->GetMenu())
        return std::move(m_subMenuLevel);
    return m_subMenuLevel->TakePrevious();
}

void CFolderMenuItem::AddPath(LPCWSTR path) {
    m_paths.push_back(CutToPathLength(path));
}

void CFolderMenuItem::RemovePath(const std::wstring& path) {
    // The last path stays: an entry always has one.
    for (auto found = m_paths.begin(); m_paths.size() > 1 && found != m_paths.end(); ++found) {
        if (*found == path) {
            m_paths.erase(found);
            return;
        }
    }
}

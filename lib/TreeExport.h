#pragma once
#include <windows.h>

#include <string>
#include <vector>

// An item of a tree as it is exported: its text, whether it is expanded, its children.
struct ExportTreeItem {
    std::wstring text;
    bool expanded = false;
    std::vector<ExportTreeItem> children;
};

enum class TreeFormat { Xml, Html, Text };

// The format a file name asks for by its extension, without regard to case; text for any other.
TreeFormat TreeFormatFromPath(LPCWSTR path);

// The exported text, without the byte order mark: the items with everything below them, or with
// only the children of expanded items when expandedOnly.
std::wstring FormatTree(const std::vector<ExportTreeItem>& roots, TreeFormat format, bool expandedOnly);

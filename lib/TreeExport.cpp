#include "lib/TreeExport.h"

#include "lib/PathText.h"

namespace {

// "&" first, or the other escapes would be escaped again.
std::wstring EscapeMarkup(const std::wstring& text) {
    std::wstring escaped;
    for (wchar_t c : text) {
        if (c == L'&')
            escaped += L"&amp;";
        else if (c == L'<')
            escaped += L"&lt;";
        else if (c == L'>')
            escaped += L"&gt;";
        else
            escaped += c;
    }
    return escaped;
}

void WriteItem(const ExportTreeItem& item, int depth, TreeFormat format, bool expandedOnly, std::wstring& out) {
    switch (format) {
        case TreeFormat::Xml:
            out += L"<ITEM><NAME>" + EscapeMarkup(item.text) + L"</NAME>";
            break;
        case TreeFormat::Html:
            out += L"<TABLE><TR><TD>" + EscapeMarkup(item.text);
            break;
        case TreeFormat::Text:
            out += std::wstring(depth, L'\t') + item.text;
            break;
    }
    if (!(expandedOnly && !item.expanded) && !item.children.empty()) {
        if (format == TreeFormat::Html)
            out += L"</TD><TD><TABLE BORDER=\"1\">";
        else if (format == TreeFormat::Text)
            out += L"\r\n";
        for (const ExportTreeItem& child : item.children) {
            if (format == TreeFormat::Html)
                out += L"<TR><TD>";
            WriteItem(child, depth + 1, format, expandedOnly, out);
            if (format == TreeFormat::Html)
                out += L"</TD></TR>";
        }
        if (format == TreeFormat::Html)
            out += L"</TABLE>";
    }
    switch (format) {
        case TreeFormat::Xml:
            out += L"</ITEM>\r\n";
            break;
        case TreeFormat::Html:
            out += L"</TD></TR></TABLE>\r\n";
            break;
        case TreeFormat::Text:
            out += L"\r\n";
            break;
    }
}

} // namespace

TreeFormat TreeFormatFromPath(LPCWSTR path) {
    if (HasExtension(path, L"xml"))
        return TreeFormat::Xml;
    if (HasExtension(path, L"html"))
        return TreeFormat::Html;
    return TreeFormat::Text;
}

std::wstring FormatTree(const std::vector<ExportTreeItem>& roots, TreeFormat format, bool expandedOnly) {
    std::wstring out;
    if (format == TreeFormat::Xml)
        out += L"<TREEVIEW>";
    else if (format == TreeFormat::Html)
        out += L"<HTML><BODY><TABLE BORDER=\"1\"><TR><TD>";
    for (const ExportTreeItem& root : roots)
        WriteItem(root, 0, format, expandedOnly, out);
    if (format == TreeFormat::Xml)
        out += L"</TREEVIEW>";
    else if (format == TreeFormat::Html)
        out += L"</TD></TR></TABLE></BODY></HTML>";
    return out;
}

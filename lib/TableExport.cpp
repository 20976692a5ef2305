#include "lib/TableExport.h"

#include "lib/PathText.h"

#include <cstdio>
#include <cstring>

namespace {

const wchar_t kHtmlStart[] =
    L"<HTML><BODY>\r\n"
    L"<style type=\"text/css\"><!--table, th, td {border: 1px solid black;} table {margin: 0px; padding: 0px; "
    L"border-spacing: 0px; border-collapse: collapse;}--></style>\r\n"
    L"<TABLE align=\"center\">\r\n";
const char kRtfStart[] = "{\\rtf1\\ansi\\paperw12240\\paperh15840\\margl1800\\margr1800\\margt0\\margb0"
                         "{\\fonttbl{\\f0\\fmodern\\fcharset0\\fprq1 Courier New;}}";
// Twips per pixel at 96 DPI, for the RTF cell borders.
const int kTwipsPerPixel = 15;

// "&" first, or the other escapes would be escaped again.
std::wstring EscapeMarkup(const std::wstring& text, bool blanksToo) {
    std::wstring escaped;
    for (wchar_t c : text) {
        switch (c) {
            case L'&':
                escaped += L"&amp;";
                break;
            case L'<':
                escaped += L"&lt;";
                break;
            case L'>':
                escaped += L"&gt;";
                break;
            case L' ':
                escaped += blanksToo ? L"&nbsp;" : L" ";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::wstring Hex(COLORREF color) {
    wchar_t text[8];
    _snwprintf(text, 8, L"%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    text[7] = L'\0';
    return text;
}

std::wstring FormatXml(const ExportTable& table) {
    std::wstring out = L"<LISTVIEW>\r\n<HROW>";
    for (const std::wstring& title : table.titles)
        out += L"<HCOLUMN>" + EscapeMarkup(title, false) + L"</HCOLUMN>";
    out += L"</HROW>\r\n";
    for (const ExportTable::Row& row : table.rows) {
        out += L"<ROW>";
        for (const std::wstring& cell : row.cells)
            out += L"<COLUMN>" + EscapeMarkup(cell, false) + L"</COLUMN>";
        out += L"</ROW>\r\n";
    }
    return out + L"</LISTVIEW>\r\n";
}

std::wstring HtmlCell(const std::wstring& text) {
    return text.empty() ? L"&nbsp;" : EscapeMarkup(text, true);
}

std::wstring FormatHtml(const ExportTable& table) {
    std::wstring out = kHtmlStart;
    out += L"<TR>";
    for (const std::wstring& title : table.titles)
        out += L"<TH style=\"background-color:#F1F1F1;\">" + HtmlCell(title) + L"</TH>";
    out += L"</TR>\r\n";
    for (const ExportTable::Row& row : table.rows) {
        std::wstring open = L"<TD>";
        if (row.colored)
            open = L"<TD style=\"background-color:#" + Hex(row.background) + L";color:#" + Hex(row.text) + L"\">";
        out += L"<TR>";
        for (const std::wstring& cell : row.cells)
            out += open + HtmlCell(cell) + L"</TD>";
        out += L"</TR>\r\n";
    }
    return out + L"</TABLE>\r\n</BODY></HTML>\r\n";
}

std::string RtfText(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'{' || c == L'}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c > 0x7F) {
            char code[16];
            snprintf(code, sizeof(code), "\\u%04u?", static_cast<unsigned>(c));
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Rows with colours reference the colour table by index; index 0 is the reader's automatic colour.
std::string FormatRtf(const ExportTable& table) {
    std::vector<COLORREF> colors;
    auto indexOf = [&colors](COLORREF color) {
        for (size_t index = 0; index < colors.size(); ++index) {
            if (colors[index] == color)
                return static_cast<unsigned>(index + 1);
        }
        colors.push_back(color);
        return static_cast<unsigned>(colors.size());
    };
    for (const ExportTable::Row& row : table.rows) {
        if (row.colored) {
            indexOf(row.background);
            indexOf(row.text);
        }
    }
    std::string out = kRtfStart;
    out += "{\\colortbl;";
    for (COLORREF color : colors) {
        char entry[64];
        snprintf(entry, sizeof(entry), "\\red%u\\green%u\\blue%u;", GetRValue(color), GetGValue(color),
                 GetBValue(color));
        out += entry;
    }
    out += "}\r\n\\f0\\fs20\r\n";

    auto writeRow = [&](const std::vector<std::wstring>& cells, const ExportTable::Row* colored) {
        // Character formatting outlives the paragraph: rows without colours go back to the
        // reader's automatic ones.
        std::string cellPattern, textColors = colors.empty() ? "" : "\\highlight0 \\cf0 ";
        if (colored) {
            cellPattern = "\\clcbpat" + std::to_string(indexOf(colored->background)) + " ";
            textColors = "\\highlight" + std::to_string(indexOf(colored->background)) + " \\cf" +
                         std::to_string(indexOf(colored->text)) + " ";
        }
        out += "\\trowd";
        int right = 0;
        for (size_t column = 0; column < cells.size(); ++column) {
            right += (column < table.widths.size() ? table.widths[column] : 100) * kTwipsPerPixel;
            out += cellPattern + "\\cellx" + std::to_string(right);
        }
        out += "\r\n\\pard\\intbl " + textColors;
        for (const std::wstring& cell : cells)
            out += RtfText(cell) + "\\cell ";
        out += "\\row \r\n";
    };
    writeRow(table.titles, nullptr);
    for (const ExportTable::Row& row : table.rows)
        writeRow(row.cells, row.colored ? &row : nullptr);
    return out + "}\r\n";
}

std::wstring FormatCsv(const ExportTable& table) {
    std::wstring out;
    auto writeRow = [&out](const std::vector<std::wstring>& cells) {
        for (size_t column = 0; column < cells.size(); ++column) {
            out += column ? L";\"" : L"\"";
            for (wchar_t c : cells[column])
                out += c == L'"' ? std::wstring(L"\"\"") : std::wstring(1, c);
            out += L"\"";
        }
        out += L"\r\n";
    };
    writeRow(table.titles);
    for (const ExportTable::Row& row : table.rows)
        writeRow(row.cells);
    return out;
}

std::wstring TabSeparated(const std::vector<std::wstring>& cells) {
    std::wstring line;
    for (size_t column = 0; column < cells.size(); ++column)
        line += (column ? L"\t" : L"") + cells[column];
    return line + L"\r\n";
}

std::vector<BYTE> Utf16WithMark(const std::wstring& text) {
    std::vector<BYTE> bytes(2 + text.size() * sizeof(wchar_t));
    bytes[0] = 0xFF;
    bytes[1] = 0xFE;
    if (!text.empty())
        memcpy(bytes.data() + 2, text.data(), text.size() * sizeof(wchar_t));
    return bytes;
}

std::vector<BYTE> Ansi(const std::wstring& text) {
    if (text.empty())
        return {};
    int length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::vector<BYTE> bytes(length > 0 ? length : 0);
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                            reinterpret_cast<char*>(bytes.data()), length, nullptr, nullptr);
    return bytes;
}

} // namespace

TableFormat TableFormatFromPath(LPCWSTR path) {
    if (HasExtension(path, L"rtf"))
        return TableFormat::Rtf;
    if (HasExtension(path, L"csv"))
        return TableFormat::Csv;
    if (HasExtension(path, L"xml"))
        return TableFormat::Xml;
    if (HasExtension(path, L"html"))
        return TableFormat::Html;
    return TableFormat::Text;
}

std::vector<BYTE> FormatTable(const ExportTable& table, TableFormat format) {
    switch (format) {
        case TableFormat::Xml:
            return Utf16WithMark(FormatXml(table));
        case TableFormat::Html:
            return Utf16WithMark(FormatHtml(table));
        case TableFormat::Rtf: {
            std::string rtf = FormatRtf(table);
            return std::vector<BYTE>(rtf.begin(), rtf.end());
        }
        case TableFormat::Csv:
            return Ansi(FormatCsv(table));
        case TableFormat::Text:
            break;
    }
    std::wstring text = TabSeparated(table.titles);
    for (const ExportTable::Row& row : table.rows)
        text += TabSeparated(row.cells);
    return Utf16WithMark(text);
}

std::wstring TableRowsAsText(const ExportTable& table) {
    std::wstring text;
    for (const ExportTable::Row& row : table.rows)
        text += TabSeparated(row.cells);
    return text;
}

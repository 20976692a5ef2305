#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The rows of a list view as they are saved: column titles and widths, then the cells of each
// row, and the colours of the rows that have their own.
struct ExportTable {
    struct Row {
        std::vector<std::wstring> cells;
        bool colored = false;
        COLORREF background = 0;
        COLORREF text = 0;
    };
    std::vector<std::wstring> titles;
    std::vector<int> widths; // pixels
    std::vector<Row> rows;
};

enum class TableFormat { Xml, Html, Rtf, Csv, Text };

// The format a file name asks for by its extension, without regard to case; text for any other.
TableFormat TableFormatFromPath(LPCWSTR path);

// The file's bytes: UTF-16LE after FF FE for XML, HTML and text, single-byte without a mark for
// RTF (non-ASCII as \u escapes) and CSV (in the ANSI code page).
std::vector<BYTE> FormatTable(const ExportTable& table, TableFormat format);

// The rows alone as UTF-16 text, cells separated by tabs, rows ended by CR LF: the clipboard's form.
std::wstring TableRowsAsText(const ExportTable& table);

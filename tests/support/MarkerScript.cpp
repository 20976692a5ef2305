#include "support/MarkerScript.h"

#include "support/FileFixtures.h"

bool WriteMarkerScript(const std::wstring& script, const std::wstring& marker, const std::string& line) {
    std::string text = "@echo " + line + ">\"" + std::string(marker.begin(), marker.end()) + "\"\r\n";
    return WriteFileBytes(script, std::vector<unsigned char>(text.begin(), text.end()));
}

std::string WaitForMarkerLine(const std::wstring& marker, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20)) {
        std::vector<unsigned char> bytes = ReadFileBytes(marker);
        std::string text(bytes.begin(), bytes.end());
        size_t end = text.find_first_of("\r\n");
        if (end == std::string::npos)
            continue; // not written yet, or still being written
        text.resize(end);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        return text;
    }
    return "(nothing written)";
}

#pragma once
#include "lib/FileSystem.h"
#include "lib/WindowSubclass.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A common control on a shown parent window that hands the control's notifications to the
// control's wrapper, as the program's windows do.
template <class Wrapper> class WrappedControlTest : public ::testing::Test {
protected:
    HWND CreateControl(LPCWSTR className, DWORD style, int width, int height) {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, width + 20, height + 40,
                                 nullptr, nullptr, nullptr, nullptr);
        return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    void Wrap(Wrapper* wrapper) {
        view.reset(wrapper);
        forwarding.Install(parent, ForwardNotify, 0, reinterpret_cast<DWORD_PTR>(wrapper));
    }
    void TearDown() override {
        forwarding.Remove();
        view.reset();
        DestroyWindow(parent);
    }

    HWND parent = nullptr;
    std::unique_ptr<Wrapper> view;
    CWindowSubclass forwarding;

private:
    static LRESULT CALLBACK ForwardNotify(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR wrapper) {
        LRESULT result = 0;
        if (message == WM_NOTIFY && reinterpret_cast<Wrapper*>(wrapper)->OnNotify(lParam, &result))
            return result;
        return DefSubclassProc(window, message, wParam, lParam);
    }
};

// Saves into a folder that is not there, and over a file whose new content cannot be written
// beside it: each save fails with one box, and the file keeps what it had. Gives each target with
// the text of its box.
inline std::vector<std::pair<std::wstring, std::wstring>> RefusedSaves(const TempDirectory& temp,
                                                                       const std::function<BOOL(LPCWSTR)>& save) {
    const std::wstring missingFolder = temp.File(L"missing folder\\saved.xml"), kept = temp.File(L"kept.xml");
    WriteUtf16File(kept, L"old content");
    CreateDirectoryW((kept + L".tmp").c_str(), nullptr);
    std::vector<std::pair<std::wstring, std::wstring>> boxes;
    for (const std::wstring& impossible : {missingFolder, kept}) {
        DialogScriptDriver driver({DialogScriptDriver::Press(IDOK)});
        EXPECT_FALSE(save(impossible.c_str())) << testing::PrintToString(impossible);
        auto dialogs = driver.Finish();
        EXPECT_EQ(1u, dialogs.size()) << testing::PrintToString(impossible);
        boxes.emplace_back(impossible, dialogs.empty() ? L"" : dialogs[0].text);
    }
    EXPECT_FALSE(IsExistingFile(missingFolder.c_str()));
    EXPECT_EQ(L"old content", ReadUtf16File(kept));
    return boxes;
}

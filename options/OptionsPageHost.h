#pragma once
#include <windows.h>

class CLanguage;

// What a page of the options dialog may ask of the dialog around it: its window, the language it
// shows, an error box, and the tree node of the item being edited.
class IOptionsPageHost {
public:
    virtual HWND Dialog() const = 0;
    // The language the dialog shows now; picking another one replaces it.
    virtual const CLanguage& Language() const = 0;
    virtual int ShowError(LPCWSTR text) = 0;
    // The small icon of the item being edited, for its node of the tree, which copies it.
    virtual void ShowItemImage(HICON small) = 0;

protected:
    ~IOptionsPageHost() = default;
};

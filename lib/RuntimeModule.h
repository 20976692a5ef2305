#pragma once
#include <windows.h>

// A system DLL reached at run time, held by a reference of this object's own for as long as it
// lives. Lets optional functions be called without linking the DLL, so a missing DLL or export
// only skips the step that needs it.
class CRuntimeModule {
public:
    explicit CRuntimeModule(const wchar_t* name);
    ~CRuntimeModule();
    CRuntimeModule(const CRuntimeModule&) = delete;
    CRuntimeModule& operator=(const CRuntimeModule&) = delete;

    HMODULE Handle() const { return m_module; }

    // The export as a typed function pointer; null when the DLL or the export is missing.
    template <typename Function> Function Procedure(const char* name) const {
        if (!m_module)
            return nullptr;
        FARPROC address = GetProcAddress(m_module, name);
        // The detour through a generic function pointer keeps -Wcast-function-type quiet; the
        // caller names the export's real signature.
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    }

private:
    HMODULE m_module;
};

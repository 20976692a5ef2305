#include "lib/RuntimeModule.h"

// Every object takes its own reference, even to a DLL the process has loaded already: borrowing
// another owner's load would leave this object's function pointers dangling once that owner frees
// it (two containers alive at once during a rebuild did exactly that).
CRuntimeModule::CRuntimeModule(const wchar_t* name) : m_module(LoadLibraryW(name)) {}

CRuntimeModule::~CRuntimeModule() {
    if (m_module)
        FreeLibrary(m_module);
}

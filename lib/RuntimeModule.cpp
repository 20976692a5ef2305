#include "lib/RuntimeModule.h"

CRuntimeModule::CRuntimeModule(const wchar_t* name) : m_module(GetModuleHandleW(name)), m_loadedHere(FALSE) {
    if (m_module)
        return;
    m_module = LoadLibraryW(name);
    m_loadedHere = m_module != nullptr;
}

CRuntimeModule::~CRuntimeModule() {
    if (m_loadedHere)
        FreeLibrary(m_module);
}

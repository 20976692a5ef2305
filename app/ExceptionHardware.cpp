#include "app/ExceptionHardware.h"

#include <cwchar>

namespace {

struct ExceptionName {
    DWORD code;
    const wchar_t* name;
};

const ExceptionName kExceptionNames[] = {
    {0x80000001, L"GUARD_PAGE"},           {0x80000002, L"DATATYPE_MISALIGNMENT"},
    {0x80000003, L"BREAKPOINT"},           {0x80000004, L"SINGLE_STEP"},
    {0xC0000006, L"IN_PAGE_ERROR"},        {0xC0000008, L"INVALID_HANDLE"},
    {0xC000001D, L"ILLEGAL_INSTRUCTION"},  {0xC0000025, L"NONCONTINUABLE_EXCEPTION"},
    {0xC0000026, L"INVALID_DISPOSITION"},  {0xC000008C, L"ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008D, L"FLT_DENORMAL_OPERAND"}, {0xC000008E, L"FLT_DIVIDE_BY_ZERO"},
    {0xC000008F, L"FLT_INEXACT_RESULT"},   {0xC0000090, L"FLT_INVALID_OPERATION"},
    {0xC0000091, L"FLT_OVERFLOW"},         {0xC0000092, L"FLT_STACK_CHECK"},
    {0xC0000093, L"FLT_UNDERFLOW"},        {0xC0000094, L"INT_DIVIDE_BY_ZERO"},
    {0xC0000095, L"INT_OVERFLOW"},         {0xC0000096, L"PRIV_INSTRUCTION"},
    {0xC00000FD, L"STACK_OVERFLOW"},
};

const DWORD kAccessViolation = 0xC0000005;

const wchar_t* ExceptionNameOf(DWORD code) {
    for (const ExceptionName& entry : kExceptionNames) {
        if (entry.code == code)
            return entry.name;
    }
    return nullptr;
}

} // namespace

CExceptionHardware::CExceptionHardware(unsigned int code, EXCEPTION_POINTERS* exceptionPointers)
    : m_message(), m_code(code), m_exceptionPointers(exceptionPointers) {
    BuildMessage(exceptionPointers ? exceptionPointers->ExceptionRecord : nullptr);
}

void CExceptionHardware::Translator(unsigned int code, EXCEPTION_POINTERS* exceptionPointers) {
    throw CExceptionHardware(code, exceptionPointers);
}

void CExceptionHardware::BuildMessage(const EXCEPTION_RECORD* record) {
    // The Windows C runtime's _snwprintf rather than MinGW's C99 swprintf: its %p reads the way
    // Windows shows addresses everywhere else, sixteen upper-case digits. Given one character
    // less than the buffer it cuts an over-long text there, and the last one ends the string.
    void* address = record ? record->ExceptionAddress : nullptr;
    if (m_code == kAccessViolation) {
        wchar_t detail[MAX_PATH] = L"ACCESS_VIOLATION";
        if (record && record->NumberParameters >= 2) {
            const wchar_t* access = record->ExceptionInformation[0] == 0 ? L"reading" : L"writing";
            _snwprintf(detail, MAX_PATH - 1, L"ACCESS_VIOLATION %ls location 0x%p", access,
                       reinterpret_cast<void*>(record->ExceptionInformation[1]));
        }
        _snwprintf(m_message, MAX_PATH - 1, L"%ls at address 0x%p.", detail, address);
    } else if (const wchar_t* name = ExceptionNameOf(m_code)) {
        _snwprintf(m_message, MAX_PATH - 1, L"%ls at address 0x%p.", name, address);
    } else {
        _snwprintf(m_message, MAX_PATH - 1, L"Unknown exception at address 0x%p.", address);
    }
    m_message[MAX_PATH - 1] = L'\0';
}

#pragma once
#include <windows.h>

// A processor exception (access violation, division by zero, ...) turned into a C++ object, so
// that it unwinds the stack like any throw and reaches the entry point's one handler. Thrown by
// value; the exception pointers refer to copies that stay valid after the stack is unwound.
class CExceptionHardware {
public:
    CExceptionHardware(unsigned int code, EXCEPTION_POINTERS* exceptionPointers);

    // The function installed as the thread's translator: throws the exception described by code
    // and pointers. Never returns.
    [[noreturn]] static void Translator(unsigned int code, EXCEPTION_POINTERS* exceptionPointers);

    const wchar_t* Message() const { return m_message; }
    unsigned int Code() const { return m_code; }
    EXCEPTION_POINTERS* ExceptionPointers() const { return m_exceptionPointers; }

private:
    void BuildMessage(const EXCEPTION_RECORD* record);

    wchar_t m_message[MAX_PATH];
    unsigned int m_code;
    EXCEPTION_POINTERS* m_exceptionPointers;
};

#include "app/ExceptionHardware.h"
#include "app/StructuredExceptionTranslator.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

std::wstring MessageFor(DWORD code, void* address, std::initializer_list<ULONG_PTR> parameters = {}) {
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = code;
    record.ExceptionAddress = address;
    for (ULONG_PTR parameter : parameters)
        record.ExceptionInformation[record.NumberParameters++] = parameter;
    CONTEXT context = {};
    EXCEPTION_POINTERS pointers = {&record, &context};
    CExceptionHardware exception(code, &pointers);
    EXPECT_EQ(code, exception.Code());
    EXPECT_EQ(&pointers, exception.ExceptionPointers());
    return exception.Message();
}

void* const kAddress = reinterpret_cast<void*>(0x7FF6A1B2C3D4);

// Installs the translator for the test's thread and takes it away again, whatever the outcome.
class TranslatorScope {
public:
    TranslatorScope() { SetStructuredExceptionTranslator(CExceptionHardware::Translator); }
    ~TranslatorScope() { SetStructuredExceptionTranslator(nullptr); }
    TranslatorScope(const TranslatorScope&) = delete;
    TranslatorScope& operator=(const TranslatorScope&) = delete;
};

class DestructorFlag {
public:
    explicit DestructorFlag(bool* destroyed) : m_destroyed(destroyed) {}
    ~DestructorFlag() { *m_destroyed = true; }
    DestructorFlag(const DestructorFlag&) = delete;
    DestructorFlag& operator=(const DestructorFlag&) = delete;

private:
    bool* m_destroyed;
};

// The volatile accesses keep the compiler from proving the faults away: it may drop a division
// whose result nobody uses, and a store through a pointer it knows to be null.
volatile int* volatile g_nullTarget = nullptr;

__attribute__((noinline)) int DivideByZero(bool* destroyed) {
    DestructorFlag flag(destroyed);
    volatile int zero = 0;
    volatile int quotient = 7 / zero;
    return quotient;
}

__attribute__((noinline)) void WriteToNull(bool* destroyed) {
    DestructorFlag flag(destroyed);
    *g_nullTarget = 1;
}

} // namespace

TEST(ExceptionHardware, MessageNamesTheExceptionAndTheFaultingAddress) {
    EXPECT_EQ(L"INT_DIVIDE_BY_ZERO at address 0x00007FF6A1B2C3D4.", MessageFor(0xC0000094, kAddress));
    EXPECT_EQ(L"FLT_INVALID_OPERATION at address 0x00007FF6A1B2C3D4.", MessageFor(0xC0000090, kAddress));
    EXPECT_EQ(L"BREAKPOINT at address 0x00007FF6A1B2C3D4.", MessageFor(0x80000003, kAddress));
    EXPECT_EQ(L"STACK_OVERFLOW at address 0x00007FF6A1B2C3D4.", MessageFor(0xC00000FD, kAddress));
    EXPECT_EQ(L"Unknown exception at address 0x00007FF6A1B2C3D4.", MessageFor(0xE06D7363, kAddress))
        << "a code outside the table, here a foreign C++ exception";
}

TEST(ExceptionHardware, AccessViolationMessageTellsTheAccessAndTheInaccessibleAddress) {
    EXPECT_EQ(L"ACCESS_VIOLATION reading location 0x0000000000000010 at address 0x00007FF6A1B2C3D4.",
              MessageFor(0xC0000005, kAddress, {0, 0x10}));
    EXPECT_EQ(L"ACCESS_VIOLATION writing location 0x0000000000000000 at address 0x00007FF6A1B2C3D4.",
              MessageFor(0xC0000005, kAddress, {1, 0}));
    EXPECT_EQ(L"ACCESS_VIOLATION writing location 0x00000000DEADBEEF at address 0x00007FF6A1B2C3D4.",
              MessageFor(0xC0000005, kAddress, {8, 0xDEADBEEF}))
        << "any non-zero access kind (8: execute) counts as writing";
    EXPECT_EQ(L"ACCESS_VIOLATION at address 0x00007FF6A1B2C3D4.", MessageFor(0xC0000005, kAddress, {1}))
        << "without the inaccessible address the detail is left out";
}

TEST(StructuredExceptionTranslator, FaultsBecomeThrowsThatUnwindTheFaultingFrame) {
    TranslatorScope translator;
    for (int round = 0; round < 2; ++round) {
        bool destroyed = false;
        try {
            DivideByZero(&destroyed);
            ADD_FAILURE() << "the division did not fault";
        } catch (const CExceptionHardware& exception) {
            EXPECT_TRUE(destroyed) << "round " << round << ": the faulting frame was not unwound";
            EXPECT_EQ(0xC0000094u, exception.Code());
            const EXCEPTION_POINTERS* pointers = exception.ExceptionPointers();
            ASSERT_NE(nullptr, pointers);
            EXPECT_EQ(0xC0000094u, pointers->ExceptionRecord->ExceptionCode);
            EXPECT_EQ(reinterpret_cast<DWORD64>(pointers->ExceptionRecord->ExceptionAddress),
                      pointers->ContextRecord->Rip)
                << "the context is the one of the fault";
            wchar_t expected[MAX_PATH];
            swprintf(expected, MAX_PATH, L"INT_DIVIDE_BY_ZERO at address 0x%016llX.",
                     reinterpret_cast<unsigned long long>(pointers->ExceptionRecord->ExceptionAddress));
            EXPECT_STREQ(expected, exception.Message());
        }
    }

    bool destroyed = false;
    try {
        WriteToNull(&destroyed);
        ADD_FAILURE() << "the write did not fault";
    } catch (const CExceptionHardware& exception) {
        EXPECT_TRUE(destroyed);
        std::wstring message = exception.Message();
        EXPECT_EQ(L"ACCESS_VIOLATION writing location 0x0000000000000000 at address 0x", message.substr(0, 66));
    }
}

TEST(StructuredExceptionTranslator, LeavesFaultsThatSystemCodeHandlesToTheSystem) {
    TranslatorScope translator;
    // lstrlenW catches bad pointers itself and answers 0; translating its fault would turn a
    // documented result into a crash.
    const wchar_t* volatile invalid = reinterpret_cast<const wchar_t*>(16);
    try {
        EXPECT_EQ(0, lstrlenW(invalid));
    } catch (const CExceptionHardware& exception) {
        ADD_FAILURE() << "translated: " << testing::PrintToString(std::wstring(exception.Message()));
    }
}

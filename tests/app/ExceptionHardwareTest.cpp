#include "app/ExceptionHardware.h"
#include "app/StructuredExceptionTranslator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring MessageFor(DWORD code, std::vector<ULONG_PTR> parameters = {}) {
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = code;
    record.ExceptionAddress = reinterpret_cast<void*>(0x7FF6A1B2C3D4);
    for (ULONG_PTR parameter : parameters)
        record.ExceptionInformation[record.NumberParameters++] = parameter;
    CONTEXT context = {};
    EXCEPTION_POINTERS pointers = {&record, &context};
    return CExceptionHardware(code, &pointers).Message();
}

} // namespace

// desktop-free: ExceptionHardware
TEST(ExceptionHardware, MessageNamesTheExceptionTheAccessAndTheFaultingAddress) {
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        // One named code stands for the table's others, which take the same way.
        {L"INT_DIVIDE_BY_ZERO", MessageFor(0xC0000094)},
        // A code outside the table, here a foreign C++ exception.
        {L"Unknown exception", MessageFor(0xE06D7363)},
        {L"ACCESS_VIOLATION reading location 0x0000000000000010", MessageFor(0xC0000005, {0, 0x10})},
        {L"ACCESS_VIOLATION writing location 0x0000000000000000", MessageFor(0xC0000005, {1, 0})},
        // Any non-zero access kind (8: execute) counts as writing.
        {L"ACCESS_VIOLATION writing location 0x00000000DEADBEEF", MessageFor(0xC0000005, {8, 0xDEADBEEF})},
        // Without the inaccessible address the detail is left out.
        {L"ACCESS_VIOLATION", MessageFor(0xC0000005, {1})}};
    for (const auto& test : cases)
        EXPECT_EQ(test.first + L" at address 0x00007FF6A1B2C3D4.", test.second);
}

// desktop-free: StructuredExceptionTranslator
TEST(StructuredExceptionTranslator, LeavesFaultsThatSystemCodeHandlesToTheSystem) {
    SetStructuredExceptionTranslator(CExceptionHardware::Translator);
    // lstrlenW catches bad pointers itself and answers 0; translating its fault would turn a
    // documented result into a crash.
    const wchar_t* volatile invalid = reinterpret_cast<const wchar_t*>(16);
    try {
        EXPECT_EQ(0, lstrlenW(invalid));
    } catch (const CExceptionHardware& exception) {
        ADD_FAILURE() << "translated: " << testing::PrintToString(std::wstring(exception.Message()));
    }
    SetStructuredExceptionTranslator(nullptr);
}

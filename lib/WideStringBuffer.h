#pragma once
#include <windows.h>

// A growable, always terminated UTF-16 string for building long texts (search results, exports)
// piece by piece. Appending fails only when memory runs out, and then leaves the text as it was.
class CWideStringBuffer {
public:
    explicit CWideStringBuffer(size_t initialCapacity = 256);
    ~CWideStringBuffer();
    CWideStringBuffer(const CWideStringBuffer&) = delete;
    CWideStringBuffer& operator=(const CWideStringBuffer&) = delete;

    // Appends count characters of text as they are.
    BOOL Append(LPCWSTR text, size_t count);
    // Appends one character; NUL is ignored, so the text never holds an embedded terminator.
    BOOL Append(WCHAR character);
    // Formats with the C runtime's _vsnwprintf (wide strings are written %ls) and appends at most
    // count - 1 characters of the result. Returns the formatter's result: the number of characters
    // appended, or a negative value when the output was cut to fit.
    int AppendFormat(size_t count, LPCWSTR format, ...);

    LPCWSTR GetText() const { return m_text ? m_text : L""; }
    size_t GetLength() const { return m_length; }

    // Hands the text to the caller, who frees it with delete[]; null when there is no buffer of its
    // own to give. The object can still show the text until the next append, which starts a new buffer.
    LPWSTR Detach();

private:
    BOOL Grow(size_t requiredCapacity);

    LPWSTR m_text;
    size_t m_length;
    size_t m_capacity;
    BOOL m_ownsBuffer;
};

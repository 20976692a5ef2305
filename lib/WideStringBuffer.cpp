#include "lib/WideStringBuffer.h"

#include <cstdarg>
#include <cwchar>
#include <new>

namespace {

// Keeps the doubling below from overflowing size_t.
const size_t kLargestCapacity = static_cast<size_t>(-1) / (4 * sizeof(WCHAR));

} // namespace

CWideStringBuffer::CWideStringBuffer(size_t initialCapacity)
    : m_text(nullptr), m_length(0), m_capacity(0), m_ownsBuffer(FALSE) {
    if (initialCapacity == 0 || initialCapacity > kLargestCapacity)
        initialCapacity = 1;
    m_text = new (std::nothrow) WCHAR[initialCapacity];
    if (!m_text)
        return;
    m_text[0] = L'\0';
    m_capacity = initialCapacity;
    m_ownsBuffer = TRUE;
}

CWideStringBuffer::~CWideStringBuffer() {
    if (m_ownsBuffer)
        delete[] m_text;
}

BOOL CWideStringBuffer::Grow(size_t requiredCapacity) {
    // A detached buffer belongs to the caller now, so it is never written again.
    if (requiredCapacity < m_capacity && m_ownsBuffer)
        return TRUE;
    if (requiredCapacity > kLargestCapacity || m_capacity > kLargestCapacity)
        return FALSE;
    size_t newCapacity = requiredCapacity * 2 > m_capacity * 2 ? requiredCapacity * 2 : m_capacity * 2;
    LPWSTR newText = new (std::nothrow) WCHAR[newCapacity];
    if (!newText)
        return FALSE;
    if (m_text)
        wmemcpy(newText, m_text, m_length);
    newText[m_length] = L'\0';
    if (m_ownsBuffer)
        delete[] m_text;
    m_text = newText;
    m_capacity = newCapacity;
    m_ownsBuffer = TRUE;
    return TRUE;
}

BOOL CWideStringBuffer::Append(LPCWSTR text, size_t count) {
    if (count == 0)
        return TRUE;
    if (!text || count > kLargestCapacity || !Grow(m_length + count + 1))
        return FALSE;
    wmemcpy(m_text + m_length, text, count);
    m_length += count;
    m_text[m_length] = L'\0';
    return TRUE;
}

BOOL CWideStringBuffer::Append(WCHAR character) {
    if (character == L'\0')
        return TRUE;
    if (!Grow(m_length + 2))
        return FALSE;
    m_text[m_length++] = character;
    m_text[m_length] = L'\0';
    return TRUE;
}

int CWideStringBuffer::AppendFormat(size_t count, LPCWSTR format, ...) {
    if (count == 0 || !format)
        return 0;
    if (count > kLargestCapacity || !Grow(m_length + count + 1))
        return -1;
    LPWSTR end = m_text + m_length;
    va_list arguments;
    va_start(arguments, format);
    int result = _vsnwprintf(end, count, format, arguments);
    va_end(arguments);
    if (result <= 0) {
        // The formatter leaves cut output unterminated.
        end[count - 1] = L'\0';
        m_length += wcslen(end);
    } else {
        end[result] = L'\0';
        m_length += static_cast<size_t>(result);
    }
    return result;
}

LPWSTR CWideStringBuffer::Detach() {
    if (!m_ownsBuffer)
        return nullptr;
    m_ownsBuffer = FALSE;
    return m_text;
}

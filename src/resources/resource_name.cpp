#include "resources/resource_name.h"

#include <cwctype>

namespace {

bool IsForbiddenCharacter(wchar_t c) {
    if (c < 0x20) return true;
    switch (c) {
        case L'<': case L'>': case L':': case L'"': case L'/': case L'|': case L'?': case L'*':
            return true;
        default:
            return false;
    }
}

bool EqualsIgnoringCase(const std::wstring& text, const wchar_t* word) {
    size_t i = 0;
    for (; word[i] != L'\0'; ++i) {
        if (i >= text.size() || std::towupper(text[i]) != std::towupper(word[i])) return false;
    }
    return i == text.size();
}

// Windows opens the device for these names whatever extension follows ("nul.txt" is NUL),
// and ignores spaces before the extension.
bool IsReservedDeviceName(const std::wstring& component) {
    std::wstring stem = component.substr(0, component.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    static const wchar_t* const kPlain[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* word : kPlain) {
        if (EqualsIgnoringCase(stem, word)) return true;
    }
    if (stem.size() != 4) return false;
    if (!EqualsIgnoringCase(stem.substr(0, 3), L"COM") && !EqualsIgnoringCase(stem.substr(0, 3), L"LPT")) {
        return false;
    }
    const wchar_t digit = stem[3];
    // Superscript one, two and three count as digits here too.
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
           digit == L'\u00B3';
}

bool IsSafeComponent(const std::wstring& component) {
    if (component.empty() || component == L"." || component == L"..") return false;
    for (const wchar_t c : component) {
        if (IsForbiddenCharacter(c)) return false;
    }
    // Windows drops trailing dots and spaces, so "a." would open "a".
    if (component.back() == L'.' || component.back() == L' ') return false;
    return !IsReservedDeviceName(component);
}

}  // namespace

bool IsSafeResourceName(const std::wstring& name) {
    if (name.empty()) return false;
    // A leading backslash (root, UNC, \\?\ and \\.\ prefixes) gives an empty first component, a
    // drive letter a forbidden colon: both fail below.
    size_t start = 0;
    while (true) {
        const size_t end = name.find(L'\\', start);
        const std::wstring component =
            name.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!IsSafeComponent(component)) return false;
        if (end == std::wstring::npos) return true;
        start = end + 1;
    }
}

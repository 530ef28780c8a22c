#include "app/text_helpers.h"

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <cwctype>

#include "app/md5.h"

namespace {

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string WideToMultiByte(UINT codePage, const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::string();
    std::string out(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), length, &out[0], needed, nullptr, nullptr);
    return out;
}

std::wstring MultiByteToWide(UINT codePage, const char* bytes) {
    if (bytes == nullptr || *bytes == '\0') return std::wstring();
    const int needed = ::MultiByteToWideChar(codePage, 0, bytes, -1, nullptr, 0);
    if (needed <= 1) return std::wstring();
    std::wstring out(static_cast<size_t>(needed), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes, -1, &out[0], needed);
    out.resize(static_cast<size_t>(needed - 1));  // drop the terminator the call counted
    return out;
}

int Base64Index(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string WideToAnsi(const std::wstring& text) { return WideToMultiByte(CP_THREAD_ACP, text); }

std::wstring AnsiToWide(const char* bytes) { return MultiByteToWide(CP_THREAD_ACP, bytes); }

bool IsUtf8Text(const char* bytes, int64_t length) {
    if (bytes == nullptr || length <= 0) return false;
    int expected = 0;
    bool allAscii = true;
    for (int64_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c & 0x80) allAscii = false;
        if (expected > 0) {
            if (c < 0x80 || c > 0xBF) return false;
            --expected;
        } else if (c < 0x80) {
            continue;
        } else if (c >= 0xC0 && c <= 0xDF) {
            expected = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            expected = 2;
        } else if (c >= 0xF0 && c <= 0xF7) {
            expected = 3;
        } else if ((c >= 0xF8 && c <= 0xFB) || c >= 0xFE) {
            expected = 4;
        } else if (c >= 0xFC && c <= 0xFD) {
            expected = 5;
        } else {
            return false;  // a continuation byte where a lead byte belongs
        }
    }
    return expected == 0 && !allAscii;
}

bool Utf8ToWide(const char* utf8, std::wstring* out) {
    if (utf8 == nullptr || out == nullptr) return false;
    *out = MultiByteToWide(CP_UTF8, utf8);
    return true;
}

std::wstring TextFromBytes(const std::string& bytes) {
    if (IsUtf8Text(bytes.data(), static_cast<int64_t>(bytes.size()))) {
        std::wstring text;
        Utf8ToWide(bytes.c_str(), &text);
        return text;
    }
    return AnsiToWide(bytes.c_str());
}

bool WideToUtf8(const std::wstring& text, std::string* out) {
    if (out == nullptr) return false;
    *out = WideToMultiByte(CP_UTF8, text);
    return true;
}

std::string ToUtf8(const std::wstring& text) { return WideToMultiByte(CP_UTF8, text); }

bool Base64Encode(const void* data, int64_t count, char* out, int64_t capacity) {
    if ((data == nullptr && count > 0) || out == nullptr || count < 0) return false;
    const int64_t needed = (count + 2) / 3 * 4;
    if (capacity < needed) return false;
    const unsigned char* in = static_cast<const unsigned char*>(data);
    int64_t o = 0;
    int64_t i = 0;
    for (; i + 3 <= count; i += 3) {
        const uint32_t v = (static_cast<uint32_t>(in[i]) << 16) | (static_cast<uint32_t>(in[i + 1]) << 8) | in[i + 2];
        out[o++] = kBase64Alphabet[(v >> 18) & 0x3F];
        out[o++] = kBase64Alphabet[(v >> 12) & 0x3F];
        out[o++] = kBase64Alphabet[(v >> 6) & 0x3F];
        out[o++] = kBase64Alphabet[v & 0x3F];
    }
    const int64_t rest = count - i;
    if (rest == 1) {
        const uint32_t v = static_cast<uint32_t>(in[i]) << 16;
        out[o++] = kBase64Alphabet[(v >> 18) & 0x3F];
        out[o++] = kBase64Alphabet[(v >> 12) & 0x3F];
        out[o++] = '=';
        out[o++] = '=';
    } else if (rest == 2) {
        const uint32_t v = (static_cast<uint32_t>(in[i]) << 16) | (static_cast<uint32_t>(in[i + 1]) << 8);
        out[o++] = kBase64Alphabet[(v >> 18) & 0x3F];
        out[o++] = kBase64Alphabet[(v >> 12) & 0x3F];
        out[o++] = kBase64Alphabet[(v >> 6) & 0x3F];
        out[o++] = '=';
    }
    return true;
}

std::string Base64Encode(const std::string& bytes) {
    std::string out((bytes.size() + 2) / 3 * 4, '\0');
    if (!out.empty()) Base64Encode(bytes.data(), static_cast<int64_t>(bytes.size()), &out[0], static_cast<int64_t>(out.size()));
    return out;
}

bool Base64Decode(const char* text, int64_t length, unsigned char* out, int64_t capacity, int64_t* decodedCount) {
    if (text == nullptr || decodedCount == nullptr) return false;
    int64_t count = 0;
    bool fits = true;
    auto put = [&](unsigned char byte) {
        if (fits && out != nullptr && count < capacity) {
            out[count] = byte;
        } else {
            fits = false;
        }
        ++count;
    };
    int64_t i = 0;
    while (i < length && text[i] != '\0') {
        uint32_t bits = 0;
        int n = 0;
        while (n < 4 && i < length) {
            const int index = Base64Index(static_cast<unsigned char>(text[i++]));
            if (index < 0) continue;
            bits = (bits << 6) | static_cast<uint32_t>(index);
            ++n;
        }
        bits <<= 6 * (4 - n);  // align the group's bits at the top of 24
        const int bytes = n * 6 / 8;
        for (int b = 0; b < bytes; ++b) put(static_cast<unsigned char>(bits >> (16 - 8 * b)));
    }
    *decodedCount = count;
    return fits;
}

std::wstring Base64DecodeToText(const std::string& base64) {
    std::string buffer(base64.size() + 1, '\0');
    int64_t count = 0;
    Base64Decode(base64.data(), static_cast<int64_t>(base64.size()), reinterpret_cast<unsigned char*>(&buffer[0]),
                 static_cast<int64_t>(base64.size()), &count);
    return AnsiToWide(buffer.c_str());
}

std::string UrlDecode(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '+') {
            out.push_back(' ');
        } else if (c == '%' && i + 2 < bytes.size() && HexValue(static_cast<unsigned char>(bytes[i + 1])) >= 0 &&
                   HexValue(static_cast<unsigned char>(bytes[i + 2])) >= 0) {
            out.push_back(static_cast<char>(HexValue(static_cast<unsigned char>(bytes[i + 1])) * 16 +
                                            HexValue(static_cast<unsigned char>(bytes[i + 2]))));
            i += 2;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

bool SplitText(const std::wstring& text, const std::wstring& delimiters, std::vector<std::wstring>* pieces) {
    if (pieces == nullptr || delimiters.empty()) return false;
    const auto isDelimiter = [&](wchar_t c) { return delimiters.find(c) != std::wstring::npos; };
    size_t pos = 0;
    while (true) {
        while (pos < text.size() && isDelimiter(text[pos])) ++pos;
        if (pos >= text.size()) break;
        size_t end = pos;
        while (end < text.size() && !isDelimiter(text[end])) ++end;
        size_t first = pos;
        size_t last = end;
        while (last > first && std::iswspace(text[last - 1])) --last;
        while (first < last && std::iswspace(text[first])) ++first;
        if (first == last) break;
        pieces->push_back(text.substr(first, last - first));
        pos = end;
    }
    return true;
}

std::wstring IntToText(int32_t value) {
    wchar_t buffer[16];
    std::swprintf(buffer, sizeof(buffer) / sizeof(buffer[0]), L"%d", static_cast<int>(value));
    return buffer;
}

std::wstring FormatTimeStamp(int64_t secondsSince1970) {
    const __time64_t t = static_cast<__time64_t>(secondsSince1970);
    struct tm local = {};
    if (_localtime64_s(&local, &t) != 0) return std::wstring();
    wchar_t buffer[32];
    std::swprintf(buffer, sizeof(buffer) / sizeof(buffer[0]), L"%04d%02d%02d%02d%02d%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}

void PackUInt32LE(uint32_t value, std::string* out) {
    if (out == nullptr) return;
    out->assign(4, '\0');
    for (int i = 0; i < 4; ++i) (*out)[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::wstring BytesToHex(const std::string& bytes) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out.push_back(kDigits[c >> 4]);
        out.push_back(kDigits[c & 0x0F]);
    }
    return out;
}

std::wstring Md5Hex(const std::string& bytes) {
    Md5Context context;
    Md5Init(&context);
    Md5Update(&context, bytes.data(), bytes.size());
    unsigned char digest[16];
    Md5Final(digest, &context);
    return BytesToHex(std::string(reinterpret_cast<const char*>(digest), sizeof(digest)));
}

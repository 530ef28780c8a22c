#pragma once

// Conversions between the launcher's wide (UTF-16) texts and the byte strings that files,
// servers and command lines carry, plus the small formatting helpers every subsystem uses.
// Byte strings are std::string and may hold zero bytes. ANSI always means the calling
// thread's ANSI code page (CP_THREAD_ACP).

#include <cstdint>
#include <string>
#include <vector>

std::string WideToAnsi(const std::wstring& text);
// Zero-terminated ANSI bytes; a null pointer gives empty text.
std::wstring AnsiToWide(const char* bytes);
inline std::wstring AnsiToWide(const std::string& bytes) { return AnsiToWide(bytes.c_str()); }

// Well-formed UTF-8 with at least one byte of 0x80 or above (plain ASCII gives false).
bool IsUtf8Text(const char* bytes, int64_t length);
// Decodes zero-terminated UTF-8 (stopping at the first zero byte); false, target untouched,
// when either pointer is null.
bool Utf8ToWide(const char* utf8, std::wstring* out);
// UTF-8 when the whole byte string is UTF-8 text, otherwise ANSI.
std::wstring TextFromBytes(const std::string& bytes);
// Exactly the UTF-8 encoding of the text; false when out is null.
bool WideToUtf8(const std::wstring& text, std::string* out);
// Convenience form for callers that have nothing to report on failure.
std::string ToUtf8(const std::wstring& text);

// Standard alphabet with "=" padding, no line breaks. The buffer form needs a capacity of at
// least 4 * ceil(count / 3) characters (no terminator is written) and gives false otherwise.
bool Base64Encode(const void* data, int64_t count, char* out, int64_t capacity);
std::string Base64Encode(const std::string& bytes);
// Skips every non-alphabet byte; counts every decoded byte in *decodedCount even after the
// buffer is full, and then gives false.
bool Base64Decode(const char* text, int64_t length, unsigned char* out, int64_t capacity,
                  int64_t* decodedCount);
// Decoded bytes up to the first zero byte, read in the ANSI code page.
std::wstring Base64DecodeToText(const std::string& base64);

// "+" becomes a space, "%" and two hex digits the byte they spell; anything else, including a
// "%" without two hex digits after it, is copied unchanged.
std::string UrlDecode(const std::string& bytes);

// Appends the pieces between runs of delimiter characters, trimmed of white space, and stops at
// the first piece that is empty after trimming. The list is not cleared. An empty delimiter
// set is refused (false, nothing appended).
bool SplitText(const std::wstring& text, const std::wstring& delimiters,
               std::vector<std::wstring>* pieces);

std::wstring IntToText(int32_t value);
// 14 digits of local time, "%Y%m%d%H%M%S".
std::wstring FormatTimeStamp(int64_t secondsSince1970);
// Replaces the content with the 4 bytes of the value, least significant first.
void PackUInt32LE(uint32_t value, std::string* out);
// Two upper-case hex digits per byte, no separators.
std::wstring BytesToHex(const std::string& bytes);
// MD5 digest as 32 upper-case hex digits.
std::wstring Md5Hex(const std::string& bytes);

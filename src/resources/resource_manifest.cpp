#include "resources/resource_manifest.h"

#include <algorithm>
#include <cwctype>
#include <limits>

#include "app/text_helpers.h"
#include "resources/file_store.h"

const wchar_t kGameManifestFileName[] = L"version.txt";
const wchar_t kLauncherManifestFileName[] = L"launcher_manifest.txt";
const wchar_t kLauncherPackageFileName[] = L"launcher.tmp";
const wchar_t kPackageDataFileName[] = L"qx_game.qxpkg";

namespace {

// Pieces between runs of delimiters, kept exactly as they stand. Unlike the command-line
// splitter this trims nothing and goes on past a blank piece: a line of spaces in version.txt
// must not hide the entries after it.
std::vector<std::wstring> SplitKeepingSpaces(const std::wstring& text, const wchar_t* delimiters) {
    std::vector<std::wstring> pieces;
    const std::wstring set(delimiters);
    size_t pos = 0;
    while (true) {
        pos = text.find_first_not_of(set, pos);
        if (pos == std::wstring::npos) break;
        const size_t end = text.find_first_of(set, pos);
        pieces.push_back(text.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos));
        if (end == std::wstring::npos) break;
        pos = end;
    }
    return pieces;
}

// Leading white space, an optional sign, then digits up to the first non-digit; no digits read
// as 0, and values beyond the 64-bit range clamp to its limits.
int64_t ParseDecimal(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    // Accumulated as a negative number, whose range holds the most negative value.
    const int64_t lowest = std::numeric_limits<int64_t>::min();
    int64_t value = 0;
    bool clamped = false;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        const int digit = text[i] - L'0';
        if (clamped) continue;
        if (value < (lowest + digit) / 10) {
            clamped = true;
            value = lowest;
            continue;
        }
        value = value * 10 - digit;
    }
    if (negative) return value;
    if (value == lowest) return std::numeric_limits<int64_t>::max();
    return -value;
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::max<int64_t>(std::numeric_limits<int32_t>::min(),
                                                  std::min<int64_t>(std::numeric_limits<int32_t>::max(), value)));
}

bool AppendLengthPrefixed(const std::string& bytes, std::string* out) {
    if (bytes.size() > std::numeric_limits<uint32_t>::max()) return false;
    std::string length;
    PackUInt32LE(static_cast<uint32_t>(bytes.size()), &length);
    *out += length;
    *out += bytes;
    return true;
}

}  // namespace

bool ParseResourceList(const std::wstring& text, ResoureConfigList* list) {
    if (list == nullptr) return false;
    for (const std::wstring& line : SplitKeepingSpaces(text, L"\r\n")) {
        const std::vector<std::wstring> fields = SplitKeepingSpaces(line, L"=");
        if (fields.size() < 2) continue;
        ResoureConfigInfo entry;
        entry.name = fields[0];
        entry.md5 = fields[1];
        if (fields.size() > 2) entry.folder = fields[2];
        if (fields.size() > 3) entry.rangeStart = ParseDecimal(fields[3]);
        if (fields.size() > 4) entry.rangeLength = ClampToInt32(ParseDecimal(fields[4]));
        if (fields.size() > 5) entry.category = fields[5];
        list->push_back(std::move(entry));
    }
    return true;
}

bool LoadResourceList(const std::wstring& path, ResoureConfigList* list) {
    std::wstring text;
    if (list == nullptr || !ReadTextFile(path, &text)) return false;
    return ParseResourceList(text, list);
}

bool SerializeResourceList(const ResoureConfigList& list, std::wstring* text) {
    if (text == nullptr || list.empty()) return false;
    for (const ResoureConfigInfo& entry : list) {
        *text += entry.name;
        *text += L'=';
        *text += entry.md5;
        *text += L"\r\n";
    }
    return true;
}

bool IsLauncherCategory(const std::wstring& category) {
    static const wchar_t kLauncher[] = L"launcher";
    if (category.size() != sizeof(kLauncher) / sizeof(kLauncher[0]) - 1) return false;
    for (size_t i = 0; i < category.size(); ++i) {
        if (std::towlower(category[i]) != kLauncher[i]) return false;
    }
    return true;
}

std::wstring GetPackageBaseUrl(const std::wstring& packageUrl) {
    // Backslashes become "/" before the cut, so that an address written with backslashes loses
    // its file name and folder like any other instead of being cut back to its scheme.
    std::wstring base = packageUrl;
    std::replace(base.begin(), base.end(), L'\\', L'/');
    for (int level = 0; level < 2; ++level) {  // the file name, then the configuration's folder
        const size_t slash = base.rfind(L'/');
        if (slash != std::wstring::npos) base.erase(slash);
    }
    return base + L'/';
}

std::wstring MakePackageDataUrl(const std::wstring& baseUrl, const std::wstring& folder) {
    std::wstring url = baseUrl;
    if (!folder.empty()) url += folder + L'/';
    return url + kPackageDataFileName;
}

bool MakeLauncherPackageRecord(const std::wstring& name, const std::string& content, std::string* record) {
    if (record == nullptr) return false;
    const std::string nameBytes = WideToAnsi(name);
    if (nameBytes.empty() || AnsiToWide(nameBytes) != name) return false;
    std::string out;
    if (!AppendLengthPrefixed(nameBytes, &out) || !AppendLengthPrefixed(content, &out)) return false;
    *record = std::move(out);
    return true;
}

bool MakeLauncherManifestRecord(const std::wstring& manifestText, std::string* record) {
    std::string utf8;
    if (!WideToUtf8(manifestText, &utf8)) return false;
    return MakeLauncherPackageRecord(kLauncherManifestFileName, utf8, record);
}

std::wstring ComputeResourceHash(const std::wstring& rootDirectory) {
    ResoureConfigList entries;
    if (!LoadResourceList(rootDirectory + kGameManifestFileName, &entries)) return std::wstring();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ResoureConfigInfo& a, const ResoureConfigInfo& b) { return a.name < b.name; });
    std::wstring digests;
    for (const ResoureConfigInfo& entry : entries) digests += entry.md5;
    return Md5Hex(WideToAnsi(digests));
}

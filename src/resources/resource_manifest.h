#pragma once

// The manifest formats shared by version.txt, launcher_manifest.txt and the CDN package
// configuration, the addresses of the package data files, the records of launcher.tmp and the
// resource hash handed to the game.

#include <cstdint>
#include <string>
#include <vector>

// One manifest line. Names are paths relative to the game or launcher directory, compared
// exactly by UTF-16 code units.
struct ResoureConfigInfo {
    std::wstring name;
    std::wstring md5;       // compared as text only, never computed from a file
    std::wstring folder;    // CDN folder of the package data file holding the file
    int64_t rangeStart = 0;   // offset of the gzip bytes in that package data file
    int32_t rangeLength = 0;  // number of gzip bytes
    std::wstring category;  // "launcher" in any letter case marks a launcher file
};
using ResoureConfigList = std::vector<ResoureConfigInfo>;

extern const wchar_t kGameManifestFileName[];      // "version.txt", in the root directory
extern const wchar_t kLauncherManifestFileName[];  // "launcher_manifest.txt"
extern const wchar_t kLauncherPackageFileName[];   // "launcher.tmp"
extern const wchar_t kPackageDataFileName[];       // "qx_game.qxpkg"

// Appends one entry per line holding at least a name and a digest, in text order, duplicates
// kept. Lines break at any run of CR and LF; fields at any run of "=" (no empty fields, nothing
// trimmed): name, md5, folder, rangeStart, rangeLength, category; more fields are ignored.
// Never fails.
bool ParseResourceList(const std::wstring& text, ResoureConfigList* list);

// Reads a manifest file (UTF-8, optional byte order mark) and parses it; false when the file
// cannot be read, and nothing is appended then.
bool LoadResourceList(const std::wstring& path, ResoureConfigList* list);

// Appends "name=md5" and CR LF per entry, in list order; false and nothing appended for an
// empty list. Only name and digest are kept on disk.
bool SerializeResourceList(const ResoureConfigList& list, std::wstring* text);

bool IsLauncherCategory(const std::wstring& category);

// The folder above the one holding the package configuration, ending with "/":
// http://host/pc/105/config.txt gives http://host/pc/.
std::wstring GetPackageBaseUrl(const std::wstring& packageUrl);
// The package data file of a CDN folder: base, then folder and "/" when there is a folder, then
// "qx_game.qxpkg".
std::wstring MakePackageDataUrl(const std::wstring& baseUrl, const std::wstring& folder);

// launcher.tmp: byte 0 is the completion flag, records follow it.
constexpr unsigned char kLauncherPackageBuilding = 0x00;
constexpr unsigned char kLauncherPackageComplete = 0x01;
// One record: the name's length (32-bit little-endian), the name in the ANSI code page, the
// content's length, the content. False when the name does not survive the code page (it would
// reach the restart step as another name) or a length does not fit 32 bits.
bool MakeLauncherPackageRecord(const std::wstring& name, const std::string& content,
                               std::string* record);
// The closing record: "launcher_manifest.txt" with the UTF-8 bytes of the manifest text.
bool MakeLauncherManifestRecord(const std::wstring& manifestText, std::string* record);

// RESOURCE_HASH for the game: MD5 (upper-case hex) of the digests in version.txt, sorted by name
// (stable), joined without separator, in the ANSI code page. Read freshly from
// rootDirectory + "version.txt" (rootDirectory ends with a backslash); empty when unreadable.
std::wstring ComputeResourceHash(const std::wstring& rootDirectory);

#pragma once

// Builds the CDN tree the launcher updates from: per-folder package data files
// (<out>\<folder>\qx_game.qxpkg, one gzip member per file, so each file is one byte range)
// and the package configuration (<out>\<configFolder>\<configFile>, one line per file,
// name=md5=folder=rangeStart=rangeLength=category).

#include <cstdint>
#include <string>
#include <vector>

struct PackOptions {
    std::wstring gameDirectory;      // files of category "game"
    std::wstring launcherDirectory;  // files of category "launcher"; may be empty
    std::wstring outputDirectory;
    std::wstring configFolder = L"config";
    std::wstring configFile = L"qx_config.txt";
    // A folder is closed once adding the next file would take it past this many bytes.
    int64_t maxFolderBytes = 256LL * 1024 * 1024;
    int compressionLevel = 6;
};

struct PackedFile {
    std::wstring name;  // relative, backslash-separated
    std::wstring md5;
    std::wstring folder;
    int64_t rangeStart = 0;
    int64_t rangeLength = 0;
    std::wstring category;
    int64_t size = 0;
};

struct PackResult {
    std::vector<PackedFile> files;
    std::vector<std::wstring> errors;  // refused names and file errors; empty on success
    int64_t packageBytes = 0;
};

// Deterministic: the same input folders and options give the same output bytes.
PackResult BuildPackage(const PackOptions& options);

// The address to hand the notice service, given the address under which the output folder
// is served (a trailing "/" is added when missing).
std::wstring PackageAddress(const std::wstring& servedBase, const PackOptions& options);

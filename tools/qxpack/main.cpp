// qxpack: packs a game folder and a launcher folder into the CDN tree the launcher updates from.

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/text_helpers.h"
#include "package_builder.h"

namespace {

void Print(const std::wstring& text, FILE* stream = stdout) {
    std::string bytes = ToUtf8(text + L"\n");
    fwrite(bytes.data(), 1, bytes.size(), stream);
    fflush(stream);
}

int Usage() {
    Print(L"usage: qxpack GAME_FOLDER LAUNCHER_FOLDER OUTPUT_FOLDER SERVED_BASE_URL\n"
          L"              [--folder-mib N] [--level 0-9] [--config-folder NAME] [--config-file NAME]\n"
          L"  LAUNCHER_FOLDER may be \"-\" for a package without launcher files.\n"
          L"  SERVED_BASE_URL is the address under which OUTPUT_FOLDER is served; the package\n"
          L"  address to hand the notice service is printed on success.",
          stderr);
    return 64;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) return Usage();
    PackOptions options;
    options.gameDirectory = argv[1];
    options.launcherDirectory = std::wstring(argv[2]) == L"-" ? L"" : argv[2];
    options.outputDirectory = argv[3];
    std::wstring served = argv[4];
    for (int i = 5; i < argc; ++i) {
        std::wstring flag = argv[i];
        if (i + 1 >= argc) return Usage();
        std::wstring value = argv[++i];
        if (flag == L"--folder-mib") {
            options.maxFolderBytes = _wtoi64(value.c_str()) * 1024 * 1024;
            if (options.maxFolderBytes <= 0) return Usage();
        } else if (flag == L"--level") {
            options.compressionLevel = _wtoi(value.c_str());
            if (options.compressionLevel < 0 || options.compressionLevel > 9) return Usage();
        } else if (flag == L"--config-folder") {
            options.configFolder = value;
        } else if (flag == L"--config-file") {
            options.configFile = value;
        } else {
            return Usage();
        }
    }
    PackResult result = BuildPackage(options);
    if (!result.errors.empty()) {
        for (const std::wstring& error : result.errors) Print(L"qxpack: " + error, stderr);
        return 1;
    }
    int launcherFiles = 0;
    for (const PackedFile& file : result.files) launcherFiles += file.category == L"launcher" ? 1 : 0;
    Print(L"files " + std::to_wstring(result.files.size()) + L" (launcher " + std::to_wstring(launcherFiles) +
          L"), package bytes " + std::to_wstring(result.packageBytes));
    Print(L"package address: " + PackageAddress(served, options));
    return 0;
}

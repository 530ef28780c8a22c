#include "resources/progress_info.h"

const char* ProgressStateName(int state) {
    switch (state) {
    case ProgressLocalCheckBegin: return "ProgressLocalCheckBegin";
    case ProgressLocalCheckEnd: return "ProgressLocalCheckEnd";
    case ProgressLauncherCheckBegin: return "ProgressLauncherCheckBegin";
    case ProgressLauncherCheckEnd: return "ProgressLauncherCheckEnd";
    case ProgressServerCompareBegin: return "ProgressServerCompareBegin";
    case ProgressServerCompareEnd: return "ProgressServerCompareEnd";
    case ProgressDownloadSizeKnown: return "ProgressDownloadSizeKnown";
    case ProgressServerCompareFailed: return "ProgressServerCompareFailed";
    case ProgressServerFetchFailed: return "ProgressServerFetchFailed";
    case ProgressServerUnpackFailed: return "ProgressServerUnpackFailed";
    case ProgressGameUpdateBegin: return "ProgressGameUpdateBegin";
    case ProgressServerLoadFailed: return "ProgressServerLoadFailed";
    case ProgressLauncherUpdateBegin: return "ProgressLauncherUpdateBegin";
    case ProgressLauncherLoadFailed: return "ProgressLauncherLoadFailed";
    case ProgressDownloadProgress: return "ProgressDownloadProgress";
    case ProgressLauncherUpdated: return "ProgressLauncherUpdated";
    case ProgressResourcesReady: return "ProgressResourcesReady";
    default: return "ProgressUnknown";
    }
}

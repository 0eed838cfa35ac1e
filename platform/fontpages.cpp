#include "platform/fontpages.h"

#ifdef __linux__
#include <sys/mman.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#endif

namespace ml {

#ifdef __linux__

namespace {

bool isFontFile(const char* path) {
    const char* dot = std::strrchr(path, '.');
    if (!dot) return false;
    for (const char* ext : {".ttf", ".ttc", ".otf", ".otc", ".TTF", ".TTC", ".OTF", ".pfb"})
        if (std::strcmp(dot, ext) == 0) return true;
    return false;
}

}  // namespace

int releaseFontPages() {
    FILE* maps = std::fopen("/proc/self/maps", "re");
    if (!maps) return 0;
    int advised = 0;
    char line[4096];
    while (std::fgets(line, sizeof line, maps)) {
        unsigned long from = 0, to = 0;
        char perms[5] = {};
        int pathAt = 0;
        if (std::sscanf(line, "%lx-%lx %4s %*s %*s %*s %n", &from, &to, perms, &pathAt) < 3) continue;
        char* path = line + pathAt;
        path[std::strcspn(path, "\n")] = '\0';
        // Only read-only mappings: dropping their pages loses nothing, as none was written.
        if (path[0] != '/' || perms[0] != 'r' || perms[1] != '-' || !isFontFile(path)) continue;
        void* at = reinterpret_cast<void*>(from);
        const size_t len = to - from;
        if (madvise(at, len, MADV_RANDOM) == 0 && madvise(at, len, MADV_DONTNEED) == 0) ++advised;
    }
    std::fclose(maps);
    return advised;
}

#else

int releaseFontPages() { return 0; }

#endif

}  // namespace ml

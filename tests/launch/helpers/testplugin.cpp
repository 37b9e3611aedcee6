// A graphics plug-in as the emulator's plug-in family exports it: the library's
// type as bits and its display name, an 8-bit (UTF-8) string. Built once per
// variant, each under a file name of its own.
#if PLUGIN_VARIANT == 1
#define PLUGIN_TYPE 1u
#define PLUGIN_NAME "GSdx 0.1.16 SSE2 (Caf\xC3\xA9 build)"
#elif PLUGIN_VARIANT == 2
#define PLUGIN_TYPE 1u
#define PLUGIN_NAME "GSdx OpenGL"
#elif PLUGIN_VARIANT == 3
// Graphics and another kind at once: not a graphics plug-in only.
#define PLUGIN_TYPE 3u
#define PLUGIN_NAME "GSdx combined"
#elif PLUGIN_VARIANT == 4
#define PLUGIN_WITHOUT_TYPE
#define PLUGIN_NAME "GSdx without type"
#else
#error "PLUGIN_VARIANT must be 1 to 4"
#endif

extern "C" {

#ifndef PLUGIN_WITHOUT_TYPE
__attribute__((visibility("default"))) unsigned int PS2EgetLibType() {
    return PLUGIN_TYPE;
}
#endif

__attribute__((visibility("default"))) const char* PS2EgetLibName() {
    return PLUGIN_NAME;
}
}

#include "engine/library_loading.h"

namespace {
bool g_loaded = false;
} // namespace

void EnsureLibraryLoaded() {
    // Loading belongs outside the loader lock, so it runs here, at the first call of
    // any export, once.
    if (g_loaded)
        return;
    g_loaded = true;
    LoadLibraryOnce();
}

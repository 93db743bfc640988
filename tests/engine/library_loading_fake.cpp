// The library's loading step as the engine's native test programs provide it: the
// tests count how often it ran.
#include "engine/library_loading.h"
#include "tests/engine/fake_platform.h"

int LibraryLoads = 0;

void LoadLibraryOnce() {
    ++LibraryLoads;
}

// Seam: the library's loading step. Every export runs EnsureLibraryLoaded first; the
// first call runs LoadLibraryOnce, which the program that links the library's
// entry points (gw_engine_library) must define, once:
//   gatewell.dll              engine/library_loading_dll.cpp (caption from the module,
//                             sockets, then the configuration from the registry)
//   the engine's native tests tests/engine/library_loading_fake.cpp (counts the loads)
// Programs that only decide over sessions (the console, gwconfig) link the decision
// core alone (gw_engine) and have no loading step; a definition missing where it is
// needed is a link error for LoadLibraryOnce, named from library_loading.cpp.
#pragma once

// Runs LoadLibraryOnce the first time it is called; later calls do nothing.
void EnsureLibraryLoaded();

// The loading steps, supplied by the program (see above).
void LoadLibraryOnce();

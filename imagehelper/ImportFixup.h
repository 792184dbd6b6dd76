// Readiness of the executable's image when another program loads it.
#pragma once

namespace imagehelper {

// Every export calls this first. When the executable runs as the process, or
// the system loaded it fully, it only checks and returns. Some loaders (Wine
// among them) map an executable loaded as a library without applying its
// base relocations or binding its import table; the first call then does
// both: absolute addresses are moved to where the image lies, each imported
// DLL is found or loaded (first beside the executable) and each import
// address written in. It calls nothing through the import table, reads no
// relocated pointer before fixing them, and needs no global object.
void EnsureImports();

}  // namespace imagehelper

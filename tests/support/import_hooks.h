// Windows builds: points a module's imports at replacements, so that tests can see what the
// library asks of the platform where the platform itself does not say (Wine answers
// GetGuiResources with 0). Patching fails loudly: the reason is kept and reported.
#pragma once

#ifdef _WIN32
#include <string>
#include <vector>

#include <veneer/framework/win32_api.h>

namespace veneer::test::hooks {

// Points the module's import of dll!name at replacement; original receives the import's old
// target. False when the module does not import it.
bool patch_import(HMODULE module, const char* dll, const char* name, void* replacement, void** original);

// Every import of a system DLL by the module, as "dll!name".
std::vector<std::string> imports_of(HMODULE module);

}  // namespace veneer::test::hooks
#endif

// System modules of the headless platform ("user32.dll", ...) exist only as tables of entry
// points, so that a program can look an entry up by name as it would on Win32.
#pragma once

#include <cstddef>

#include <veneer/headless/types.h>

namespace veneer::headless {

// Adds (or replaces) an entry point of a built-in module; the module comes into being with
// its first entry. Names compare without regard to case, as Win32 module names do.
void register_builtin_entry(const char* module, const char* name, FARPROC entry);
// Removes an entry point, to play an older platform that lacks it; false if it was not there.
bool remove_builtin_entry(const char* module, const char* name);
bool restore_builtin_entry(const char* module, const char* name);

// One entry of an area's export table.
struct BuiltinEntry {
  const char* module;
  const char* name;
  FARPROC function;
};

template <typename F>
FARPROC as_entry(F* function) {
  // Through the generic function type, which converts to any other without complaint.
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// Registers an area's whole table. Returns true, so that a table can register itself from a
// static initialiser: `const bool registered = register_builtin_entries(table);`.
template <std::size_t N>
bool register_builtin_entries(const BuiltinEntry (&table)[N]) {
  for (const BuiltinEntry& e : table) register_builtin_entry(e.module, e.name, e.function);
  return true;
}

HMODULE builtin_module_handle(const char* module);
// LoadLibraryA and FreeLibrary of a built-in module. The modules are part of the program, so
// that, as for a DLL a Win32 program imports, freeing never unloads one: it only gives back a
// reference taken by loading.
HMODULE load_builtin_module(const char* module);
bool free_builtin_module(HMODULE module);
unsigned builtin_module_references(HMODULE module);
bool is_builtin_module(HMODULE module);
FARPROC builtin_entry(HMODULE module, const char* name);

}  // namespace veneer::headless

#include "kernel/builtin_modules.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <string>

#include "kernel/object_table.h"

namespace veneer::headless {
namespace {

struct Module {
  std::map<std::string, FARPROC> entries;  // entry names are case-sensitive, as on Win32
  std::map<std::string, FARPROC> removed;  // taken away by a test, to be restored
  unsigned references = 0;                 // LoadLibraryA calls not yet freed
};

std::string fold(const char* name) {
  std::string s(name ? name : "");
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (s.find('.') == std::string::npos) s += ".dll";
  return s;
}

// The module handle is the address of the module's record: unique, stable and never a real
// shared object's base.
std::map<std::string, std::unique_ptr<Module>>& modules() {
  static auto* m = new std::map<std::string, std::unique_ptr<Module>>;
  return *m;
}

Module* module_of(HMODULE handle) {
  for (auto& [name, m] : modules())
    if (reinterpret_cast<HMODULE>(m.get()) == handle) return m.get();
  return nullptr;
}

}  // namespace

void register_builtin_entry(const char* module, const char* name, FARPROC entry) {
  std::lock_guard lock(platform_lock());
  auto& slot = modules()[fold(module)];
  if (!slot) slot = std::make_unique<Module>();
  slot->entries[name] = entry;
}

bool remove_builtin_entry(const char* module, const char* name) {
  std::lock_guard lock(platform_lock());
  auto it = modules().find(fold(module));
  if (it == modules().end()) return false;
  auto entry = it->second->entries.find(name);
  if (entry == it->second->entries.end()) return false;
  it->second->removed[name] = entry->second;
  it->second->entries.erase(entry);
  return true;
}

bool restore_builtin_entry(const char* module, const char* name) {
  std::lock_guard lock(platform_lock());
  auto it = modules().find(fold(module));
  if (it == modules().end()) return false;
  auto entry = it->second->removed.find(name);
  if (entry == it->second->removed.end()) return false;
  it->second->entries[name] = entry->second;
  it->second->removed.erase(entry);
  return true;
}

namespace testing {
bool remove_entry_point(const char* module, const char* name) { return remove_builtin_entry(module, name); }
bool restore_entry_point(const char* module, const char* name) { return restore_builtin_entry(module, name); }
bool replace_entry_point(const char* module, const char* name, FARPROC replacement) {
  if (!remove_builtin_entry(module, name)) return false;
  register_builtin_entry(module, name, replacement);
  return true;
}

unsigned module_references(HMODULE module) { return builtin_module_references(module); }
}  // namespace testing

HMODULE builtin_module_handle(const char* module) {
  std::lock_guard lock(platform_lock());
  auto it = modules().find(fold(module));
  return it == modules().end() ? nullptr : reinterpret_cast<HMODULE>(it->second.get());
}

bool is_builtin_module(HMODULE module) {
  std::lock_guard lock(platform_lock());
  return module_of(module) != nullptr;
}

FARPROC builtin_entry(HMODULE module, const char* name) {
  std::lock_guard lock(platform_lock());
  Module* m = module_of(module);
  if (!m) return nullptr;
  auto it = m->entries.find(name ? name : "");
  return it == m->entries.end() ? nullptr : it->second;
}

HMODULE load_builtin_module(const char* module) {
  std::lock_guard lock(platform_lock());
  auto it = modules().find(fold(module));
  if (it == modules().end()) return nullptr;
  ++it->second->references;
  return reinterpret_cast<HMODULE>(it->second.get());
}

bool free_builtin_module(HMODULE module) {
  std::lock_guard lock(platform_lock());
  Module* m = module_of(module);
  if (!m) return false;
  if (m->references > 0) --m->references;
  return true;
}

unsigned builtin_module_references(HMODULE module) {
  std::lock_guard lock(platform_lock());
  Module* m = module_of(module);
  return m ? m->references : 0;
}

}  // namespace veneer::headless

// The headless module loader: shared objects stand in for DLLs. Module handles are the base
// addresses of the loaded objects, as HMODULEs are on Win32.
#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "kernel/builtin_modules.h"
#include "kernel/object_table.h"
#include "kernel/program_name.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;

namespace {

struct LoadInProgress {
  bool attach_failed = false;
};

thread_local LoadInProgress* current_load = nullptr;

std::set<HMODULE>& failed_modules() {
  static auto* s = new std::set<HMODULE>;
  return *s;
}

// Each successful LoadLibraryA holds one dlopen reference, released by one FreeLibrary.
std::map<HMODULE, std::vector<void*>>& loaded() {
  static auto* m = new std::map<HMODULE, std::vector<void*>>;
  return *m;
}

struct ObjectQuery {
  const void* address = nullptr;    // find the object holding this address...
  const char* base_name = nullptr;  // ...or the object with this file name
  bool main_program = false;        // ...or the program itself
  std::uintptr_t base = 0;
  std::string path;
};

int visit_object(dl_phdr_info* info, size_t, void* data) {
  auto* q = static_cast<ObjectQuery*>(data);
  std::uintptr_t low = UINTPTR_MAX, high = 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const auto& ph = info->dlpi_phdr[i];
    if (ph.p_type != PT_LOAD) continue;
    low = std::min<std::uintptr_t>(low, info->dlpi_addr + ph.p_vaddr);
    high = std::max<std::uintptr_t>(high, info->dlpi_addr + ph.p_vaddr + ph.p_memsz);
  }
  if (low == UINTPTR_MAX) return 0;
  const char* name = info->dlpi_name ? info->dlpi_name : "";
  bool match = false;
  if (q->main_program) {
    match = true;  // the program is always the first object visited
  } else if (q->address) {
    auto a = reinterpret_cast<std::uintptr_t>(q->address);
    match = a >= low && a < high;
  } else if (q->base_name && *name) {
    const char* slash = std::strrchr(name, '/');
    match = strcasecmp(slash ? slash + 1 : name, q->base_name) == 0;
  }
  if (!match) return 0;
  q->base = low;
  q->path = name;
  return 1;
}

ObjectQuery query(ObjectQuery q) {
  dl_iterate_phdr(visit_object, &q);
  return q;
}

// A null module names the program itself: only what the program's own object exports, not
// what the libraries it loaded export.
FARPROC main_program_entry(const char* name) {
  void* symbol = dlsym(RTLD_DEFAULT, name);
  Dl_info info{};
  ObjectQuery program;
  program.main_program = true;
  if (!symbol || !dladdr(symbol, &info) || reinterpret_cast<std::uintptr_t>(info.dli_fbase) != query(program).base) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

}  // namespace

extern "C" {

HMODULE WINAPI HeadlessModuleFromAddress(const void* address) {
  ObjectQuery q;
  q.address = address;
  return reinterpret_cast<HMODULE>(query(q).base);
}

BOOL WINAPI HeadlessRunModuleEntry(HMODULE self, HEADLESS_MODULE_ENTRY entry, DWORD reason) {
  if (reason == DLL_PROCESS_DETACH) {
    {
      std::lock_guard lock(platform_lock());
      if (failed_modules().erase(self) != 0) return TRUE;  // no detach after a failed attach
    }
    return entry(reinterpret_cast<HINSTANCE>(self), DLL_PROCESS_DETACH, nullptr);
  }
  BOOL ok = entry(reinterpret_cast<HINSTANCE>(self), reason, nullptr);
  if (reason != DLL_PROCESS_ATTACH || ok) return ok;
  {
    std::lock_guard lock(platform_lock());
    failed_modules().insert(self);
  }
  if (current_load) {
    current_load->attach_failed = true;
    return FALSE;
  }
  std::fputs("headless loader: a module's initialisation failed; the program cannot start\n", stderr);
  std::_Exit(EXIT_FAILURE);
}

HMODULE WINAPI LoadLibraryA(LPCSTR file_name) {
  if (!file_name || !*file_name) {
    SetLastError(ERROR_MOD_NOT_FOUND);  // as Win32 answers a null or empty name
    return nullptr;
  }
  if (HMODULE builtin = load_builtin_module(file_name)) return builtin;
  LoadInProgress load;
  LoadInProgress* outer = current_load;
  current_load = &load;
  void* handle = dlopen(file_name, RTLD_NOW | RTLD_LOCAL);
  current_load = outer;
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (load.attach_failed) {
    dlclose(handle);  // runs the module's static destructors at once, as Win32's loader does
    SetLastError(ERROR_DLL_INIT_FAILED);
    return nullptr;
  }
  link_map* map = nullptr;
  dlinfo(handle, RTLD_DI_LINKMAP, &map);
  HMODULE module = HeadlessModuleFromAddress(map ? static_cast<const void*>(map->l_ld) : nullptr);
  std::lock_guard lock(platform_lock());
  loaded()[module].push_back(handle);
  return module;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  if (free_builtin_module(module)) return TRUE;
  void* handle = nullptr;
  {
    std::lock_guard lock(platform_lock());
    auto it = loaded().find(module);
    if (it == loaded().end() || it->second.empty()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    handle = it->second.back();
    it->second.pop_back();
    if (it->second.empty()) loaded().erase(it);
  }
  dlclose(handle);
  return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size) {
  if (!call_allowed("GetModuleFileNameA")) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  note_module_file_name_query();
  ObjectQuery q;
  if (module) {
    q.address = module;
  } else {
    q.main_program = true;
  }
  ObjectQuery found = query(q);
  std::string path = found.path;
  if (!module && program_file_name_override(path)) {
    if (path.empty()) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
  } else if (!module || path.empty()) {
    // The program's own object has no name in the loader's list; the kernel knows it.
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path.assign(buffer, static_cast<std::size_t>(n));
  }
  if (module && found.base != reinterpret_cast<std::uintptr_t>(module)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (!file_name || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // As on current Windows: a name that does not fit is cut, terminated, and the full size
  // is returned with ERROR_INSUFFICIENT_BUFFER.
  if (path.size() >= size) {
    std::memcpy(file_name, path.data(), size - 1);
    file_name[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(file_name, path.c_str(), path.size() + 1);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}

HMODULE WINAPI GetModuleHandleA(LPCSTR module_name) {
  ObjectQuery q;
  if (!module_name) {
    q.main_program = true;
    return reinterpret_cast<HMODULE>(query(q).base);
  }
  if (HMODULE builtin = builtin_module_handle(module_name)) return builtin;
  q.base_name = module_name;
  HMODULE found = reinterpret_cast<HMODULE>(query(q).base);
  if (!found) SetLastError(ERROR_MOD_NOT_FOUND);
  return found;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR proc_name) {
  if (!proc_name) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  if (!module) return main_program_entry(proc_name);
  if (is_builtin_module(module)) {
    FARPROC entry = builtin_entry(module, proc_name);
    if (!entry) SetLastError(ERROR_PROC_NOT_FOUND);
    return entry;
  }
  ObjectQuery q;
  q.address = module;
  ObjectQuery found = query(q);
  if (found.base != reinterpret_cast<std::uintptr_t>(module)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  void* handle = dlopen(found.path.empty() ? nullptr : found.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  void* symbol = dlsym(handle, proc_name);
  dlclose(handle);
  if (!symbol) SetLastError(ERROR_PROC_NOT_FOUND);
  return reinterpret_cast<FARPROC>(symbol);
}

}  // extern "C"

#ifdef _WIN32
#include "tests/support/import_hooks.h"

#include <cctype>
#include <cstdint>
#include <cstring>

namespace veneer::test::hooks {
namespace {

// Calls f(dll, name, slot) for every import by name of the module.
template <typename F>
void for_each_import(HMODULE module, F&& f) {
  auto* base = reinterpret_cast<unsigned char*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
    const char* dll = reinterpret_cast<char*>(base + d->Name);
    auto* names =
        reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      f(dll, reinterpret_cast<const char*>(by_name->Name), slots);
    }
  }
}

}  // namespace

bool patch_import(HMODULE module, const char* dll, const char* name, void* replacement, void** original) {
  bool done = false;
  for_each_import(module, [&](const char* d, const char* n, IMAGE_THUNK_DATA* slot) {
    if (done || _stricmp(d, dll) != 0 || std::strcmp(n, name) != 0) return;
    DWORD old = 0;
    if (!VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old)) return;
    *original = reinterpret_cast<void*>(slot->u1.Function);
    slot->u1.Function = reinterpret_cast<std::uintptr_t>(replacement);
    VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
    done = true;
  });
  return done;
}

std::vector<std::string> imports_of(HMODULE module) {
  std::vector<std::string> out;
  for_each_import(module, [&](const char* d, const char* n, IMAGE_THUNK_DATA*) {
    std::string dll = d;
    for (char& c : dll) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    out.push_back(dll + "!" + n);
  });
  return out;
}

}  // namespace veneer::test::hooks
#endif

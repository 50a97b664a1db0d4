#include "kernel/program_name.h"

#include <mutex>

#include "kernel/object_table.h"
#include <veneer/headless/testing.h>

namespace veneer::headless {
namespace {

struct ProgramName {
  std::size_t queries = 0;
  bool overridden = false;
  std::string name;
};

ProgramName& state() {
  static auto* s = new ProgramName;
  return *s;
}

}  // namespace

void note_module_file_name_query() {
  std::lock_guard lock(platform_lock());
  ++state().queries;
}

bool program_file_name_override(std::string& name) {
  std::lock_guard lock(platform_lock());
  if (!state().overridden) return false;
  name = state().name;
  return true;
}

namespace testing {

std::size_t module_file_name_queries() {
  std::lock_guard lock(platform_lock());
  return state().queries;
}

void set_program_file_name(const char* name) {
  std::lock_guard lock(platform_lock());
  state().overridden = name != nullptr;
  state().name = name ? name : "";
}

}  // namespace testing
}  // namespace veneer::headless

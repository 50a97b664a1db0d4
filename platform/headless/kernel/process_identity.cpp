// Process and thread identities: the real process with its real threads, and simulated
// processes and threads that the desktop, the shell and tests play.
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "kernel/object_table.h"
#include "kernel/process_state.h"
#include <veneer/headless/kernel_base.h>
#include <veneer/headless/testing.h>

namespace veneer::headless {
namespace {

struct SimulatedProcess {
  std::string name;
  std::vector<DWORD> threads;
};

struct Registry {
  std::map<DWORD, SimulatedProcess> processes;
  std::map<DWORD, DWORD> thread_owner;  // simulated thread -> its process
  std::set<DWORD> wow64;                // processes playing 32-bit programs
  // Simulated identifiers stay clear of the host's (Linux ids stay below 2^22) and are
  // multiples of four, as Win32's are.
  DWORD next_id = 0x7F000000;
};

Registry& registry() {
  static auto* r = new Registry;
  return *r;
}

DWORD next_id() { return registry().next_id += 4; }

thread_local Identity acting{};
thread_local bool acting_set = false;

}  // namespace

namespace {

// The host's identifiers, asked once: every object a program creates is stamped with its
// process, and a system call each time costs more than many a drawing call. They only change
// in the child of a fork, where a fork handler forgets them.
std::atomic<DWORD> known_process_id{0};
thread_local DWORD known_thread_id = 0;

void forget_identifiers_in_child() {
  known_process_id.store(0, std::memory_order_relaxed);
  known_thread_id = 0;
}

void forget_identifiers_after_fork() {
  static const bool registered = pthread_atfork(nullptr, nullptr, forget_identifiers_in_child) == 0;
  (void)registered;
}

}  // namespace

DWORD real_process_id() {
  DWORD id = known_process_id.load(std::memory_order_relaxed);
  if (id == 0) {
    forget_identifiers_after_fork();
    id = static_cast<DWORD>(getpid());
    known_process_id.store(id, std::memory_order_relaxed);
  }
  return id;
}

DWORD real_thread_id() {
  if (known_thread_id == 0) {
    forget_identifiers_after_fork();
    known_thread_id = static_cast<DWORD>(syscall(SYS_gettid));
  }
  return known_thread_id;
}

Identity current_identity() {
  if (acting_set) return acting;
  return Identity{real_process_id(), real_thread_id()};
}

DWORD current_process_id() { return acting_set ? acting.process_id : real_process_id(); }

IdentityScope::IdentityScope(Identity identity) : previous_(acting), had_previous_(acting_set) {
  acting = identity;
  acting_set = true;
}

IdentityScope::~IdentityScope() {
  acting = previous_;
  acting_set = had_previous_;
}

Identity create_simulated_process(const std::string& name) {
  std::lock_guard lock(platform_lock());
  Identity id{next_id(), next_id()};
  auto& p = registry().processes[id.process_id];
  p.name = name;
  p.threads.push_back(id.thread_id);
  registry().thread_owner[id.thread_id] = id.process_id;
  return id;
}

Identity desktop_identity() {
  static Identity id = create_simulated_process("explorer.exe");
  return id;
}

DWORD create_simulated_thread(DWORD process_id) {
  std::lock_guard lock(platform_lock());
  if (!process_exists(process_id)) return 0;
  DWORD tid = next_id();
  registry().thread_owner[tid] = process_id;
  auto it = registry().processes.find(process_id);
  if (it != registry().processes.end()) it->second.threads.push_back(tid);
  return tid;
}

bool is_real_process(DWORD process_id) { return process_id != 0 && process_id == real_process_id(); }

bool process_exists(DWORD process_id) {
  if (is_real_process(process_id)) return true;
  std::lock_guard lock(platform_lock());
  return registry().processes.count(process_id) != 0;
}

DWORD process_of_thread(DWORD thread_id) {
  if (thread_id == 0) return 0;
  {
    std::lock_guard lock(platform_lock());
    auto it = registry().thread_owner.find(thread_id);
    if (it != registry().thread_owner.end()) return it->second;
  }
  // A real thread of this process is listed by the kernel under the process's tasks.
  std::string task = "/proc/self/task/" + std::to_string(thread_id);
  return access(task.c_str(), F_OK) == 0 ? real_process_id() : 0;
}

bool is_32_bit_process(DWORD process_id) {
  std::lock_guard lock(platform_lock());
  return registry().wow64.count(process_id) != 0;
}

namespace testing {

void set_32_bit_process(DWORD process_id, bool is_32_bit) {
  std::lock_guard lock(platform_lock());
  if (is_32_bit)
    registry().wow64.insert(process_id);
  else
    registry().wow64.erase(process_id);
}

}  // namespace testing

void release_process_memory(DWORD process_id);  // process_memory.cpp

bool end_simulated_process(DWORD process_id) {
  {
    std::lock_guard lock(platform_lock());
    auto it = registry().processes.find(process_id);
    if (it == registry().processes.end()) return false;
    for (DWORD tid : it->second.threads) registry().thread_owner.erase(tid);
    registry().wow64.erase(process_id);
    registry().processes.erase(it);
  }
  release_process_memory(process_id);
  return true;
}

}  // namespace veneer::headless

using namespace veneer::headless;

extern "C" {

DWORD WINAPI GetCurrentProcessId() { return current_process_id(); }
DWORD WINAPI GetCurrentThreadId() { return current_identity().thread_id; }
HANDLE WINAPI GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

}  // extern "C"

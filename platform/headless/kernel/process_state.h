// Internal state of the headless platform's processes: who is calling (the real process and
// thread, or a simulated one that a test or the shell plays), which processes and threads
// exist, and the memory each process owns.
//
// Simulated processes share the host's address space, but a process reads and writes only its
// own pages across the boundary: another process's pages, and pages outside every region of a
// simulated process, cannot be reached through ReadProcessMemory or a toolbar message.
#pragma once

#include <string>

#include <veneer/headless/kernel_process.h>
#include <veneer/headless/types.h>

namespace veneer::headless {

struct Identity {
  DWORD process_id = 0;
  DWORD thread_id = 0;
};

DWORD real_process_id();
DWORD real_thread_id();
// The identity the calling thread acts under: its own, or the one an IdentityScope set.
Identity current_identity();
// Its process alone, for the many calls that need no thread.
DWORD current_process_id();

// Runs the calling thread as another process's thread until the scope ends (nested scopes
// restore the outer identity).
class IdentityScope {
 public:
  explicit IdentityScope(Identity identity);
  ~IdentityScope();
  IdentityScope(const IdentityScope&) = delete;
  IdentityScope& operator=(const IdentityScope&) = delete;

 private:
  Identity previous_;
  bool had_previous_;
};

// The process of the desktop (and of the headless shell): simulated, created on first use.
Identity desktop_identity();

Identity create_simulated_process(const std::string& name);
DWORD create_simulated_thread(DWORD process_id);
bool process_exists(DWORD process_id);
bool is_real_process(DWORD process_id);
// The process of a thread, or 0 when the thread does not exist.
DWORD process_of_thread(DWORD thread_id);
// Whether the process plays a 32-bit program on a 64-bit system (testing::set_32_bit_process).
bool is_32_bit_process(DWORD process_id);
// Ends a simulated process: its memory is released (windows are the desktop's business).
bool end_simulated_process(DWORD process_id);

// Copies from or to the memory of a process, up to the first page that cannot be read (or
// written); returns the count of bytes copied.
SIZE_T copy_from_process(DWORD process_id, const void* address, void* buffer, SIZE_T size);
SIZE_T copy_to_process(DWORD process_id, void* address, const void* buffer, SIZE_T size);

// The process whose handle is given (the pseudo-handle meaning the calling identity's), or 0.
DWORD process_of_handle(HANDLE process);

}  // namespace veneer::headless

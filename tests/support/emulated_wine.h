// Whether this test program is 32-bit x86 code under Wine on a host whose kernel cannot run
// such code itself, so that qemu's user-mode emulator runs it (scripts/setup.sh registers it).
// Some of Wine's machinery does not survive that emulation: threads made by the program
// fail to take a lock, and ReadProcessMemory reads from the wrong place. Tests that depend
// on them skip there and run on every other build.
#pragma once

namespace veneer::test {

bool emulated_32bit_wine();

// Whether this test program runs under Wine as the host's superuser, whom Wine lets open a
// read-only file for writing (measured); Windows refuses everyone, as the headless platform
// does.
bool wine_as_host_superuser();

}  // namespace veneer::test

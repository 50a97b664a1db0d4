// GoogleTest passes every failure and skip message to OutputDebugStringA as well, which
// raises a structured exception to reach a debugger. Under 32-bit Wine running through
// qemu's user-mode emulator (where the kernel cannot run 32-bit programs itself), raising an
// exception ends the process, so one reported failure or skip would kill the whole run.
// The 32-bit test programs therefore bind that import to a function that does nothing; the
// messages still go to standard output.
#if defined(_WIN32) && !defined(_WIN64)

extern "C" {
void __stdcall veneer_no_debug_output(const char*) {}
void(__stdcall* veneer_debug_output_import)(const char*) __asm__("__imp__OutputDebugStringA@4") =
    veneer_no_debug_output;
}

#endif

// shell32's and comctl32's entry tables, so that a program can look an entry up by name
// (GetProcAddress) and a test can take one away to play an older platform.
#include "kernel/builtin_modules.h"
#include <veneer/headless/commctrl.h>
#include <veneer/headless/shell.h>

namespace veneer::headless {
namespace {

const BuiltinEntry entries[] = {
    {"comctl32.dll", "InitCommonControlsEx", as_entry(InitCommonControlsEx)},
    {"shell32.dll", "Shell_NotifyIconA", as_entry(Shell_NotifyIconA)},
    {"shell32.dll", "Shell_NotifyIconGetRect", as_entry(Shell_NotifyIconGetRect)},
};

const bool registered = register_builtin_entries(entries);

}  // namespace
}  // namespace veneer::headless

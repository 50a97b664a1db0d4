// What GetModuleFileNameA knows of the program, and the test hooks that stand in for it.
#pragma once

#include <string>

namespace veneer::headless {

// Counts a GetModuleFileNameA call.
void note_module_file_name_query();
// The program's file name as a test set it: false when none is set (the real one applies);
// true with an empty name when the query is to fail.
bool program_file_name_override(std::string& name);

}  // namespace veneer::headless

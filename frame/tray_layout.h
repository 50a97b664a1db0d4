// The layout of the shell's tray records as the tray's own process lays them out: a toolbar
// button record and the head of the shell's icon record (owner window, then identifier). They
// follow the pointer width of that process, which may differ from the library's own (a 32-bit
// host beside a 64-bit shell, or the other way round).
#pragma once

#include <cstddef>

#include "frame/platform.h"

namespace veneer::frame {

struct TrayRecordLayout {
  std::size_t button_size;   // TBBUTTON: 20 bytes (32-bit) or 32 (64-bit)
  std::size_t state_offset;  // fsState
  std::size_t data_offset;   // dwData: the address of the icon record
  std::size_t pointer_size;  // of dwData and of the owner window handle: 4 or 8
  std::size_t head_size;     // icon record head: 8 bytes (32-bit) or 12 (64-bit)
  std::size_t id_offset;     // the icon identifier, 32-bit, after the window handle
};

// The layout of the process behind the handle; the library's own layout when its width cannot
// be told.
TrayRecordLayout tray_record_layout(HANDLE process);

}  // namespace veneer::frame

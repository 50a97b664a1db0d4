// The Win32 subset of the headless platform: one include for everything it offers.
// Each area has a header of its own.
#pragma once

#include "platform/headless/types.h"

#include "platform/headless/kernel_base.h"

// GDI (bitmaps, device contexts, blits, pens, brushes, regions, gradients)
#include "platform/headless/gdi.h"

// GDI text (fonts, measuring and drawing text)
#include "platform/headless/gdi_text.h"

// USER (windows, messages, the desktop, system parameters)
#include "platform/headless/user.h"

// The clipboard
#include "platform/headless/clipboard.h"

// Processes, their memory and the working set
#include "platform/headless/kernel_process.h"

// Files
#include "platform/headless/kernel_file.h"

// The shell (taskbar, tray icons) and common controls (the toolbar)
#include "platform/headless/commctrl.h"
#include "platform/headless/shell.h"

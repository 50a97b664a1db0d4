// The Win32 subset of the headless platform: one include for everything it offers.
// Each area has a header of its own.
#pragma once

#include "platform/headless/types.h"

#include "platform/headless/kernel_base.h"

// GDI (bitmaps, device contexts, blits, pens, brushes, regions, gradients)
#include "platform/headless/gdi.h"

// GDI text (fonts, measuring and drawing text)

// USER (windows, messages, the desktop, system parameters)

// The clipboard

// Processes, their memory and the working set

// Files

// The shell (taskbar, tray icons) and common controls (the toolbar)

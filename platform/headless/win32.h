// The Win32 subset of the headless platform: one include for everything it offers.
// Each area has a header of its own.
#pragma once

#include <veneer/headless/kernel_base.h>
#include <veneer/headless/types.h>

// GDI (bitmaps, device contexts, blits, pens, brushes, regions, gradients)
#include <veneer/headless/gdi.h>

// GDI text (fonts, measuring and drawing text)
#include <veneer/headless/gdi_text.h>

// USER (windows, messages, the desktop, system parameters)
#include <veneer/headless/user.h>

// The clipboard
#include <veneer/headless/clipboard.h>

// Processes, their memory and the working set
#include <veneer/headless/kernel_process.h>

// Files
#include <veneer/headless/kernel_file.h>

// Tokens and security descriptors (the file permissions a program gives a new file)
#include <veneer/headless/kernel_security.h>

// The shell (taskbar, tray icons) and common controls (the toolbar)
#include <veneer/headless/commctrl.h>
#include <veneer/headless/shell.h>

// The generic names (CreateWindow, GetObject, ...) for the ANSI functions above
#include <veneer/headless/ansi_names.h>

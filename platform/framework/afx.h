// The framework stand-in: one include for all of it.
#pragma once

#include <veneer/framework/afx_exceptions.h>
#include <veneer/framework/afx_file.h>
#include <veneer/framework/afx_gdi.h>
#include <veneer/framework/afx_geometry.h>
#include <veneer/framework/afx_module.h>
#include <veneer/framework/afx_string.h>
#include <veneer/framework/afx_window.h>

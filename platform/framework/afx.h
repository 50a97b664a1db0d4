// The framework stand-in: one include for all of it.
#pragma once

#include "platform/framework/afx_exceptions.h"
#include "platform/framework/afx_gdi.h"
#include "platform/framework/afx_geometry.h"
#include "platform/framework/afx_module.h"
#include "platform/framework/afx_string.h"
#include "platform/framework/afx_window.h"

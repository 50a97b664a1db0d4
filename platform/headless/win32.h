// The Win32 subset of the headless platform: one include for everything it offers.
#pragma once

#include "platform/headless/types.h"
#include "platform/headless/kernel_base.h"

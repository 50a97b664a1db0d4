// Planted: the GDI reaching up into the window manager, which the layering check must refuse.
#include "user/desktop_state.h"

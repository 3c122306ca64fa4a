#pragma once

#include <xcb/xcb.h>

// Qt's own connection to the X server, for what Qt does not say itself; null on any other
// platform.
xcb_connection_t* x11Connection();
// The atom of that name on Qt's connection, made if the server has none yet.
xcb_atom_t x11Atom(xcb_connection_t* connection, const char* name);

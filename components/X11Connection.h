#pragma once

#include <xcb/xcb.h>

#include <vector>

// Qt's own connection to the X server, for what Qt does not say itself; null on any other
// platform.
xcb_connection_t* x11Connection();
// The atom of that name on Qt's connection, made if the server has none yet.
xcb_atom_t x11Atom(xcb_connection_t* connection, const char* name);
// The windows the window manager manages (_NET_CLIENT_LIST on the root window); none where there
// is no X connection or no such list.
std::vector<xcb_window_t> x11ManagedWindows();

// The X11 backend's own connection to a test session, opened as the
// program opens it, and a wait until the server has handled everything the
// backend sent (before a screenshot).
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/x11/x11_connection.h"
#include "tests/e2e/x_session.h"

inline std::unique_ptr<X11Connection> ConnectBackend(const XSession& session)
{
    std::string why;
    return X11Connection::Open(session.Name().c_str(), false, why);
}

inline void SyncBackend(X11Connection& x)
{
    std::free(xcb_get_input_focus_reply(x.Main(), xcb_get_input_focus(x.Main()), nullptr));
}

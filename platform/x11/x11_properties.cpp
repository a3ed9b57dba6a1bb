#include "platform/x11/x11_properties.h"

#include <X11/Xatom.h>
#include <optional>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_property_data.h"

namespace x11_properties {

namespace {

// The reply's data, freed by Xlib's XFree.
struct PropertyReply {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    ~PropertyReply()
    {
        if (data)
            XFree(data);
    }
    PropertyData View() const { return PropertyData{type, format, count, data}; }
};

// `offset` and `length` count 32-bit units.
bool Read(X11Connection& x, Window window, Atom property, Atom type, long offset, long length,
          PropertyReply& reply)
{
    const X11Connection::RoundTrip trip(x);
    int status = XGetWindowProperty(x.queries(), window, property, offset, length, False, type,
                                    &reply.type, &reply.format, &reply.count, &reply.after,
                                    &reply.data);
    return status == Success && reply.type != None;
}

} // namespace

bool ReadItems32(X11Connection& x, Window window, Atom property, Atom type, long max_items,
                 std::vector<uint32_t>& items, long offset, bool* more)
{
    items.clear();
    PropertyReply reply;
    // A property cut short since the last piece was read makes the offset
    // lie beyond its end: an error of ours to catch, not a fault.
    std::optional<x11_errors::ErrorTrap> trap;
    if (offset > 0)
        trap.emplace(x.queries());
    if (!Read(x, window, property, type, offset, max_items, reply) ||
        !ParseItems32(reply.View(), type, std::size_t(max_items), items))
        return false;
    if (more)
        *more = reply.after > 0;
    return true;
}

bool FindTopLevel(X11Connection& x, Window window, Window& parent, Window& top_level)
{
    Window current = window;
    parent = None;
    for (;;) {
        Window root = None;
        Window up = None;
        Window* children = nullptr;
        unsigned int count = 0;
        const X11Connection::RoundTrip trip(x);
        if (!XQueryTree(x.queries(), current, &root, &up, &children, &count))
            return false;
        if (children)
            XFree(children);
        if (current == window)
            parent = up;
        if (up == root || up == None) {
            top_level = current;
            return true;
        }
        current = up;
    }
}

bool ReadGeometry(X11Connection& x, Window window, Geometry& geometry)
{
    Window root = None;
    int gx = 0, gy = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    const X11Connection::RoundTrip trip(x);
    if (!XGetGeometry(x.queries(), window, &root, &gx, &gy, &width, &height, &border, &depth))
        return false;
    geometry = Geometry{gx, gy, int(width), int(height), int(border)};
    return true;
}

bool TranslateOrigin(X11Connection& x, Window window, Window relative_to, int& dx, int& dy)
{
    Window child = None;
    const X11Connection::RoundTrip trip(x);
    return XTranslateCoordinates(x.queries(), window, relative_to, 0, 0, &dx, &dy, &child);
}

} // namespace x11_properties

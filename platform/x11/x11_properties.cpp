#include "platform/x11/x11_properties.h"

#include <X11/Xatom.h>

#include "platform/x11/x11_connection.h"

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
};

bool Read(X11Connection& x, Window window, Atom property, Atom type, long length,
          PropertyReply& reply)
{
    x.CountRoundTrip();
    int status = XGetWindowProperty(x.display(), window, property, 0, length, False, type,
                                    &reply.type, &reply.format, &reply.count, &reply.after,
                                    &reply.data);
    return status == Success && reply.data && reply.type != None;
}

} // namespace

bool ReadLongs(X11Connection& x, Window window, Atom property, Atom type, long max_items,
               std::vector<unsigned long>& items)
{
    items.clear();
    PropertyReply reply;
    if (!Read(x, window, property, type, max_items, reply) || reply.format != 32 ||
        reply.type != type)
        return false;
    // Xlib hands 32-bit items over as longs.
    const unsigned long* values = reinterpret_cast<const unsigned long*>(reply.data);
    items.assign(values, values + reply.count);
    return true;
}

bool ReadText(X11Connection& x, Window window, Atom property, Atom type, long max_bytes,
              std::string& text)
{
    text.clear();
    PropertyReply reply;
    // The length is asked in 32-bit units.
    if (!Read(x, window, property, type, (max_bytes + 3) / 4, reply) || reply.format != 8)
        return false;
    const char* bytes = reinterpret_cast<const char*>(reply.data);
    text.assign(bytes, std::min<unsigned long>(reply.count, max_bytes));
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
        x.CountRoundTrip();
        if (!XQueryTree(x.display(), current, &root, &up, &children, &count))
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
    x.CountRoundTrip();
    if (!XGetGeometry(x.display(), window, &root, &gx, &gy, &width, &height, &border, &depth))
        return false;
    geometry = Geometry{gx, gy, int(width), int(height), int(border)};
    return true;
}

bool TranslateOrigin(X11Connection& x, Window window, Window relative_to, int& dx, int& dy)
{
    Window child = None;
    x.CountRoundTrip();
    return XTranslateCoordinates(x.display(), window, relative_to, 0, 0, &dx, &dy, &child);
}

} // namespace x11_properties

#include "platform/x11/x11_errors.h"

#include <cstdio>
#include <iterator>
#include <unistd.h>

namespace x11_errors {

namespace {

// The core errors, by code.
constexpr const char* kErrorNames[] = {
    nullptr,       "BadRequest", "BadValue",    "BadWindow",   "BadPixmap",
    "BadAtom",     "BadCursor",  "BadFont",     "BadMatch",    "BadDrawable",
    "BadAccess",   "BadAlloc",   "BadColor",    "BadGC",       "BadIDChoice",
    "BadName",     "BadLength",  "BadImplementation",
};

// The core requests this program makes, by major opcode.
struct RequestName {
    uint8_t opcode;
    const char* name;
};
constexpr RequestName kRequestNames[] = {
    {XCB_CREATE_WINDOW, "CreateWindow"},
    {XCB_CHANGE_WINDOW_ATTRIBUTES, "ChangeWindowAttributes"},
    {XCB_GET_WINDOW_ATTRIBUTES, "GetWindowAttributes"},
    {XCB_DESTROY_WINDOW, "DestroyWindow"},
    {XCB_MAP_WINDOW, "MapWindow"},
    {XCB_UNMAP_WINDOW, "UnmapWindow"},
    {XCB_CONFIGURE_WINDOW, "ConfigureWindow"},
    {XCB_GET_GEOMETRY, "GetGeometry"},
    {XCB_QUERY_TREE, "QueryTree"},
    {XCB_INTERN_ATOM, "InternAtom"},
    {XCB_CHANGE_PROPERTY, "ChangeProperty"},
    {XCB_GET_PROPERTY, "GetProperty"},
    {XCB_SEND_EVENT, "SendEvent"},
    {XCB_SET_INPUT_FOCUS, "SetInputFocus"},
    {XCB_GET_INPUT_FOCUS, "GetInputFocus"},
    {XCB_TRANSLATE_COORDINATES, "TranslateCoordinates"},
    {XCB_OPEN_FONT, "OpenFont"},
    {XCB_CLOSE_FONT, "CloseFont"},
    {XCB_QUERY_FONT, "QueryFont"},
    {XCB_QUERY_TEXT_EXTENTS, "QueryTextExtents"},
    {XCB_CREATE_PIXMAP, "CreatePixmap"},
    {XCB_FREE_PIXMAP, "FreePixmap"},
    {XCB_CREATE_GC, "CreateGC"},
    {XCB_CHANGE_GC, "ChangeGC"},
    {XCB_FREE_GC, "FreeGC"},
    {XCB_COPY_AREA, "CopyArea"},
    {XCB_POLY_RECTANGLE, "PolyRectangle"},
    {XCB_POLY_FILL_RECTANGLE, "PolyFillRectangle"},
    {XCB_PUT_IMAGE, "PutImage"},
    {XCB_IMAGE_TEXT_8, "ImageText8"},
    {XCB_CREATE_COLORMAP, "CreateColormap"},
    {XCB_FREE_COLORMAP, "FreeColormap"},
    {XCB_GET_KEYBOARD_MAPPING, "GetKeyboardMapping"},
    {XCB_NO_OPERATION, "NoOperation"},
};

// Requests about other clients' windows that fail with more than BadWindow
// when the window went away meanwhile.
struct RaceError {
    uint8_t request;
    uint8_t error;
};
constexpr RaceError kRaceErrors[] = {
    {XCB_GET_GEOMETRY, XCB_DRAWABLE},
};

} // namespace

bool IsRace(const xcb_generic_error_t& error)
{
    if (error.error_code == XCB_WINDOW)
        return true;
    for (const RaceError& race : kRaceErrors)
        if (error.major_code == race.request && error.error_code == race.error)
            return true;
    return false;
}

std::string Describe(const xcb_generic_error_t& error, uint8_t shape_opcode)
{
    std::string text = error.error_code < std::size(kErrorNames) && kErrorNames[error.error_code]
                           ? kErrorNames[error.error_code]
                           : "error " + std::to_string(error.error_code);
    text += " in ";
    if (shape_opcode != 0 && error.major_code == shape_opcode)
        return text + "Shape request " + std::to_string(error.minor_code);
    for (const RequestName& request : kRequestNames)
        if (request.opcode == error.major_code)
            return text + request.name;
    return text + "request " + std::to_string(error.major_code);
}

void Report(const xcb_generic_error_t& error, uint8_t shape_opcode)
{
    if (IsRace(error))
        return;
    std::fprintf(stderr, "walkers: the X server refused a request: %s\n",
                 Describe(error, shape_opcode).c_str());
    std::fflush(stderr);
    _exit(1);
}

void CheckConnection(xcb_connection_t* connection)
{
    if (xcb_connection_has_error(connection))
        LostConnection();
}

void LostConnection()
{
    // Ends at once, as the loss of the session bus does: nothing more can
    // be sent, and no destructor may try.
    static const char message[] = "walkers: lost the connection to the X display\n";
    ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    _exit(1);
}

} // namespace x11_errors

/* A client that does to walkers what any other program on the display
 * could: it floods, lies in properties and names windows that are not
 * there. One scenario a run, for the given number of seconds:
 *
 *   hostile_client SCENARIO SECONDS [WINDOW]
 *
 *   title-flood   rewrites WINDOW's _NET_WM_NAME as fast as the server takes
 *                 it (a sync every thousand changes)
 *   extents       claims 0x7fffffff and 0xffffffff pixels of frame and
 *                 shadow on WINDOW, and keeps changing between them
 *   wrong-types   stores the titles, the extents and the root's window
 *                 manager properties with wrong types, formats and lengths
 *   root-flood    rewrites _NET_ACTIVE_WINDOW as fast as the server takes
 *                 it, between WINDOW and none in turn
 *   active-root   points _NET_ACTIVE_WINDOW at the root
 *   active-pixmap ... at a pixmap
 *   active-dead   ... at a window that was destroyed
 *   supported     lists 60,000 atoms in _NET_SUPPORTED, _NET_ACTIVE_WINDOW
 *                 last, and just that one in turn
 *   message-flood sends walkers' window (found by its title, Form1) client
 *                 messages as fast as the server takes them, which no
 *                 client can refuse, and renames WINDOW every thousand, so
 *                 that walkers has to ask about it
 *   configure-flood
 *                 sends WINDOW's watchers made-up notices of it moving, as
 *                 fast as the server takes them
 *   storm         windows created, renamed, moved, focused and destroyed
 *                 as fast as they can be
 *   all           each of the above in turn, a second or so each, until
 *                 the time is up
 *
 * It prints "started" once it has begun, and "done N" at its end, N being
 * how many changes it made. What it stored on WINDOW and the root stays
 * behind; the scenarios that point _NET_ACTIVE_WINDOW elsewhere keep
 * doing so, since the window manager puts it right at every focus change.
 */
#define _POSIX_C_SOURCE 200809L

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static Display *display;
static Window root;
static Window target;

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static Atom atom(const char *name) { return XInternAtom(display, name, False); }

static int ignore_errors(Display *d, XErrorEvent *e)
{
    (void)d;
    (void)e;
    return 0;
}

static void set_items(Window window, const char *property, Atom type, int format,
                      const void *data, int count)
{
    XChangeProperty(display, window, atom(property), type, format, PropModeReplace,
                    (const unsigned char *)data, count);
}

static void set_text(Window window, const char *property, Atom type, const char *text)
{
    set_items(window, property, type, 8, text, (int)strlen(text));
}

static long title_flood(double end)
{
    const Atom net_wm_name = atom("_NET_WM_NAME");
    const Atom utf8 = atom("UTF8_STRING");
    char title[32];
    long changes = 0;
    while (now() < end) {
        for (int i = 0; i < 1000; ++i, ++changes) {
            int length = snprintf(title, sizeof title, "flood %ld", changes);
            XChangeProperty(display, target, net_wm_name, utf8, 8, PropModeReplace,
                            (const unsigned char *)title, length);
        }
        XSync(display, False);
    }
    return changes;
}

static long extents(double end)
{
    const long huge[2][4] = {{0x7fffffffL, 0x7fffffffL, 0x7fffffffL, 0x7fffffffL},
                             {0xffffffffL, 0xffffffffL, 0xffffffffL, 0xffffffffL}};
    long changes = 0;
    while (now() < end) {
        const long *values = huge[changes % 2];
        set_items(target, "_GTK_FRAME_EXTENTS", XA_CARDINAL, 32, values, 4);
        set_items(target, "_NET_FRAME_EXTENTS", XA_CARDINAL, 32, values, 4);
        XSync(display, False);
        ++changes;
        struct timespec pause = {0, 5 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    return changes;
}

static long wrong_types(double end)
{
    const long numbers[4] = {1, 2, 3, 4};
    const short shorts[4] = {1, 2, 3, 4};
    long changes = 0;
    while (now() < end) {
        switch (changes % 8) {
        case 0: /* a title in the wrong type: the plain WM_NAME is the title */
            set_text(target, "WM_NAME", XA_STRING, "hostile");
            set_text(target, "_NET_WM_NAME", XA_STRING, "not utf-8 typed");
            break;
        case 1:
            set_items(target, "_NET_WM_NAME", atom("UTF8_STRING"), 32, numbers, 4);
            set_items(target, "WM_NAME", XA_STRING, 16, shorts, 4);
            break;
        case 2:
            set_items(target, "_NET_WM_NAME", XA_ATOM, 32, numbers, 4);
            set_items(target, "WM_NAME", XA_CARDINAL, 32, numbers, 1);
            break;
        case 3:
            set_items(target, "_NET_FRAME_EXTENTS", XA_CARDINAL, 32, numbers, 2);
            set_items(target, "_GTK_FRAME_EXTENTS", XA_CARDINAL, 16, shorts, 4);
            break;
        case 4:
            set_text(target, "_NET_FRAME_EXTENTS", XA_STRING, "wide");
            set_items(target, "_GTK_FRAME_EXTENTS", XA_WINDOW, 32, numbers, 4);
            break;
        case 5:
            set_items(root, "_NET_ACTIVE_WINDOW", XA_CARDINAL, 32, &target, 1);
            break;
        case 6:
            set_items(root, "_NET_ACTIVE_WINDOW", XA_WINDOW, 16, shorts, 2);
            set_items(root, "_NET_ACTIVE_WINDOW", XA_WINDOW, 32, NULL, 0);
            break;
        case 7:
            set_text(root, "_NET_SUPPORTING_WM_CHECK", XA_STRING, "nobody");
            set_items(root, "_NET_SUPPORTED", XA_CARDINAL, 32, numbers, 4);
            break;
        }
        XSync(display, False);
        ++changes;
        struct timespec pause = {0, 20 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    return changes;
}

static long root_flood(double end)
{
    const Atom net_active = atom("_NET_ACTIVE_WINDOW");
    const long windows[2] = {(long)target, (long)None};
    long changes = 0;
    while (now() < end) {
        for (int i = 0; i < 1000; ++i, ++changes)
            XChangeProperty(display, root, net_active, XA_WINDOW, 32, PropModeReplace,
                            (const unsigned char *)&windows[changes % 2], 1);
        XSync(display, False);
    }
    /* As the window manager would have it. */
    set_items(root, "_NET_ACTIVE_WINDOW", XA_WINDOW, 32, &windows[0], 1);
    XSync(display, False);
    return changes;
}

/* Points _NET_ACTIVE_WINDOW at `window` again and again. */
static long point_active_at(Window window, double end)
{
    long changes = 0;
    while (now() < end) {
        set_items(root, "_NET_ACTIVE_WINDOW", XA_WINDOW, 32, &window, 1);
        XSync(display, False);
        ++changes;
        struct timespec pause = {0, 10 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    return changes;
}

static long supported(double end)
{
    enum { kAtoms = 60000 };
    long *atoms = malloc(sizeof(long) * kAtoms);
    for (long i = 0; i < kAtoms - 1; ++i)
        atoms[i] = 100000 + i; /* numbers that name no atom the program asks about */
    atoms[kAtoms - 1] = (long)atom("_NET_ACTIVE_WINDOW");
    long changes = 0;
    while (now() < end) {
        /* Long and short in turn, so a list read in pieces is cut short
         * under the reader. */
        const int count = changes % 2 ? 1 : kAtoms;
        set_items(root, "_NET_SUPPORTED", XA_ATOM, 32, atoms + kAtoms - count, count);
        XSync(display, False);
        ++changes;
        struct timespec pause = {0, 5 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    free(atoms);
    return changes;
}

/* The first window titled `title` among the top levels and their children. */
static Window find_titled(const char *title)
{
    Window found = None;
    Window up = None, unused = None, *tops = NULL;
    unsigned count = 0;
    if (!XQueryTree(display, root, &unused, &up, &tops, &count))
        return None;
    for (unsigned i = 0; i < count && found == None; ++i) {
        Window *children = NULL;
        unsigned inner = 0;
        Window candidates[64];
        unsigned n = 0;
        candidates[n++] = tops[i];
        if (XQueryTree(display, tops[i], &unused, &up, &children, &inner)) {
            for (unsigned j = 0; j < inner && n < 64; ++j)
                candidates[n++] = children[j];
            if (children)
                XFree(children);
        }
        for (unsigned j = 0; j < n && found == None; ++j) {
            char *name = NULL;
            if (XFetchName(display, candidates[j], &name) && name) {
                if (strcmp(name, title) == 0)
                    found = candidates[j];
                XFree(name);
            }
        }
    }
    if (tops)
        XFree(tops);
    return found;
}

static long message_flood(double end)
{
    const Window walkers = find_titled("Form1");
    if (walkers == None) {
        fprintf(stderr, "hostile_client: no window titled Form1\n");
        return 0;
    }
    XEvent message;
    memset(&message, 0, sizeof message);
    message.xclient.type = ClientMessage;
    message.xclient.window = walkers;
    message.xclient.message_type = atom("_HOSTILE_NOISE");
    message.xclient.format = 32;
    long changes = 0;
    while (now() < end) {
        for (int i = 0; i < 1000; ++i, ++changes)
            XSendEvent(display, walkers, False, NoEventMask, &message);
        char title[32];
        snprintf(title, sizeof title, "renamed %ld", changes);
        set_text(target, "_NET_WM_NAME", atom("UTF8_STRING"), title);
        XSync(display, False);
    }
    return changes;
}

static long configure_flood(double end)
{
    XEvent notice;
    memset(&notice, 0, sizeof notice);
    notice.xconfigure.type = ConfigureNotify;
    notice.xconfigure.event = target;
    notice.xconfigure.window = target;
    notice.xconfigure.width = 600;
    notice.xconfigure.height = 300;
    long changes = 0;
    while (now() < end) {
        for (int i = 0; i < 1000; ++i, ++changes) {
            notice.xconfigure.x = (int)(changes % 500);
            notice.xconfigure.y = (int)(changes % 300);
            XSendEvent(display, target, False, StructureNotifyMask, &notice);
        }
        XSync(display, False);
    }
    return changes;
}

static long storm(double end)
{
    const Atom net_active = atom("_NET_ACTIVE_WINDOW");
    unsigned seed = 7;
    long changes = 0;
    while (now() < end) {
        XSetWindowAttributes attributes;
        memset(&attributes, 0, sizeof attributes);
        attributes.background_pixel = 0x8fbf8f;
        Window w = XCreateWindow(display, root, (int)(rand_r(&seed) % 900),
                                 (int)(rand_r(&seed) % 600), 300, 120, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWBackPixel, &attributes);
        char name[32];
        snprintf(name, sizeof name, "passing %ld", changes);
        XStoreName(display, w, name);
        XMapWindow(display, w);
        /* Asked to come in front, renamed and moved while walkers looks. */
        XEvent activate;
        memset(&activate, 0, sizeof activate);
        activate.xclient.type = ClientMessage;
        activate.xclient.window = w;
        activate.xclient.message_type = net_active;
        activate.xclient.format = 32;
        activate.xclient.data.l[0] = 2;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &activate);
        snprintf(name, sizeof name, "renamed %ld", changes);
        set_text(w, "_NET_WM_NAME", atom("UTF8_STRING"), name);
        XMoveWindow(display, w, (int)(rand_r(&seed) % 900), (int)(rand_r(&seed) % 600));
        XSync(display, False);
        if (changes % 3 == 0) {
            XDestroyWindow(display, w);
        } else {
            struct timespec pause = {0, 20 * 1000 * 1000};
            nanosleep(&pause, NULL);
            XDestroyWindow(display, w);
        }
        XSync(display, False);
        ++changes;
    }
    return changes;
}

static long run(const char *scenario, double end)
{
    if (strcmp(scenario, "title-flood") == 0)
        return title_flood(end);
    if (strcmp(scenario, "extents") == 0)
        return extents(end);
    if (strcmp(scenario, "wrong-types") == 0)
        return wrong_types(end);
    if (strcmp(scenario, "root-flood") == 0)
        return root_flood(end);
    if (strcmp(scenario, "active-root") == 0)
        return point_active_at(root, end);
    if (strcmp(scenario, "active-pixmap") == 0) {
        Pixmap pixmap = XCreatePixmap(display, root, 64, 64, (unsigned)DefaultDepth(display, 0));
        long changes = point_active_at(pixmap, end);
        XFreePixmap(display, pixmap);
        return changes;
    }
    if (strcmp(scenario, "active-dead") == 0) {
        Window gone = XCreateSimpleWindow(display, root, 0, 0, 10, 10, 0, 0, 0);
        XDestroyWindow(display, gone);
        return point_active_at(gone, end);
    }
    if (strcmp(scenario, "supported") == 0)
        return supported(end);
    if (strcmp(scenario, "message-flood") == 0)
        return message_flood(end);
    if (strcmp(scenario, "configure-flood") == 0)
        return configure_flood(end);
    if (strcmp(scenario, "storm") == 0)
        return storm(end);
    return -1;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: hostile_client SCENARIO SECONDS [WINDOW]\n");
        return 2;
    }
    const char *scenario = argv[1];
    const double seconds = atof(argv[2]);
    display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "hostile_client: no display\n");
        return 2;
    }
    XSetErrorHandler(ignore_errors);
    root = DefaultRootWindow(display);
    target = argc > 3 ? (Window)strtoul(argv[3], NULL, 0) : root;
    printf("started\n");
    fflush(stdout);

    const double end = now() + seconds;
    long changes = 0;
    if (strcmp(scenario, "all") == 0) {
        static const char *const each[] = {"title-flood",   "extents",       "wrong-types",
                                           "active-root",   "active-pixmap", "active-dead",
                                           "supported",     "message-flood", "configure-flood",
                                           "root-flood",    "storm"};
        const unsigned kinds = sizeof each / sizeof each[0];
        for (unsigned i = 0; now() < end; ++i) {
            double until = now() + 1.5;
            changes += run(each[i % kinds], until < end ? until : end);
        }
    } else {
        changes = run(scenario, end);
    }
    if (changes < 0) {
        fprintf(stderr, "hostile_client: no scenario \"%s\"\n", scenario);
        return 2;
    }
    printf("done %ld\n", changes);
    XCloseDisplay(display);
    return 0;
}

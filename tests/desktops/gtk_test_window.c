/* A GTK3 window for the desktops' end-to-end tests: one colour, a title, a
 * size and (where the desktop lets a client choose) a position, each of
 * which a test can change while it runs. GTK asks the desktop for its own
 * title bar where the desktop offers one (no header bar is set), so the
 * figures walk on the bar a person sees.
 *
 *   gtk_test_window [--title T] [--size WxH] [--position X Y]
 *                   [--colour RRGGBB] [--second-title T] [--undecorated]
 *                   [--commands FIFO]
 *
 * Commands, one a line, on standard input or from FIFO (a test's Process
 * has no standard input): "title TEXT", "move X Y", "resize W H",
 * "present", "colour RRGGBB", "quit". Each is answered "done N" (N counts
 * them), so a test knows the window has acted on it. SIGUSR1 gives the
 * window its second title, as the plain Wayland test window does.
 *
 * It prints what it sees, one line each: "mapped", "xid N" (on X11),
 * "configured X Y W H", "press X Y" (window coordinates), "key NAME",
 * "keyboard enter", "keyboard leave", "retitled". */
#include <fcntl.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif
#include <glib-unix.h>

struct Window {
    GtkWidget* window;
    double red, green, blue;
    char* second_title;
    GString* line;
    int commands;
};

static void Say(const char* format, ...) G_GNUC_PRINTF(1, 2);
static void Say(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vprintf(format, arguments);
    va_end(arguments);
    fflush(stdout);
}

static void SetColour(struct Window* w, const char* text)
{
    const unsigned long rgb = strtoul(text, NULL, 16);
    w->red = (double)((rgb >> 16) & 0xFF) / 255.0;
    w->green = (double)((rgb >> 8) & 0xFF) / 255.0;
    w->blue = (double)(rgb & 0xFF) / 255.0;
}

static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data)
{
    (void)widget;
    const struct Window* w = data;
    cairo_set_source_rgb(cr, w->red, w->green, w->blue);
    cairo_paint(cr);
    return TRUE;
}

static gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer data)
{
    (void)widget;
    (void)data;
    if (event->type == GDK_BUTTON_PRESS)
        Say("press %d %d\n", (int)event->x, (int)event->y);
    return FALSE;
}

static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer data)
{
    (void)widget;
    (void)data;
    const char* name = gdk_keyval_name(event->keyval);
    Say("key %s\n", name ? name : "?");
    return FALSE;
}

static gboolean OnFocus(GtkWidget* widget, GdkEventFocus* event, gpointer data)
{
    (void)widget;
    (void)data;
    Say(event->in ? "keyboard enter\n" : "keyboard leave\n");
    return FALSE;
}

static gboolean OnConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer data)
{
    (void)widget;
    (void)data;
    Say("configured %d %d %d %d\n", event->x, event->y, event->width, event->height);
    return FALSE;
}

static gboolean OnMap(GtkWidget* widget, GdkEvent* event, gpointer data)
{
    (void)event;
    (void)data;
    Say("mapped\n");
#ifdef GDK_WINDOWING_X11
    GdkWindow* window = gtk_widget_get_window(widget);
    if (GDK_IS_X11_WINDOW(window))
        Say("xid %lu\n", (unsigned long)gdk_x11_window_get_xid(window));
#else
    (void)widget;
#endif
    return FALSE;
}

static void Retitle(struct Window* w, const char* title)
{
    gtk_window_set_title(GTK_WINDOW(w->window), title);
    Say("retitled\n");
}

static gboolean OnSecondTitle(gpointer data)
{
    struct Window* w = data;
    Retitle(w, w->second_title ? w->second_title : "");
    return G_SOURCE_CONTINUE;
}

/* One command line; false for "quit". */
static gboolean Obey(struct Window* w, const char* line)
{
    int a = 0, b = 0;
    if (strncmp(line, "title ", 6) == 0) {
        Retitle(w, line + 6);
    } else if (sscanf(line, "move %d %d", &a, &b) == 2) {
        gtk_window_move(GTK_WINDOW(w->window), a, b);
    } else if (sscanf(line, "resize %d %d", &a, &b) == 2) {
        gtk_window_resize(GTK_WINDOW(w->window), a, b);
    } else if (strcmp(line, "present") == 0) {
        gtk_window_present(GTK_WINDOW(w->window));
    } else if (strncmp(line, "colour ", 7) == 0) {
        SetColour(w, line + 7);
        gtk_widget_queue_draw(w->window);
    } else if (strcmp(line, "quit") == 0) {
        return FALSE;
    } else {
        Say("unknown %s\n", line);
    }
    Say("done %d\n", ++w->commands);
    return TRUE;
}

static gboolean OnCommands(gint fd, GIOCondition condition, gpointer data)
{
    struct Window* w = data;
    char bytes[512];
    const ssize_t got = (condition & G_IO_IN) ? read(fd, bytes, sizeof bytes) : 0;
    if (got <= 0) {
        /* The test closed its end: the commands are over, not the window. */
        return G_SOURCE_REMOVE;
    }
    g_string_append_len(w->line, bytes, got);
    char* end;
    while ((end = memchr(w->line->str, '\n', w->line->len)) != NULL) {
        *end = '\0';
        const gboolean more = Obey(w, w->line->str);
        g_string_erase(w->line, 0, end - w->line->str + 1);
        if (!more) {
            gtk_main_quit();
            return G_SOURCE_REMOVE;
        }
    }
    return G_SOURCE_CONTINUE;
}

int main(int argc, char* argv[])
{
    gtk_init(&argc, &argv);
    struct Window w = {0};
    w.line = g_string_new(NULL);
    SetColour(&w, "8FBF8F");
    const char* title = "walkers test window";
    const char* commands = NULL;
    int width = 400, height = 300, x = -1, y = -1;
    gboolean decorated = TRUE;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        const gboolean has_value = i + 1 < argc;
        if (strcmp(option, "--title") == 0 && has_value)
            title = argv[++i];
        else if (strcmp(option, "--size") == 0 && has_value)
            sscanf(argv[++i], "%dx%d", &width, &height);
        else if (strcmp(option, "--position") == 0 && i + 2 < argc) {
            x = atoi(argv[++i]);
            y = atoi(argv[++i]);
        } else if (strcmp(option, "--colour") == 0 && has_value)
            SetColour(&w, argv[++i]);
        else if (strcmp(option, "--second-title") == 0 && has_value)
            w.second_title = argv[++i];
        else if (strcmp(option, "--commands") == 0 && has_value)
            commands = argv[++i];
        else if (strcmp(option, "--undecorated") == 0)
            decorated = FALSE;
        else {
            fprintf(stderr, "gtk_test_window: unknown option %s\n", option);
            return 2;
        }
    }

    w.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(w.window);
    gtk_window_set_title(window, title);
    gtk_window_set_default_size(window, width, height);
    gtk_window_set_decorated(window, decorated);
    /* Placed where asked, not where the desktop would put it. */
    if (x >= 0 && y >= 0)
        gtk_window_move(window, x, y);
    /* The colour and the clicks belong to an area that fills the window
     * below its title bar, whatever draws the bar. */
    GtkWidget* area = gtk_drawing_area_new();
    gtk_container_add(GTK_CONTAINER(w.window), area);
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(area, "draw", G_CALLBACK(OnDraw), &w);
    g_signal_connect(area, "button-press-event", G_CALLBACK(OnPress), &w);
    gtk_widget_add_events(w.window, GDK_KEY_PRESS_MASK | GDK_FOCUS_CHANGE_MASK |
                                        GDK_STRUCTURE_MASK);
    g_signal_connect(w.window, "key-press-event", G_CALLBACK(OnKey), &w);
    g_signal_connect(w.window, "focus-in-event", G_CALLBACK(OnFocus), &w);
    g_signal_connect(w.window, "focus-out-event", G_CALLBACK(OnFocus), &w);
    g_signal_connect(w.window, "configure-event", G_CALLBACK(OnConfigure), &w);
    g_signal_connect(w.window, "map-event", G_CALLBACK(OnMap), &w);
    g_signal_connect(w.window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
    g_unix_signal_add(SIGUSR1, OnSecondTitle, &w);

    /* A FIFO opened for writing too never reads as ended before the test
     * opens it; the test's end closing changes nothing either. */
    const int fd = commands ? open(commands, O_RDWR | O_CLOEXEC) : STDIN_FILENO;
    if (fd < 0) {
        perror(commands);
        return 2;
    }
    g_unix_fd_add(fd, G_IO_IN | G_IO_HUP | G_IO_ERR, OnCommands, &w);

    gtk_widget_show_all(w.window);
    gtk_main();
    g_string_free(w.line, TRUE);
    return 0;
}

/* A screenshot of a GNOME Shell session, as a binary PPM: the shell takes
 * it (org.gnome.Shell.Screenshot) only for a caller that owns the name
 * org.gnome.Screenshot, which is why this is a program of its own. The
 * shell writes a PNG where its process sees PNG_PATH; this reads it back.
 *
 *   shell_screenshot PNG_PATH PPM_PATH
 *
 * On the session bus of DBUS_SESSION_BUS_ADDRESS. */
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <stdio.h>
#include <systemd/sd-bus.h>

static int Fail(const char* what, int code)
{
    fprintf(stderr, "shell_screenshot: %s (%d)\n", what, code);
    return 1;
}

static int WritePpm(const char* png, const char* ppm)
{
    GError* error = NULL;
    GdkPixbuf* image = gdk_pixbuf_new_from_file(png, &error);
    if (!image) {
        fprintf(stderr, "shell_screenshot: %s\n", error->message);
        g_error_free(error);
        return 1;
    }
    const int width = gdk_pixbuf_get_width(image), height = gdk_pixbuf_get_height(image);
    const int channels = gdk_pixbuf_get_n_channels(image), stride = gdk_pixbuf_get_rowstride(image);
    const guchar* pixels = gdk_pixbuf_get_pixels(image);
    FILE* out = fopen(ppm, "wb");
    int status = out ? 0 : 1;
    if (out) {
        fprintf(out, "P6\n%d %d\n255\n", width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                fwrite(pixels + y * stride + x * channels, 1, 3, out);
        status = fclose(out) == 0 ? 0 : 1;
    }
    g_object_unref(image);
    return status;
}

int main(int argc, char* argv[])
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s PNG_PATH PPM_PATH\n", argv[0]);
        return 2;
    }
    sd_bus* bus = NULL;
    int code = sd_bus_open_user(&bus);
    if (code < 0)
        return Fail("no session bus", code);
    code = sd_bus_request_name(bus, "org.gnome.Screenshot", 0);
    if (code < 0) {
        sd_bus_unref(bus);
        return Fail("cannot own org.gnome.Screenshot", code);
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = NULL;
    code = sd_bus_call_method(bus, "org.gnome.Shell", "/org/gnome/Shell/Screenshot",
                              "org.gnome.Shell.Screenshot", "Screenshot", &error, &reply, "bbs",
                              0, 0, argv[1]);
    int success = 0;
    const char* used = NULL;
    if (code >= 0)
        code = sd_bus_message_read(reply, "bs", &success, &used);
    if (code < 0 && error.message)
        fprintf(stderr, "shell_screenshot: %s\n", error.message);
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_unref(bus);
    if (code < 0 || !success)
        return Fail("the shell took no screenshot", code);
    return WritePpm(argv[1], argv[2]);
}

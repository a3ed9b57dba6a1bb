// The GNOME focus source on a bus of its own (a private dbus-daemon) with a
// stand-in for the shell: it starts from the extension's first answer, then
// believes the shell's signals only; another program of the session that
// sends the same signal, and malformed reports, change nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "platform/dbus/session_bus.h"
#include "platform/focus/gnome_shell_focus_source.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x_session.h"

namespace {

using namespace std::chrono_literals;

sd_bus* Connect(const std::string& address)
{
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0)
        return nullptr;
    sd_bus_set_address(bus, address.c_str());
    sd_bus_set_bus_client(bus, 1);
    if (sd_bus_start(bus) < 0) {
        sd_bus_unref(bus);
        return nullptr;
    }
    return bus;
}

int AnswerInfo(sd_bus_message* call, void*, sd_bus_error*)
{
    return sd_bus_reply_method_return(call, "a{sv}", 1, "state", "d", 1.0);
}

int AnswerFocused(sd_bus_message* call, void*, sd_bus_error*)
{
    return sd_bus_reply_method_return(call, "tsiiiib", uint64_t(5), "first", 10, 20, 300, 200, 0);
}

const sd_bus_vtable kExtensions[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetExtensionInfo", "s", "a{sv}", AnswerInfo, 0),
    SD_BUS_VTABLE_END,
};
const sd_bus_vtable kFocus[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Focused", "", "tsiiiib", AnswerFocused, 0),
    SD_BUS_VTABLE_END,
};

void Tell(sd_bus* from, const char* signature, uint64_t id, const char* title, int width)
{
    if (std::string(signature) == "s")
        sd_bus_emit_signal(from, "/io/github/walkers/Focus", "io.github.walkers.Focus", "FocusChanged", "s", title);
    else
        sd_bus_emit_signal(from, "/io/github/walkers/Focus", "io.github.walkers.Focus", "FocusChanged",
                           "tsiiiib", id, title, 0, 0, width, 100, 0);
    sd_bus_flush(from);
}

TEST(GnomeShellFocusSource, BelievesOnlyTheShellAndDropsMalformedReports)
{
    char folder[] = "/tmp/walkers-bus.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string address = std::string("unix:path=") + folder + "/bus";
    Process daemon({"dbus-daemon", "--session", "--nofork", "--address=" + address}, {});
    ASSERT_TRUE(WaitUntil([&] { return access((std::string(folder) + "/bus").c_str(), F_OK) == 0; }, 5s));

    sd_bus* shell = Connect(address);
    sd_bus* impostor = Connect(address);
    sd_bus* ours = Connect(address);
    ASSERT_TRUE(shell && impostor && ours);
    ASSERT_GE(sd_bus_request_name(shell, "org.gnome.Shell", 0), 0);
    ASSERT_GE(sd_bus_add_object_vtable(shell, nullptr, "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                                       kExtensions, nullptr), 0);
    ASSERT_GE(sd_bus_add_object_vtable(shell, nullptr, "/io/github/walkers/Focus", "io.github.walkers.Focus",
                                       kFocus, nullptr), 0);
    {
        SessionBus bus(ours);
        std::atomic<bool> started{false};
        std::thread answering([&] {
            while (!started)
                if (sd_bus_process(shell, nullptr) == 0)
                    sd_bus_wait(shell, 20'000);
        });
        std::string problem;
        std::unique_ptr<GnomeShellFocusSource> source = GnomeShellFocusSource::Start(bus, problem);
        started = true;
        answering.join();
        ASSERT_NE(source, nullptr) << problem;
        ASSERT_TRUE(source->Focused().has_value());
        EXPECT_EQ(source->Focused()->title, "first");
        EXPECT_EQ(source->Focused()->right, 310);

        // Takes what the bus brings until `done`.
        auto pump = [&](const std::function<bool()>& done) {
            return WaitUntil(
                [&] {
                    pollfd descriptor{bus.Descriptor(), bus.Events(), 0};
                    poll(&descriptor, 1, 10);
                    bus.Process();
                    return done();
                },
                3s);
        };
        Tell(impostor, "tsiiiib", 6, "impostor", 100);
        Tell(shell, "s", 0, "malformed", 0);
        Tell(shell, "tsiiiib", 7, "empty frame", 0);
        Tell(shell, "tsiiiib", 8, "second", 400);
        ASSERT_TRUE(pump([&] { return source->Focused() && source->Focused()->id == 8; }));
        EXPECT_EQ(source->Focused()->title, "second");
        EXPECT_EQ(source->Dropped(), 3u) << "an impostor's or a malformed report was taken";

        Tell(shell, "tsiiiib", 0, "", 0);
        EXPECT_TRUE(pump([&] { return !source->Focused(); })) << "no window in front was not taken";
    }
    sd_bus_flush_close_unref(shell);
    sd_bus_flush_close_unref(impostor);
    RunToEnd({"rm", "-rf", folder}, {});
}

} // namespace

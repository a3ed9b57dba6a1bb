// The compositors' answers turned into the focused window a person sees,
// and the IPC plumbing under them: sway's framing read in pieces, Hyprland
// through a fake server that answers with recorded replies.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include "platform/wayland/hyprland_focus_source.h"
#include "platform/wayland/hyprland_reply.h"
#include "platform/wayland/sway_ipc_framing.h"
#include "platform/wayland/sway_tree.h"
#include "tests/wayland/sway_samples.h"

namespace {

using sway_samples::Con;
using sway_samples::Tree;
using sway_samples::Workspace;

TEST(SwayTree, TheFocusedWindowWithItsTitleBar)
{
    // Tiled, beside an unfocused one: the title bar above `rect`.
    auto window = sway_tree::FocusedIn(Tree(Workspace(
        Con(7, "con", "other", false, 0, 27, 500, 600, 27) + "," +
            Con(8, "con", "editor", true, 500, 27, 524, 600, 27),
        "")));
    ASSERT_TRUE(window);
    EXPECT_EQ(*window, (FocusedWindow{8, "editor", 500, 0, 1024, 627}));

    // Floating, found among the floating nodes.
    window = sway_tree::FocusedIn(
        Tree(Workspace(Con(7, "con", "other", false, 0, 27, 1024, 600, 27),
                       Con(9, "floating_con", "dialog", true, 300, 227, 400, 200, 27))));
    ASSERT_TRUE(window);
    EXPECT_EQ(*window, (FocusedWindow{9, "dialog", 300, 200, 700, 427}));

    // A tab: its title bar is a part of the tab bar, the window spans it all.
    window = sway_tree::FocusedIn(Tree(Workspace(
        R"({"id":6,"type":"con","name":null,"layout":"tabbed","focused":false,"nodes":[)" +
            Con(10, "con", "tab one", false, 0, 27, 1024, 613, 27) + "," +
            Con(11, "con", "tab two", true, 0, 27, 1024, 613, 27) + R"(],"floating_nodes":[]})",
        "")));
    ASSERT_TRUE(window);
    EXPECT_EQ(*window, (FocusedWindow{11, "tab two", 0, 0, 1024, 640}));

    // On a second output to the right: layout coordinates, as sway gives them.
    window = sway_tree::FocusedIn(
        Tree(Workspace(Con(7, "con", "left", false, 0, 27, 1024, 613, 27), ""),
             Workspace(Con(12, "con", "right", true, 1024, 27, 800, 573, 27), "")));
    ASSERT_TRUE(window);
    EXPECT_EQ(*window, (FocusedWindow{12, "right", 1024, 0, 1824, 600}));

    // No server-side decorations, and full screen: no title bar above.
    window = sway_tree::FocusedIn(
        Tree(Workspace(Con(13, "con", "client-drawn", true, 10, 10, 300, 200, 0), "")));
    ASSERT_TRUE(window);
    EXPECT_EQ(*window, (FocusedWindow{13, "client-drawn", 10, 10, 310, 210}));
    window = sway_tree::FocusedIn(Tree(Workspace(
        Con(14, "con", "video", true, 0, 0, 1024, 640, 0, R"(,"fullscreen_mode":1)"), "")));
    ASSERT_TRUE(window);
    EXPECT_EQ(*window, (FocusedWindow{14, "video", 0, 0, 1024, 640}));
}

std::string Recorded(const std::string& name)
{
    std::ifstream in(std::string(SWAY_TREES) + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Trees recorded from sway 1.7 with four windows on workspace 1 (two tiled
// in a vertical split beside a third, one floating) and one on workspace 2,
// with all the fields sway writes; the focused window is deep in one, and
// in the other after everything else on its workspace.
TEST(SwayTree, TheFocusedWindowOfRecordedTrees)
{
    const std::string tiled = Recorded("sway_tree_tiled_focused.json");
    ASSERT_GT(tiled.size(), 10000u);
    EXPECT_EQ(sway_tree::FocusedIn(tiled), (FocusedWindow{8, "below right", 512, 320, 1024, 640}));
    const std::string floating = Recorded("sway_tree_floating_focused.json");
    ASSERT_GT(floating.size(), 10000u);
    EXPECT_EQ(sway_tree::FocusedIn(floating), (FocusedWindow{11, "dialog", 300, 150, 700, 350}));
}

TEST(SwayTree, NoWindowWhenAWorkspaceOrNothingHasTheFocus)
{
    EXPECT_FALSE(sway_tree::FocusedIn(Tree(Workspace("", "", true))));
    EXPECT_FALSE(
        sway_tree::FocusedIn(Tree(Workspace(Con(7, "con", "a", false, 0, 0, 9, 9, 0), ""))));
    EXPECT_FALSE(sway_tree::FocusedIn("not json"));
    EXPECT_FALSE(sway_tree::FocusedIn(R"([1, 2, 3])"));
}

TEST(SwayIpcFraming, MessagesComeTogetherFromPiecesOfAnySize)
{
    const std::string stream = sway_ipc::Encode(sway_ipc::kWindowEvent, R"({"change":"focus"})") +
                               sway_ipc::Encode(sway_ipc::kGetTree, "") +
                               sway_ipc::Encode(sway_ipc::kWorkspaceEvent, "{}");
    for (std::size_t piece : {std::size_t(1), std::size_t(3), std::size_t(13), stream.size()}) {
        sway_ipc::Reader reader;
        std::vector<sway_ipc::Message> messages;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            reader.Add(std::string_view(stream).substr(at, piece));
            while (auto message = reader.Next())
                messages.push_back(*message);
        }
        ASSERT_EQ(messages.size(), 3u) << "pieces of " << piece;
        EXPECT_EQ(messages[0].type, sway_ipc::kWindowEvent);
        EXPECT_EQ(messages[0].payload, R"({"change":"focus"})");
        EXPECT_EQ(messages[1].type, uint32_t(sway_ipc::kGetTree));
        EXPECT_EQ(messages[1].payload, "");
        EXPECT_EQ(messages[2].payload, "{}");
        EXPECT_FALSE(reader.Broken());
    }
    sway_ipc::Reader garbage;
    garbage.Add(std::string("i3-ipX\x02\0\0\0\0\0\0\0{}", 16));
    EXPECT_FALSE(garbage.Next());
    EXPECT_TRUE(garbage.Broken());
}

TEST(HyprlandReply, ActiveWindowAndEventLines)
{
    auto window = hyprland_reply::ActiveWindow(
        R"({"address":"0x5618e2d2c0a0","mapped":true,"at":[1944,60],"size":[800,500],)"
        R"("workspace":{"id":2,"name":"2"},"floating":true,"monitor":1,"class":"foot",)"
        R"("title":"~ : vim","fullscreen":false})");
    ASSERT_TRUE(window);
    EXPECT_EQ(*window, (FocusedWindow{0x5618e2d2c0a0, "~ : vim", 1944, 60, 2744, 560}));
    EXPECT_FALSE(hyprland_reply::ActiveWindow("{}"));
    EXPECT_FALSE(hyprland_reply::ActiveWindow("Invalid"));

    std::string buffer = "activewindow>>foot,~ : vim\nwindowtitle>>5618e2d2c0a0\nopenla";
    EXPECT_EQ(hyprland_reply::TakeEventNames(buffer),
              (std::vector<std::string>{"activewindow", "windowtitle"}));
    EXPECT_EQ(buffer, "openla");
    buffer += "yer>>waybar\n";
    EXPECT_EQ(hyprland_reply::TakeEventNames(buffer), (std::vector<std::string>{"openlayer"}));
    EXPECT_TRUE(hyprland_reply::ConcernsFocus("activewindowv2"));
    EXPECT_FALSE(hyprland_reply::ConcernsFocus("openlayer"));
}

// Hyprland's two sockets, played by a thread: the request socket answers
// each connection with the next recorded reply and closes it; the event
// socket sends what the test gives it.
class FakeHyprland {
public:
    explicit FakeHyprland(std::vector<std::string> replies) : replies_(std::move(replies))
    {
        char pattern[] = "/tmp/walkers-hypr.XXXXXX";
        directory_ = mkdtemp(pattern);
        requests_ = Listen(directory_ + "/.socket.sock");
        events_listener_ = Listen(directory_ + "/.socket2.sock");
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeHyprland()
    {
        stop_ = true;
        shutdown(requests_, SHUT_RDWR);
        thread_.join();
        close(requests_);
        if (events_ >= 0)
            close(events_);
        close(events_listener_);
        std::filesystem::remove_all(directory_);
    }
    const std::string& Directory() const { return directory_; }
    int Requests() const { return requests_seen_; }
    std::string LastRequest() const
    {
        std::lock_guard lock(mutex_);
        return last_request_;
    }
    void SendEvent(const std::string& bytes)
    {
        if (events_ < 0)
            events_ = accept(events_listener_, nullptr, nullptr);
        ASSERT_EQ(write(events_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

private:
    static int Listen(const std::string& path)
    {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(fd, 8);
        return fd;
    }
    void Serve()
    {
        std::size_t next = 0;
        while (!stop_) {
            const int client = accept(requests_, nullptr, nullptr);
            if (client < 0)
                return;
            char request[256];
            const ssize_t got = read(client, request, sizeof request);
            {
                std::lock_guard lock(mutex_);
                last_request_.assign(request, std::size_t(std::max<ssize_t>(got, 0)));
            }
            ++requests_seen_;
            const std::string& reply = replies_[std::min(next++, replies_.size() - 1)];
            // In two pieces, as a busy compositor may send it.
            const std::size_t half = reply.size() / 2;
            (void)!write(client, reply.data(), half);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            (void)!write(client, reply.data() + half, reply.size() - half);
            close(client);
        }
    }

    std::vector<std::string> replies_;
    std::string directory_;
    int requests_ = -1;
    int events_listener_ = -1;
    int events_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_ = false;
    std::atomic<int> requests_seen_ = 0;
    mutable std::mutex mutex_;
    std::string last_request_;
};

TEST(HyprlandFocusSource, AsksOnStartAfterEventsAndEachTickOnlyWhileFloating)
{
    FakeHyprland server({
        R"({"address":"0x1","at":[10,20],"size":[300,200],"title":"first","floating":true})",
        R"({"address":"0x1","at":[50,60],"size":[300,200],"title":"first","floating":true})",
        R"({"address":"0x2","at":[400,100],"size":[500,300],"title":"second","floating":false})",
        "{}",
    });
    HyprlandFocusSource source(server.Directory());
    ASSERT_TRUE(source.Connected());
    EXPECT_EQ(server.LastRequest(), "j/activewindow");
    ASSERT_TRUE(source.Focused());
    EXPECT_EQ(*source.Focused(), (FocusedWindow{1, "first", 10, 20, 310, 220}));

    source.Refresh(); // a tick: the floating window was dragged
    EXPECT_EQ(*source.Focused(), (FocusedWindow{1, "first", 50, 60, 350, 260}));

    // An event that does not concern the focus asks nothing.
    server.SendEvent("openlayer>>waybar\n");
    int before = server.Requests();
    EXPECT_TRUE(source.ReadEvents());
    EXPECT_EQ(server.Requests(), before);

    server.SendEvent("activewindowv2>>2\n");
    EXPECT_TRUE(source.ReadEvents());
    EXPECT_EQ(*source.Focused(), (FocusedWindow{2, "second", 400, 100, 900, 400}));

    // A tiled window: ticks ask nothing until the slow look is due.
    before = server.Requests();
    for (int tick = 1; tick < HyprlandFocusSource::kTiledWait; ++tick)
        source.Refresh();
    EXPECT_EQ(server.Requests(), before);
    source.Refresh(); // the last window closed meanwhile
    EXPECT_EQ(server.Requests(), before + 1);
    EXPECT_FALSE(source.Focused());
}

} // namespace

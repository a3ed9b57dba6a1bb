// The sway focus source's bookkeeping on a socket pair that plays sway: one
// tree in flight at most, asked without waiting, its answer put together
// from pieces among the events, in sway's order, and sway going away.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include "platform/wayland/sway_focus_source.h"
#include "tests/wayland/sway_samples.h"

namespace {

using sway_samples::Con;
using sway_samples::Tree;
using sway_samples::WindowEvent;
using sway_samples::Workspace;

// sway's end of the connection: what walkers sent, and bytes to send back.
class FakeSway {
public:
    FakeSway()
    {
        int ends[2] = {-1, -1};
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        walkers_end_ = ends[0];
        sway_end_ = ends[1];
    }
    ~FakeSway() { Close(); }

    // Walkers' end, for the focus source to own.
    IpcSocket TakeWalkersEnd() { return IpcSocket::Adopt(std::exchange(walkers_end_, -1)); }

    // The messages walkers sent since the last look.
    std::vector<sway_ipc::Message> Received()
    {
        char buffer[4096];
        ssize_t got;
        while ((got = recv(sway_end_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
            reader_.Add(std::string_view(buffer, std::size_t(got)));
        std::vector<sway_ipc::Message> messages;
        while (auto message = reader_.Next())
            messages.push_back(*message);
        return messages;
    }
    void Send(const std::string& bytes)
    {
        ASSERT_EQ(write(sway_end_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    void Close()
    {
        if (sway_end_ >= 0)
            close(sway_end_);
        sway_end_ = -1;
    }

private:
    int walkers_end_ = -1;
    int sway_end_ = -1;
    sway_ipc::Reader reader_;
};

std::string Reply(uint32_t type, const std::string& payload) { return sway_ipc::Encode(type, payload); }

const std::string kEditor = Con(8, "con", "editor", true, 100, 227, 400, 200, 27);
const std::string kEditorMoved = Con(8, "con", "editor", true, 300, 427, 400, 200, 27);
const std::string kTerminal = Con(9, "floating_con", "terminal", true, 600, 127, 300, 100, 27);
const FocusedWindow kEditorWindow{8, "editor", 100, 200, 500, 427};
const FocusedWindow kEditorMovedWindow{8, "editor", 300, 400, 700, 627};
const FocusedWindow kTerminalWindow{9, "terminal", 600, 100, 900, 227};

TEST(SwayFocusSource, OneTreeInFlightAskedWithoutWaitingAndReadInPieces)
{
    FakeSway sway;
    SwayFocusSource source(sway.TakeWalkersEnd());
    ASSERT_TRUE(source.Connected());
    std::vector<sway_ipc::Message> sent = sway.Received();
    ASSERT_EQ(sent.size(), 2u) << "a subscription and the first tree";
    EXPECT_EQ(sent[0].type, uint32_t(sway_ipc::kSubscribe));
    EXPECT_EQ(sent[0].payload, R"(["window","workspace","binding"])");
    EXPECT_EQ(sent[1].type, uint32_t(sway_ipc::kGetTree));
    EXPECT_TRUE(source.TreeAsked());
    EXPECT_FALSE(source.Focused());

    // Ticks while sway has not answered ask nothing more.
    source.Refresh();
    source.Refresh();
    EXPECT_TRUE(sway.Received().empty()) << "a second tree asked for before the first came";
    EXPECT_EQ(source.Stats().refreshes_skipped, 2u);

    // The answer in pieces: nothing is taken from half a tree.
    const std::string tree = Reply(sway_ipc::kGetTree, Tree(Workspace(kEditor, "")));
    sway.Send(Reply(sway_ipc::kSubscribe, R"({"success":true})") + tree.substr(0, 5));
    EXPECT_TRUE(source.ReadEvents());
    sway.Send(tree.substr(5, tree.size() / 2));
    EXPECT_TRUE(source.ReadEvents());
    EXPECT_FALSE(source.Focused());
    EXPECT_TRUE(source.TreeAsked());
    sway.Send(tree.substr(5 + tree.size() / 2));
    EXPECT_TRUE(source.ReadEvents());
    EXPECT_EQ(source.Focused(), kEditorWindow);
    EXPECT_FALSE(source.TreeAsked());
    EXPECT_TRUE(sway.Received().empty()) << "reading an answer asked something";

    // A tiled window and no event since: the next tick asks nothing; after
    // an event it asks, once.
    source.Refresh();
    EXPECT_TRUE(sway.Received().empty()) << "asked for a tree that nothing called for";
    const std::string event = Reply(sway_ipc::kWorkspaceEvent, R"({"change":"focus"})");
    sway.Send(event);
    EXPECT_TRUE(source.ReadEvents());
    source.Refresh();
    source.Refresh();
    sent = sway.Received();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, uint32_t(sway_ipc::kGetTree));

    const FocusStats stats = source.Stats();
    EXPECT_EQ(stats.requests, 2u);
    EXPECT_EQ(stats.reply_bytes, tree.size() + event.size() - 2 * 14 + 16)
        << "the payloads of the subscription's answer, one tree and one event";
    EXPECT_EQ(stats.refreshes_skipped, 3u);
}

// sway tells nothing of a floating window dragged with the mouse: such a
// window is looked at every tick while it moves, and less often the bigger
// the tree while it stands still; a tiled one only now and then.
TEST(SwayRefreshSchedule, EveryTickWhileMovingLessOftenTheBiggerTheTree)
{
    using Schedule = SwayRefreshSchedule;
    const auto ticks_until_due = [](Schedule& schedule) {
        schedule.Asked();
        int ticks = 1;
        while (!schedule.Due() && ticks <= 1000)
            ++ticks;
        return ticks;
    };
    Schedule schedule;
    schedule.Answered(3 * Schedule::kTreeBytesPerTick, true, false);
    EXPECT_EQ(ticks_until_due(schedule), 3);
    schedule.Answered(100 * Schedule::kTreeBytesPerTick, true, false);
    EXPECT_EQ(ticks_until_due(schedule), Schedule::kLongestFloatingWait);
    schedule.Answered(100, true, false);
    EXPECT_EQ(ticks_until_due(schedule), 1);
    schedule.Answered(100, false, false);
    EXPECT_EQ(ticks_until_due(schedule), Schedule::kTiledWait);

    // Seen moving: every tick, until it stood still for kMovingTicks looks.
    schedule.Answered(100 * Schedule::kTreeBytesPerTick, true, true);
    for (int look = 0; look < Schedule::kMovingTicks; ++look) {
        EXPECT_EQ(ticks_until_due(schedule), 1) << "look " << look;
        schedule.Answered(100 * Schedule::kTreeBytesPerTick, true, false);
    }
    EXPECT_EQ(ticks_until_due(schedule), Schedule::kLongestFloatingWait);
}

// sway writes events and answers on one connection in the order things
// happened: whatever came last tells the focus.
TEST(SwayFocusSource, EventsAndTheTreeTakeEffectInTheOrderSwaySentThem)
{
    FakeSway sway;
    SwayFocusSource source(sway.TakeWalkersEnd());
    sway.Received();
    // A tree and a focus change after it, in one read: the focus wins.
    sway.Send(Reply(sway_ipc::kGetTree, Tree(Workspace(kEditor, ""))) +
              Reply(sway_ipc::kWindowEvent, WindowEvent("focus", kTerminal)));
    EXPECT_TRUE(source.ReadEvents());
    EXPECT_EQ(source.Focused(), kTerminalWindow);
    EXPECT_EQ(source.Stats().events, 1u);

    // A focus change, then the answer to a tree asked after it (the editor
    // moved meanwhile), the event's last byte in the same read as half the tree.
    source.Refresh();
    const std::string event = Reply(sway_ipc::kWindowEvent, WindowEvent("focus", kEditor));
    const std::string tree = Reply(sway_ipc::kGetTree, Tree(Workspace(kEditorMoved, "")));
    sway.Send(event.substr(0, event.size() - 1));
    EXPECT_TRUE(source.ReadEvents());
    EXPECT_EQ(source.Focused(), kTerminalWindow) << "taken from part of an event";
    sway.Send(event.substr(event.size() - 1) + tree.substr(0, tree.size() / 2));
    EXPECT_TRUE(source.ReadEvents());
    EXPECT_EQ(source.Focused(), kEditorWindow);
    EXPECT_TRUE(source.TreeAsked());
    sway.Send(tree.substr(tree.size() / 2));
    EXPECT_TRUE(source.ReadEvents());
    EXPECT_EQ(source.Focused(), kEditorMovedWindow);

    // A workspace event says nothing of the window; a title change of the
    // focused window does; the focused window closing leaves none.
    sway.Send(Reply(sway_ipc::kWorkspaceEvent, R"({"change":"focus"})") +
              Reply(sway_ipc::kWindowEvent,
                    WindowEvent("title", Con(8, "con", "editor *", true, 300, 427, 400, 200, 27))));
    EXPECT_TRUE(source.ReadEvents());
    ASSERT_TRUE(source.Focused());
    EXPECT_EQ(source.Focused()->title, "editor *");
    sway.Send(Reply(sway_ipc::kWindowEvent, WindowEvent("close", kEditor)));
    EXPECT_TRUE(source.ReadEvents());
    EXPECT_FALSE(source.Focused());
}

TEST(SwayFocusSource, SwayClosingTheConnectionLeavesWhatWasKnown)
{
    FakeSway sway;
    SwayFocusSource source(sway.TakeWalkersEnd());
    sway.Send(Reply(sway_ipc::kGetTree, Tree(Workspace(kEditor, ""))) +
              Reply(sway_ipc::kWorkspaceEvent, R"({"change":"focus"})"));
    EXPECT_TRUE(source.AwaitTree(1000));
    EXPECT_EQ(source.Focused(), kEditorWindow);

    // Gone with a tree asked for and half answered.
    source.Refresh();
    const std::string tree = Reply(sway_ipc::kGetTree, Tree(Workspace(kEditorMoved, "")));
    sway.Send(tree.substr(0, 30));
    EXPECT_TRUE(source.ReadEvents());
    sway.Close();
    EXPECT_FALSE(source.ReadEvents());
    EXPECT_FALSE(source.Connected());
    EXPECT_EQ(source.EventDescriptor(), -1) << "a closed connection is still watched";
    EXPECT_EQ(source.Focused(), kEditorWindow);
    EXPECT_FALSE(source.TreeAsked());
    source.Refresh(); // asks nothing and stays quiet
    EXPECT_FALSE(source.AwaitTree(10));
    EXPECT_EQ(source.Stats().requests, 2u);
}

TEST(SwayFocusSource, AStreamThatIsNotSwaysEndsTheConnection)
{
    FakeSway sway;
    SwayFocusSource source(sway.TakeWalkersEnd());
    sway.Send(std::string("HTTP/1.1 400 Bad Request\r\n\r\n"));
    EXPECT_FALSE(source.ReadEvents());
    EXPECT_FALSE(source.Connected());
    EXPECT_FALSE(source.Focused());
}

} // namespace

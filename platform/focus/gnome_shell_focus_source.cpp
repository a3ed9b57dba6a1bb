#include "platform/focus/gnome_shell_focus_source.h"

#include <cstring>
#include <thread>

#include "platform/dbus/session_bus.h"
#include "platform/focus/gnome_shell_extension.h"

namespace {

constexpr char kShell[] = "org.gnome.Shell";
constexpr char kPath[] = "/io/github/walkers/Focus";
constexpr char kInterface[] = "io.github.walkers.Focus";
constexpr int kOwnerTimeoutMs = 1000;
// The extension exports its object as it is turned on, a moment after
// EnableExtension answers.
constexpr int kFirstAnswerTimeoutMs = 3000;

} // namespace

GnomeShellFocusSource::GnomeShellFocusSource(SessionBus& bus, std::string shell)
    : bus_(bus), shell_(std::move(shell))
{
}

GnomeShellFocusSource::~GnomeShellFocusSource()
{
    sd_bus_slot_unref(question_slot_);
    sd_bus_slot_unref(owner_slot_);
    sd_bus_slot_unref(focus_slot_);
}

std::unique_ptr<GnomeShellFocusSource> GnomeShellFocusSource::Start(SessionBus& bus,
                                                                   std::string& problem)
{
    std::string shell = bus.OwnerOf(kShell, kOwnerTimeoutMs);
    if (shell.empty()) {
        problem = "GNOME Shell is not on the session bus";
        return nullptr;
    }
    if (!gnome_shell_extension::EnsureRunning(bus, problem))
        return nullptr;
    std::unique_ptr<GnomeShellFocusSource> source(new GnomeShellFocusSource(bus, std::move(shell)));
    if (!source->Listen()) {
        problem = "cannot listen to GNOME Shell on the session bus";
        return nullptr;
    }
    if (!source->AskFirst(kFirstAnswerTimeoutMs)) {
        problem = std::string("the walkers extension does not answer in GNOME Shell (are "
                              "extensions turned off?); run: gnome-extensions enable ") +
                  gnome_shell_extension::kUuid;
        return nullptr;
    }
    return source;
}

// The signal from anyone (the sender is checked here, against the owner
// known now), and the changes of the shell's owner.
bool GnomeShellFocusSource::Listen()
{
    return sd_bus_match_signal(bus_.get(), &focus_slot_, nullptr, kPath, kInterface,
                               "FocusChanged", OnFocusChanged, this) >= 0 &&
           sd_bus_add_match(bus_.get(), &owner_slot_,
                            "type='signal',sender='org.freedesktop.DBus',"
                            "interface='org.freedesktop.DBus',member='NameOwnerChanged',"
                            "arg0='org.gnome.Shell'",
                            OnShellOwner, this) >= 0;
}

bool GnomeShellFocusSource::AskFirst(int timeout_ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        sd_bus_message* call = nullptr;
        if (sd_bus_message_new_method_call(bus_.get(), &call, shell_.c_str(), kPath, kInterface,
                                           "Focused") < 0)
            return false;
        std::string error;
        ++stats_.requests;
        sd_bus_message* reply = bus_.CallWaiting(call, timeout_ms, error);
        sd_bus_message_unref(call);
        if (reply) {
            Take(reply);
            sd_bus_message_unref(reply);
            return true;
        }
        // Not exported yet, while the shell turns the extension on.
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void GnomeShellFocusSource::AskAgain()
{
    sd_bus_message* call = nullptr;
    question_slot_ = sd_bus_slot_unref(question_slot_);
    if (sd_bus_message_new_method_call(bus_.get(), &call, shell_.c_str(), kPath, kInterface,
                                       "Focused") < 0)
        return;
    ++stats_.requests;
    sd_bus_call_async(bus_.get(), &question_slot_, call, OnAnswer, this, 0);
    sd_bus_message_unref(call);
}

void GnomeShellFocusSource::Take(sd_bus_message* message)
{
    const char* sender = sd_bus_message_get_sender(message);
    const std::optional<GnomeShellReport> report =
        sender && shell_ == sender ? ReadGnomeShellReport(message) : std::nullopt;
    bool malformed = !report;
    std::optional<FocusedWindow> focused;
    if (report)
        focused = FocusedOfReport(*report, malformed);
    if (malformed) {
        ++dropped_;
        return;
    }
    ++stats_.events;
    focused_ = std::move(focused);
}

int GnomeShellFocusSource::OnFocusChanged(sd_bus_message* message, void* self, sd_bus_error*)
{
    static_cast<GnomeShellFocusSource*>(self)->Take(message);
    return 0;
}

int GnomeShellFocusSource::OnAnswer(sd_bus_message* message, void* self, sd_bus_error*)
{
    auto* source = static_cast<GnomeShellFocusSource*>(self);
    if (!sd_bus_message_is_method_error(message, nullptr))
        source->Take(message);
    return 0;
}

// The shell started again (on X11 sessions it can): believe its new owner
// only, and ask it afresh. Until it answers, no window is known.
int GnomeShellFocusSource::OnShellOwner(sd_bus_message* message, void* self, sd_bus_error*)
{
    auto* source = static_cast<GnomeShellFocusSource*>(self);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (std::strcmp(sd_bus_message_get_sender(message) ? sd_bus_message_get_sender(message) : "",
                    "org.freedesktop.DBus") != 0 ||
        sd_bus_message_read(message, "sss", &name, &before, &after) <= 0 || !after)
        return 0;
    source->shell_ = after;
    source->focused_.reset();
    if (*after)
        source->AskAgain();
    return 0;
}

#include "platform/kwin/kwin_focus_source.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/kwin/kwin_report.h"
#include "platform/kwin/kwin_script.h"

namespace {

constexpr char kKWin[] = "org.kde.KWin";
constexpr char kScripting[] = "/Scripting";
constexpr char kScriptingInterface[] = "org.kde.kwin.Scripting";
constexpr int kStartupTimeoutMs = 2000;

// The file is the user's alone: a shared temporary folder would let another
// user swap the script KWin runs.
bool WriteFile(const std::string& path, const std::string& text, std::string& error)
{
    unlink(path.c_str());
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = write(file, text.data(), text.size()) == ssize_t(text.size());
    close(file);
    if (!written)
        error = "cannot write " + path;
    return written;
}

} // namespace

KWinFocusSource::KWinFocusSource(SessionBus& bus, std::string kwin_owner)
    : bus_(bus), kwin_owner_(std::move(kwin_owner))
{
    static const sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD(kwin_script::kMethod, "s", "", OnReport, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    sd_bus_add_object_vtable(bus_.get(), &object_, kwin_script::kPath, kwin_script::kInterface,
                             table, this);
}

KWinFocusSource::~KWinFocusSource()
{
    if (loaded_)
        sd_bus_call_method_async(bus_.get(), nullptr, kKWin, kScripting, kScriptingInterface,
                                 "unloadScript", nullptr, nullptr, "s", kScriptName);
    if (!script_path_.empty())
        unlink(script_path_.c_str());
    sd_bus_slot_unref(object_);
}

bool KWinFocusSource::CallKWin(const char* method, int timeout_ms, std::string& error,
                               const char* path)
{
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus_.get(), &call, kKWin, kScripting, kScriptingInterface,
                                       method) < 0)
        return false;
    int appended = 0;
    if (std::strcmp(method, "loadScript") == 0)
        appended = sd_bus_message_append(call, "ss", path, kScriptName);
    else if (std::strcmp(method, "unloadScript") == 0)
        appended = sd_bus_message_append(call, "s", kScriptName);
    bool answered = false;
    if (appended >= 0) {
        if (sd_bus_message* reply = bus_.CallWaiting(call, timeout_ms, error)) {
            answered = true;
            int32_t id = 0;
            if (std::strcmp(method, "loadScript") == 0 &&
                (sd_bus_message_read(reply, "i", &id) < 0 || id < 0)) {
                error = "KWin did not load the script";
                answered = false;
            }
            sd_bus_message_unref(reply);
        }
    }
    sd_bus_message_unref(call);
    return answered;
}

bool KWinFocusSource::LoadScript(int timeout_ms, std::string& error)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) {
        error = "XDG_RUNTIME_DIR is not set, and the KWin script must not lie in a shared folder";
        return false;
    }
    const std::string path = std::string(runtime) + "/walkers-kwin-" + std::to_string(getpid()) + ".js";
    if (!WriteFile(path, kwin_script::Text(bus_.UniqueName(), getpid()), error))
        return false;
    script_path_ = path;
    std::string ignored;
    CallKWin("unloadScript", timeout_ms, ignored);
    if (!CallKWin("loadScript", timeout_ms, error, path.c_str()))
        return false;
    loaded_ = true;
    return CallKWin("start", timeout_ms, error);
}

bool KWinFocusSource::AwaitFirstReport(int timeout_ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!reported_ && std::chrono::steady_clock::now() < deadline) {
        if (!bus_.Process())
            return false;
        if (!reported_)
            sd_bus_wait(bus_.get(), 10000);
    }
    return reported_;
}

int KWinFocusSource::OnReport(sd_bus_message* call, void* self, sd_bus_error* error)
{
    auto& source = *static_cast<KWinFocusSource*>(self);
    const char* sender = sd_bus_message_get_sender(call);
    const char* text = nullptr;
    if (!sender || source.kwin_owner_ != sender) {
        ++source.refused_;
        return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED, "reports come from KWin only");
    }
    std::optional<kwin_report::Report> report;
    if (sd_bus_message_read(call, "s", &text) >= 0 && text)
        report = kwin_report::Parse(text);
    if (!report) {
        ++source.refused_;
        return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "not a report");
    }
    ++source.stats_.events;
    source.stats_.reply_bytes += std::strlen(text);
    source.focused_ = report->window;
    if (!source.reported_ && !source.script_path_.empty()) {
        // KWin has read the file once the script runs.
        unlink(source.script_path_.c_str());
        source.script_path_.clear();
    }
    source.reported_ = true;
    return sd_bus_reply_method_return(call, "");
}

std::unique_ptr<FocusSource> StartKWinFocusSource(SessionBus& bus, std::string& error)
{
    const std::string owner = bus.OwnerOf(kKWin, kStartupTimeoutMs);
    if (owner.empty()) {
        error = "KWin is not on the session bus";
        return nullptr;
    }
    auto source = std::make_unique<KWinFocusSource>(bus, owner);
    if (!source->LoadScript(kStartupTimeoutMs, error)) {
        error = "KWin did not run walkers' script: " + error;
        return nullptr;
    }
    // So that the first tick knows the window.
    source->AwaitFirstReport(kStartupTimeoutMs);
    return source;
}

#include "platform/dbus/session_bus.h"

#include <ctime>

namespace {

uint64_t NowMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000u + uint64_t(now.tv_nsec) / 1000u;
}

} // namespace

std::unique_ptr<SessionBus> SessionBus::Open(int timeout_ms, const char* address)
{
    sd_bus* bus = nullptr;
    if (!address) {
        if (sd_bus_open_user(&bus) < 0)
            return nullptr;
    } else if (sd_bus_new(&bus) < 0) {
        return nullptr;
    } else if (sd_bus_set_address(bus, address) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
               sd_bus_start(bus) < 0) {
        sd_bus_close_unref(bus);
        return nullptr;
    }
    // The greeting's answer gives us our name; wait for it here, with a
    // limit, rather than let the first call wait without one.
    const uint64_t deadline = NowMicroseconds() + uint64_t(timeout_ms) * 1000u;
    while (sd_bus_is_ready(bus) <= 0) {
        const uint64_t now = NowMicroseconds();
        if (!sd_bus_is_open(bus) || now >= deadline) {
            sd_bus_close_unref(bus);
            return nullptr;
        }
        const int processed = sd_bus_process(bus, nullptr);
        if (processed < 0 || (processed == 0 && sd_bus_wait(bus, deadline - now) < 0)) {
            sd_bus_close_unref(bus);
            return nullptr;
        }
    }
    return std::make_unique<SessionBus>(bus);
}

SessionBus::SessionBus(sd_bus* bus) : bus_(bus) {}

SessionBus::~SessionBus() { sd_bus_flush_close_unref(bus_); }

std::string SessionBus::UniqueName() const
{
    const char* name = nullptr;
    return sd_bus_get_unique_name(bus_, &name) >= 0 && name ? name : "";
}

sd_bus_message* SessionBus::CallWaiting(sd_bus_message* call, int timeout_ms, std::string& error)
{
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call(bus_, call, uint64_t(timeout_ms) * 1000u, &failure, &reply) < 0) {
        error = failure.message ? failure.message : failure.name ? failure.name : "no answer";
        reply = nullptr;
    }
    sd_bus_error_free(&failure);
    return reply;
}

std::string SessionBus::OwnerOf(const std::string& name, int timeout_ms)
{
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus_, &call, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", "GetNameOwner") < 0)
        return "";
    std::string owner, error;
    if (sd_bus_message_append(call, "s", name.c_str()) >= 0) {
        if (sd_bus_message* reply = CallWaiting(call, timeout_ms, error)) {
            const char* text = nullptr;
            if (sd_bus_message_read(reply, "s", &text) >= 0 && text)
                owner = text;
            sd_bus_message_unref(reply);
        }
    }
    sd_bus_message_unref(call);
    return owner;
}

int SessionBus::Descriptor() const { return sd_bus_get_fd(bus_); }

short SessionBus::Events() const
{
    const int events = sd_bus_get_events(bus_);
    return events > 0 ? short(events) : short(POLLIN);
}

int SessionBus::TimeoutMs() const
{
    if (more_waiting_)
        return 0;
    uint64_t until = 0;
    if (sd_bus_get_timeout(bus_, &until) <= 0 || until == UINT64_MAX)
        return -1;
    const uint64_t now = NowMicroseconds();
    if (until <= now)
        return 0;
    const uint64_t ms = (until - now + 999) / 1000;
    return ms > 60000 ? 60000 : int(ms);
}

bool SessionBus::Process()
{
    more_waiting_ = false;
    for (int turn = 0; turn < kMessagesPerTurn; ++turn) {
        const int processed = sd_bus_process(bus_, nullptr);
        if (processed < 0)
            return false;
        if (processed == 0)
            return sd_bus_is_open(bus_) > 0;
        ++messages_;
    }
    more_waiting_ = true;
    return sd_bus_is_open(bus_) > 0;
}

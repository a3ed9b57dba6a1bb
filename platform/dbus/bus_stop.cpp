#include "platform/dbus/bus_stop.h"

#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/shared/stop_request.h"

namespace {

using namespace std::chrono_literals;

constexpr char kNamePrefix[] = "io.github.walkers.Walkers.i";
constexpr char kPath[] = "/io/github/walkers/Walkers";
constexpr char kInterface[] = "io.github.walkers.Walkers";
constexpr int kCallTimeoutMs = 2000;
constexpr auto kEndTimeout = 10s;

int OnStop(sd_bus_message* call, void*, sd_bus_error*)
{
    stop_request::Ask();
    return sd_bus_reply_method_return(call, "");
}

const sd_bus_vtable kStopTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Stop", "", "", OnStop, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

// The walkers' names on the bus now; nothing when the bus does not answer.
std::optional<std::vector<std::string>> RunningNames(SessionBus& bus)
{
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &call, "org.freedesktop.DBus",
                                       "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                       "ListNames") < 0)
        return std::nullopt;
    std::string error;
    sd_bus_message* reply = bus.CallWaiting(call, kCallTimeoutMs, error);
    sd_bus_message_unref(call);
    if (!reply)
        return std::nullopt;
    std::vector<std::string> names;
    if (sd_bus_message_enter_container(reply, 'a', "s") > 0) {
        const char* name = nullptr;
        while (sd_bus_message_read(reply, "s", &name) > 0)
            if (std::string(name).starts_with(kNamePrefix))
                names.push_back(name);
    }
    sd_bus_message_unref(reply);
    return names;
}

} // namespace

BusStopService::BusStopService(SessionBus& bus)
{
    sd_bus_add_object_vtable(bus.get(), &object_, kPath, kInterface, kStopTable, nullptr);
    const std::string name = kNamePrefix + std::to_string(getpid());
    sd_bus_request_name_async(bus.get(), nullptr, name.c_str(), 0, nullptr, nullptr);
}

BusStopService::~BusStopService() { sd_bus_slot_unref(object_); }

std::optional<int> StopOverBus(SessionBus& bus, std::ostream& err)
{
    std::optional<std::vector<std::string>> running = RunningNames(bus);
    if (!running || running->empty())
        return std::nullopt;
    for (const std::string& name : *running) {
        sd_bus_message* call = nullptr;
        if (sd_bus_message_new_method_call(bus.get(), &call, name.c_str(), kPath, kInterface,
                                           "Stop") >= 0) {
            std::string error;
            if (sd_bus_message* reply = bus.CallWaiting(call, kCallTimeoutMs, error))
                sd_bus_message_unref(reply);
            sd_bus_message_unref(call);
        }
    }
    // A walkers that ends gives its name up with its connection.
    const auto deadline = std::chrono::steady_clock::now() + kEndTimeout;
    for (;;) {
        std::erase_if(*running, [&](const std::string& name) {
            return bus.OwnerOf(name, kCallTimeoutMs).empty();
        });
        if (running->empty())
            return 0;
        if (std::chrono::steady_clock::now() > deadline) {
            err << "walkers: the walkers of this session did not end\n";
            return 1;
        }
        std::this_thread::sleep_for(50ms);
    }
}

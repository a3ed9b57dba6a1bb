// `walkers --stop` over the session bus, on every desktop: each running
// walkers owns a name of its own (io.github.walkers.Walkers.i<pid>) with a
// Stop method, which only notes the request for the event loop; --stop
// lists those names, calls each, and waits until their owners have gone.
#pragma once

#include <iosfwd>
#include <optional>

#include "platform/dbus/session_bus.h"

// What a running walkers offers on the bus.
class BusStopService {
public:
    // Exports Stop and asks for the name, without waiting for the answer.
    explicit BusStopService(SessionBus& bus);
    ~BusStopService();
    BusStopService(const BusStopService&) = delete;
    BusStopService& operator=(const BusStopService&) = delete;

private:
    sd_bus_slot* object_ = nullptr;
};

// Asks every walkers on the bus to end and waits until they have. Status 0
// when they ended, 1 when one did not end in time (said on `err`); nothing
// when none runs on this bus.
std::optional<int> StopOverBus(SessionBus& bus, std::ostream& err);

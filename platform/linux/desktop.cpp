#include "platform/linux/desktop.h"

#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/dbus/session_bus.h"

namespace {

constexpr int kAskTimeoutMs = 1000;

// XDG_CURRENT_DESKTOP is a list separated by colons.
bool CurrentDesktopNames(const std::string& name)
{
    const char* value = std::getenv("XDG_CURRENT_DESKTOP");
    std::istringstream names(value ? value : "");
    for (std::string each; std::getline(names, each, ':');)
        if (each == name)
            return true;
    return false;
}

bool OnBus(SessionBus* bus, const char* name)
{
    return bus && !bus->OwnerOf(name, kAskTimeoutMs).empty();
}

} // namespace

Desktop FindDesktop(SessionBus* bus)
{
    if (CurrentDesktopNames("KDE") || OnBus(bus, "org.kde.KWin"))
        return Desktop::kKdePlasma;
    if (CurrentDesktopNames("GNOME") || OnBus(bus, "org.gnome.Shell"))
        return Desktop::kGnomeShell;
    return Desktop::kOther;
}

// Which desktop the session runs, found once at start: it decides the focus
// source, and where the figures are best shown.
#pragma once

class SessionBus;

enum class Desktop {
    kKdePlasma, // KWin: the layer-shell overlay, and a script in KWin
    kGnomeShell, // on Wayland: the X11 overlay on Xwayland, and an extension in the shell
    kOther,     // sway and Hyprland by their IPC; on X11 the EWMH properties
};

// From the session bus (`bus` may be null) and XDG_CURRENT_DESKTOP.
Desktop FindDesktop(SessionBus* bus);

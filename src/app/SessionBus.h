#pragma once
// The desktop session bus the window's libraries (accessibility, the
// platform theme) talk to.

namespace korva::app {

/// Without a session bus address, libdbus starts a bus of its own
/// (dbus-launch, dbus-daemon) that outlives the program. Points it at the
/// user's bus ($XDG_RUNTIME_DIR/bus) where there is one, else at none, so
/// nothing is started. An address already set is left as it is.
void UseExistingSessionBus();

/// The address given to a program that finds no session bus: one that
/// leads nowhere, so libdbus neither connects nor starts a bus.
inline constexpr const char* kNoSessionBus = "unix:path=/nonexistent/korvatool-no-session-bus";

}  // namespace korva::app

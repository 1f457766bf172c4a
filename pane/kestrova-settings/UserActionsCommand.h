#pragma once

#include <QString>

#include <optional>

// kestrova-settings --enable-user-actions: what the window's "Turn On Actions" button
// does, on a terminal: turns the actions on, prints the state of each file manager
// found and says what is left to do. Exits 0 when all went well, 2 when something could
// not be turned on.
namespace UserActionsCommand {

inline constexpr const char* kOption = "--enable-user-actions";

// actionsFolder: Kestrova's share/kestrova/file-managers; none: not installed.
int run(const std::optional<QString>& actionsFolder);

}

#pragma once
// What the main window's commands depend on: a project exists, a controller
// has answered and is still connected, a read or write of the controller
// runs. The window keeps it; every control follows it.

struct TWindowState {
    bool project = false;
    bool connected = false;
    bool transfer = false;
};

// The accessible object of a container we paint (the form or a panel), given to screen
// readers for its client area through WM_GETOBJECT: its children are the items the form
// describes for it (ui/Accessibility.h), and the container itself is told by the system's
// standard object. The object never outlives the window: once the window goes, every call
// on it fails with RPC_E_DISCONNECTED, and the proxies of other processes are cut off.
#pragma once

#include "ui/Accessibility.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace hx::ui::win {

class AccessibleObject;

// What the object asks of the container it tells about, each time it is asked.
class AccessibleSource {
public:
    virtual HWND AccessibleWindow() const = 0;
    virtual std::vector<AccessibleItem> AccessibleItems() const = 0;

protected:
    ~AccessibleSource() = default;
};

class AccessibleServer {
public:
    explicit AccessibleServer(AccessibleSource& source) : source_(source) {}
    ~AccessibleServer() { Disconnect(); }
    AccessibleServer(const AccessibleServer&) = delete;
    AccessibleServer& operator=(const AccessibleServer&) = delete;

    // The answer to WM_GETOBJECT, or none where the system's default answers.
    std::optional<LRESULT> Answer(WPARAM wp, LPARAM lp);
    // The container's children changed: raises the events a screen reader follows for
    // what it would notice (names, states, places). Nothing is raised while hidden.
    void Announce();
    // The window goes: the object lets go of it, and no new one is made.
    void Disconnect();

private:
    AccessibleSource& source_;
    AccessibleObject* object_ = nullptr; // one reference held
    std::vector<AccessibleItem> announced_;
    bool gone_ = false;
};

} // namespace hx::ui::win

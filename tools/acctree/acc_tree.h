// The accessible tree of a window as a screen-reader developer's inspector
// shows it: for the window and each of its child windows (in z-order) the
// object a client gets through AccessibleObjectFromWindow, and below it the
// object's own children (rows of a list, items of a tree), one line each:
// role, name, value, description, default action, state, child id and
// screen location.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <string>
#include <vector>

namespace acctree {

struct Entry {
    int depth = 0;
    HWND window = nullptr;  // set for the object of a window
    LONG childId = CHILDID_SELF;
    long role = 0;
    uint32_t state = 0;
    std::string roleText, name, value, description, action, stateText;
    long x = 0, y = 0, width = 0, height = 0;
    bool located = false;
    long more = 0;  // a line that stands for this many children left out
};

struct Options {
    long maxChildren = 100;  // children listed per object; the rest are counted
    bool visibleOnly = false;
};

// The properties of one child (or CHILDID_SELF) of an object.
Entry Describe(IAccessible* object, LONG childId);
// The line of an entry, without its indentation.
std::string Format(const Entry& entry);
// The objects of `window` and its descendants, depth first.
std::vector<Entry> Walk(HWND window, const Options& options = {});
// The indented lines of a walk.
std::string Print(const std::vector<Entry>& entries);
// The visible top-level window with this title, or by default the first
// browser: a dialog whose title ends with " Browser".
HWND FindBrowser(const std::string& title = "");

}  // namespace acctree

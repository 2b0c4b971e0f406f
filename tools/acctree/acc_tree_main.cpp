// Prints the accessible tree of a running browser, as a screen reader meets it.
//
//   acctree.exe [--title TITLE | --window HEX] [--max-children N] [--visible]
//
// By default the first visible browser window (a dialog titled "... Browser");
// --title picks any top-level window by its exact title, --window by its handle. Each
// object gets one line, indented by depth: role, "name", value, description,
// default action, state, a child's id, screen location "at x,y widthxheight",
// and for the object of a window its class and control id in brackets. At
// most N children of an object are listed (default 100), the rest counted;
// --visible leaves hidden windows out. Exits with 1 when there is no such
// window.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/acctree/acc_tree.h"

int main(int argc, char** argv) {
    std::string title;
    HWND window = nullptr;
    acctree::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--title" && more)
            title = argv[++i];
        else if (a == "--window" && more)
            window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(argv[++i], nullptr, 16)));
        else if (a == "--max-children" && more)
            options.maxChildren = std::max(std::atol(argv[++i]), 0L);
        else if (a == "--visible")
            options.visibleOnly = true;
        else {
            std::fprintf(stderr, "usage: acctree [--title TITLE | --window HEX] [--max-children N] [--visible]\n");
            return 2;
        }
    }
    if (!window) window = acctree::FindBrowser(title);
    if (!window || !IsWindow(window)) {
        std::fprintf(stderr, "acctree: no such window\n");
        return 1;
    }
    CoInitialize(nullptr);
    std::fputs(acctree::Print(acctree::Walk(window, options)).c_str(), stdout);
    CoUninitialize();
    return 0;
}

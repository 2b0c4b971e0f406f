#include "tools/acctree/acc_tree.h"

#include <algorithm>
#include <cstdio>

#include "win/accessible.h"

namespace acctree {

namespace {

constexpr size_t kMaxText = 80;  // a chat pane's whole text would drown the tree
constexpr int kMaxDepth = 32;    // an object that lists itself among its children ends somewhere

// In the system code page, as the texts are; controls and the non-characters
// a bitmap static holds in its window text are written as escapes.
std::string Narrow(BSTR text) {
    if (!text) return {};
    std::string out;
    for (const WCHAR* c = text; c < text + SysStringLen(text); ++c) {
        char bytes[16];
        int length;
        if (*c == '\r' || *c == '\n')
            length = std::snprintf(bytes, sizeof bytes, "\\%c", *c == '\r' ? 'r' : 'n');
        else if (*c < 0x20 || *c == 0x7F || *c >= 0xFFFE)
            length = std::snprintf(bytes, sizeof bytes, "\\u%04X", static_cast<unsigned>(*c));
        else
            length = WideCharToMultiByte(CP_ACP, 0, c, 1, bytes, sizeof bytes, nullptr, nullptr);
        out.append(bytes, static_cast<size_t>(std::max(length, 0)));
    }
    SysFreeString(text);
    return out;
}

template <class Getter>
std::string Text(Getter get) {
    BSTR text = nullptr;
    return SUCCEEDED(get(&text)) ? Narrow(text) : std::string();
}

std::string StateText(uint32_t state) {
    std::string out;
    for (uint32_t bit = 1; bit && bit <= state; bit <<= 1) {
        if (!(state & bit)) continue;
        char name[64] = "";
        GetStateTextA(bit, name, sizeof name);
        out += (out.empty() ? "" : ",") + std::string(name);
    }
    return out;
}

// Quoted, one line, cut to a readable length.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size() && i < kMaxText; ++i) {
        if (text[i] == '"') out += '\\';
        out += text[i];
    }
    return out + (text.size() > kMaxText ? "...\"" : "\"");
}

std::string WindowLabel(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    std::string label = std::string(" [") + name;
    if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) label += " " + std::to_string(GetDlgCtrlID(window));
    return label + "]";
}

// A child that is another window's object is walked as that window; any
// other object child is listed, with its own children below it.
bool IsOtherWindow(IDispatch* child, HWND own) {
    IAccessible* object = nullptr;
    if (FAILED(child->QueryInterface(win::kIidAccessible, reinterpret_cast<void**>(&object))) || !object) return false;
    HWND window = nullptr;
    const bool other = WindowFromAccessibleObject(object, &window) == S_OK && window && window != own;
    object->Release();
    return other;
}

void VisitChildren(IAccessible* object, HWND own, int depth, const Options& options, std::vector<Entry>& out) {
    long count = 0;
    if (depth > kMaxDepth || FAILED(object->get_accChildCount(&count)) || count <= 0) return;
    const long wanted = std::min(count, options.maxChildren);
    std::vector<VARIANT> children(static_cast<size_t>(wanted));
    LONG got = 0;
    if (wanted == 0 || FAILED(AccessibleChildren(object, 0, wanted, children.data(), &got))) got = 0;
    for (LONG i = 0; i < got; ++i) {
        VARIANT& child = children[static_cast<size_t>(i)];
        if (child.vt == VT_I4) {
            Entry entry = Describe(object, child.lVal);
            entry.depth = depth;
            out.push_back(entry);
        } else if (child.vt == VT_DISPATCH && child.pdispVal && !IsOtherWindow(child.pdispVal, own)) {
            IAccessible* inner = nullptr;
            if (SUCCEEDED(child.pdispVal->QueryInterface(win::kIidAccessible, reinterpret_cast<void**>(&inner)))) {
                Entry entry = Describe(inner, CHILDID_SELF);
                entry.depth = depth;
                out.push_back(entry);
                VisitChildren(inner, own, depth + 1, options, out);
                inner->Release();
            }
        }
        VariantClear(&child);
    }
    if (count > wanted) {
        Entry rest;
        rest.depth = depth;
        rest.more = count - wanted;
        out.push_back(rest);
    }
}

void Visit(HWND window, int depth, const Options& options, std::vector<Entry>& out) {
    if (options.visibleOnly && !IsWindowVisible(window)) return;
    IAccessible* object = nullptr;
    if (SUCCEEDED(
            AccessibleObjectFromWindow(window, OBJID_CLIENT, win::kIidAccessible, reinterpret_cast<void**>(&object))) &&
        object) {
        Entry entry = Describe(object, CHILDID_SELF);
        entry.depth = depth;
        entry.window = window;
        out.push_back(entry);
        VisitChildren(object, window, depth + 1, options, out);
        object->Release();
    }
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        Visit(child, depth + 1, options, out);
}

struct Search {
    std::string title;
    HWND found = nullptr;
};

BOOL CALLBACK FindWindowByTitle(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char name[64] = "", title[256] = "";
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, title, sizeof title);
    const std::string text = title, suffix = " Browser";
    const bool browser = std::string(name) == "#32770" && text.size() >= suffix.size() &&
                         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
    if (!IsWindowVisible(window) || !(search->title.empty() ? browser : text == search->title)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

Entry Describe(IAccessible* object, LONG childId) {
    Entry entry;
    entry.childId = childId;
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = childId;
    VARIANT result;
    VariantInit(&result);
    if (SUCCEEDED(object->get_accRole(child, &result)) && result.vt == VT_I4) {
        entry.role = result.lVal;
        char text[64] = "";
        GetRoleTextA(static_cast<DWORD>(entry.role), text, sizeof text);
        entry.roleText = text;
    }
    VariantClear(&result);
    if (SUCCEEDED(object->get_accState(child, &result)) && result.vt == VT_I4) {
        entry.state = static_cast<uint32_t>(result.lVal);
        entry.stateText = StateText(entry.state);
    }
    VariantClear(&result);
    entry.name = Text([&](BSTR* out) { return object->get_accName(child, out); });
    entry.value = Text([&](BSTR* out) { return object->get_accValue(child, out); });
    entry.description = Text([&](BSTR* out) { return object->get_accDescription(child, out); });
    entry.action = Text([&](BSTR* out) { return object->get_accDefaultAction(child, out); });
    entry.located = SUCCEEDED(object->accLocation(&entry.x, &entry.y, &entry.width, &entry.height, child));
    return entry;
}

std::string Format(const Entry& entry) {
    if (entry.more) return "... " + std::to_string(entry.more) + " more";
    std::string line = (entry.roleText.empty() ? "object" : entry.roleText) + " " + Quote(entry.name);
    if (!entry.value.empty()) line += " value=" + Quote(entry.value);
    if (!entry.description.empty()) line += " description=" + Quote(entry.description);
    if (!entry.action.empty()) line += " action=" + Quote(entry.action);
    if (!entry.stateText.empty()) line += " state=" + entry.stateText;
    if (entry.childId != CHILDID_SELF) line += " id=" + std::to_string(entry.childId);
    if (entry.located) {
        char place[80];
        std::snprintf(place, sizeof place, " at %ld,%ld %ldx%ld", entry.x, entry.y, entry.width, entry.height);
        line += place;
    }
    if (entry.window) line += WindowLabel(entry.window);
    return line;
}

std::vector<Entry> Walk(HWND window, const Options& options) {
    std::vector<Entry> out;
    if (window && IsWindow(window)) Visit(window, 0, options, out);
    return out;
}

std::string Print(const std::vector<Entry>& entries) {
    std::string out;
    for (const Entry& entry : entries)
        out += std::string(static_cast<size_t>(2 * entry.depth), ' ') + Format(entry) + "\n";
    return out;
}

HWND FindBrowser(const std::string& title) {
    Search search{title};
    EnumWindows(FindWindowByTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace acctree

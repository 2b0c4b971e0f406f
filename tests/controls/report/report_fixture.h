// A report model with a recording parent, for the window-free tests: every
// notification is kept as a line, and the parent's answer (and whatever it
// does to the control meanwhile) is up to the test.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "controls/report/report_model.h"

namespace report_test {

using namespace report;

struct Note {
    uint32_t code;
    int item;
    int subItem;
    uint32_t state;
    intptr_t param;
    bool operator==(const Note& o) const {
        return code == o.code && item == o.item && subItem == o.subItem && state == o.state && param == o.param;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Note& n) {
    return out << "{" << -static_cast<int32_t>(n.code) << " item " << n.item << " sub " << n.subItem << " state 0x"
               << std::hex << n.state << std::dec << " param " << n.param << "}";
}

class TestReport : public ReportModel {
public:
    std::vector<Note> notes;
    // The parent's answer; it may call back into the control.
    std::function<intptr_t(NotifyHeader&)> answer;
    int sortMarkSubItem = -1;
    bool sortMarkAscending = false;
    std::vector<std::pair<int, int>> invalidated;  // rows asked to be repainted

    std::vector<Note> Take() { return std::exchange(notes, {}); }
    std::vector<uint32_t> Codes() const {
        std::vector<uint32_t> codes;
        for (const Note& n : notes) codes.push_back(n.code);
        return codes;
    }

protected:
    intptr_t SendNotify(NotifyHeader& header) override {
        if (header.code == NotifyGetItemData) {
            const ReportItem& item = reinterpret_cast<ReportItemNotify&>(header).item;
            notes.push_back({header.code, item.item, item.subItem, item.mask, 0});
        } else {
            const ReportNotify& n = reinterpret_cast<ReportNotify&>(header);
            notes.push_back({header.code, n.item, n.subItem, n.state, n.param});
        }
        return answer ? answer(header) : 0;
    }
    void InvalidateRows(int first, int last) override { invalidated.push_back({first, last}); }
    void ShowSortMark(int subItem, bool ascending) override {
        sortMarkSubItem = subItem;
        sortMarkAscending = ascending;
    }
};

// A tree with one shown column (subitem 0) and an item area of ten rows.
class TreeTest : public ::testing::Test {
protected:
    TestReport report;

    TreeTest() {
        report.CacheStyle(Tree);
        report.DefineSubItem({});
        report.SetColumns({{0, 100}}, {0});
        report.SetItemArea(100, 10 * report.RowHeight());
    }

    NodeHandle Add(const char* text, NodeHandle parent = RootNode, NodeHandle after = LastChild) {
        return report.InsertItem(text, -1, -1, -1, parent, after, -1);
    }
    int ItemOf(NodeHandle node) {
        NodeInfo info;
        return report.GetNodeInfo(node, info) ? info.item : -2;
    }
    std::string Text(int item) { return report.GetItemText(item, 0); }
    std::string Text(NodeHandle node) { return Text(ItemOf(node)); }
    // The rows' texts, space-separated.
    std::string Rows() {
        std::string out;
        for (int row = 0; row < report.RowCount(); ++row) out += (row ? " " : "") + Text(report.RowToItem(row));
        return out;
    }
    std::string Children(NodeHandle parent) {
        std::string out;
        for (NodeHandle c = report.GetNextItem(parent, 4); c; c = report.GetNextItem(c, 1))
            out += (out.empty() ? "" : " ") + Text(c);
        return out;
    }
    // Text of the focused row's item, "entry" for row -1, "none" for -2.
    std::string Focus() {
        int row = report.FocusRow();
        return row == -2 ? "none" : row == -1 ? "entry" : Text(report.RowToItem(row));
    }
    void SetParam(NodeHandle node, intptr_t param) {
        ReportItem item{};
        item.mask = MaskParam;
        item.item = ItemOf(node);
        item.param = param;
        ASSERT_TRUE(report.SetItem(item));
    }
    uint32_t State(int item) {
        ReportItem query{};
        query.item = item;
        query.subItem = -1;
        return report.GetItem(query) ? query.state : 0xDEAD;
    }
    uint32_t State(NodeHandle node) { return State(ItemOf(node)); }
    // What must hold after every operation, as a description of the first
    // thing that does not ("" when all is well).
    std::string Problems() {
        std::ostringstream out;
        const int count = report.GetItemCount();
        // The selection list lists exactly the items with the selected bit, once each.
        std::vector<int> listed = report.GetSelection();
        std::set<int> selected(listed.begin(), listed.end());
        if (selected.size() != listed.size()) return "an item is listed twice as selected";
        for (int item = -1; item < count; ++item)
            if (((State(item) & StateSelected) != 0) != (selected.count(item) != 0))
                return (out << "item " << item << ": selected bit and list disagree", out.str());
        for (int item : listed)
            if (item < -1 || item >= count) return (out << "selection lists a missing item " << item, out.str());
        // Rows and items map both ways.
        for (int row = 0; row < report.RowCount(); ++row) {
            int item = report.RowToItem(row);
            if (item < 0 || item >= count || report.ItemToRow(item) != row)
                return (out << "row " << row << " and item " << item << " disagree", out.str());
        }
        int withRows = 0;
        for (int item = 0; item < count; ++item) withRows += report.ItemToRow(item) >= 0;
        if (withRows != report.RowCount()) return "items and rows do not match in number";
        // Exactly the focus row's item has the focus bit.
        const int focusRow = report.FocusRow();
        const int focusItem = focusRow == -2 ? -2 : report.RowToItem(focusRow);
        for (int item = -1; item < count; ++item)
            if (((State(item) & StateFocused) != 0) != (item == focusItem))
                return (out << "item " << item << ": focus bit, focus row " << focusRow, out.str());
        if (!(report.Style() & TreeStyles)) return "";
        // Each item's node refers back to it; the rows are the walk of shown nodes.
        for (int item = 0; item < count; ++item) {
            NodeHandle node = report.GetItemNode(item);
            if (!node || ItemOf(node) != item)
                return (out << "item " << item << ": its node is not its own", out.str());
        }
        std::vector<int> walk;
        struct Visit {
            NodeHandle node;
            int level;
            bool shown;
        };
        std::vector<Visit> stack{{RootNode, 0, true}};
        size_t reached = 0;
        while (!stack.empty()) {
            const Visit v = stack.back();
            stack.pop_back();
            NodeInfo info;
            report.GetNodeInfo(v.node, info);
            std::vector<NodeHandle> children;
            for (NodeHandle c = report.GetNextItem(v.node, 4); c; c = report.GetNextItem(c, 1)) children.push_back(c);
            if (v.node != RootNode) {
                ++reached;
                if (info.level != v.level) return (out << "item " << info.item << ": level", out.str());
                if ((report.ItemToRow(info.item) >= 0) != v.shown)
                    return (out << "item " << info.item << (v.shown ? " has no row" : " has a row but is hidden"),
                            out.str());
            }
            if (v.node != RootNode && v.shown) {
                walk.push_back(info.item);
                ReportItem q{};
                q.item = info.item;
                q.subItem = -1;
                report.GetItem(q);
                uint32_t bits = children.empty() ? 0 : info.expanded ? StateExpanded : StateCollapsed;
                if (q.indent != v.level || (q.state & (StateExpanded | StateCollapsed)) != bits)
                    return (out << "shown item " << info.item << ": indent or button bits", out.str());
            }
            const bool childrenShown = v.shown && (v.node == RootNode || info.expanded);
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                stack.push_back({*it, v.level + 1, childrenShown});
        }
        if (reached != static_cast<size_t>(count))
            return (out << "tree holds " << reached << " of " << count, out.str());
        for (int row = 0; row < report.RowCount(); ++row)
            if (static_cast<size_t>(row) >= walk.size() || walk[static_cast<size_t>(row)] != report.RowToItem(row))
                return (out << "row " << row << " is not the walk of shown nodes", out.str());
        if (walk.size() != static_cast<size_t>(report.RowCount())) return "more shown nodes than rows";
        return "";
    }
    void Focus(NodeHandle node) {
        int row = report.ItemToRow(ItemOf(node));
        report.SelectRows(row, row, false, true, false, false);
    }
};

}  // namespace report_test

// Random operations on the report model, with a parent that now and then
// calls back into the control from inside its notifications. After every step:
// the consistency rules of the fixture, the expanded flags the test has seen
// set, and one -2055 for every item removed. Played from a seed by the random
// test, and from a fuzzer's bytes.
#pragma once
#include <map>
#include <random>
#include <set>

#include "tests/controls/report/report_fixture.h"

namespace report_test {

class RandomRun : public TreeTest {
protected:
    std::mt19937 random;
    intptr_t nextParam = 1;
    std::map<NodeHandle, bool> expanded;  // as the test set them
    std::vector<NodeHandle> deleted;      // handles that must stay dead
    std::multiset<intptr_t> notified;     // params of -2055s since the step began
    std::set<intptr_t> everNotified;
    int depth = 0;
    bool meddle = false;
    long operations = 0;

    // Where the choices come from: the seeded generator, or a fuzzer's bytes.
    virtual unsigned Draw() { return random(); }
    virtual bool More() { return true; }

    int Pick(int bound) { return bound <= 0 ? 0 : static_cast<int>(Draw() % static_cast<unsigned>(bound)); }
    bool Chance(int percent) { return Pick(100) < percent; }
    bool TreeMode() const { return (report.Style() & Tree) != 0; }

    std::set<intptr_t> LiveParams() {
        std::set<intptr_t> params;
        for (int item = 0; item < report.GetItemCount(); ++item) {
            ReportItem q{};
            q.item = item;
            q.subItem = -1;
            report.GetItem(q);
            params.insert(q.param);
        }
        return params;
    }
    NodeHandle AnyNode() {
        const int count = report.GetItemCount();
        if (count == 0 || Chance(15)) return RootNode;
        return report.GetItemNode(Pick(count));
    }
    std::string Word() { return std::string(1, static_cast<char>('a' + Pick(6))) + std::to_string(Pick(3)); }

    void Insert() {
        if (!TreeMode()) {
            ReportItem item{};
            std::string text = Word();
            item.mask = MaskText | MaskParam;
            item.item = Pick(report.GetItemCount() + 2);
            item.text = text.data();
            item.param = nextParam++;
            report.InsertListItem(item);
            return;
        }
        const NodeHandle parent = AnyNode();
        NodeHandle after;
        switch (Pick(5)) {
        case 0:
            after = FirstChild;
            break;
        case 1:
            after = LastChild;
            break;
        case 2:
            after = SortedChild;
            break;
        case 3:
            after = report.GetNextItem(parent, 4);
            break;  // after the first child
        default:
            after = AnyNode();
            break;  // often under another parent: fails
        }
        const NodeHandle node = Add(Word().c_str(), parent, after);
        if (!node) return;
        expanded[node] = false;
        SetParam(node, nextParam++);
    }

    void Delete() {
        if (!TreeMode()) {
            report.DeleteListItem(Pick(report.GetItemCount() + 1) - 1);
            return;
        }
        if (!deleted.empty() && Chance(20)) {
            EXPECT_FALSE(report.DeleteItem(deleted[static_cast<size_t>(Pick(static_cast<int>(deleted.size())))]));
            return;
        }
        const NodeHandle node = AnyNode();
        std::vector<NodeHandle> subtree{node};
        for (size_t i = 0; i < subtree.size(); ++i)
            for (NodeHandle c = report.GetNextItem(subtree[i], 4); c; c = report.GetNextItem(c, 1))
                subtree.push_back(c);
        if (report.DeleteItem(node))
            for (NodeHandle n : subtree) deleted.push_back(n), expanded.erase(n);
    }

    void Expand() {
        const NodeHandle node = AnyNode();
        const int code = Pick(4);  // 3 must fail
        const bool before = expanded.count(node) ? expanded[node] : false;
        const bool ok = report.Expand(node, code);
        EXPECT_EQ(ok, TreeMode() && node != RootNode && code < 3);
        if (ok) expanded[node] = code == 1 || (code == 2 && !before);
    }

    void Select() {
        const int rows = report.RowCount();
        report.SelectRows(Pick(rows + 1) - 1, Pick(rows + 1) - 1, Chance(80), Chance(40), Chance(30), true);
    }

    void SetSomething() {
        const int count = report.GetItemCount();
        if (count == 0) return;
        ReportItem item{};
        std::string text = Word();
        item.item = Pick(count + 1) - 1;
        item.subItem = Pick(2) - 1;
        item.mask = static_cast<uint32_t>(Pick(0x400)) &
                    ~(MaskParam | MaskIndent);  // an indent holds only until the next rebuild
        item.text = Chance(80) ? text.data() : nullptr;
        item.state = static_cast<uint32_t>(Pick(0x200));
        item.indent = Pick(5) - 1;
        item.image = Pick(4) - 1;
        report.SetItem(item);
    }

    void Step() {
        ++operations;
        switch (Pick(depth ? 5 : 8)) {
        case 0:
        case 1:
            Insert();
            break;
        case 2:
            Delete();
            break;
        case 3:
            Expand();
            break;
        case 4:
            Select();
            break;
        case 5:
            SetSomething();
            break;
        case 6:
            report.SortItems(0, Chance(50));
            break;
        default:
            if (Chance(3))
                report.DeleteAllItems();
            else
                Insert();
            break;
        }
    }

    void Run(unsigned seed, int steps, bool tree) {
        random.seed(seed);
        Play(seed, steps, tree);
    }

    void Play(unsigned seed, int steps, bool tree) {
        report.DeleteAllItems();
        report.ChangeStyle(tree ? Tree : 0);
        expanded.clear();
        deleted.clear();
        everNotified.clear();
        report.answer = [this](NotifyHeader& h) -> intptr_t {
            if (h.code == NotifyDeleteItem) {
                const intptr_t param = reinterpret_cast<ReportNotify&>(h).param;
                EXPECT_TRUE(everNotified.insert(param).second) << "a second -2055 for param " << param;
                notified.insert(param);
            }
            // A parent that acts from inside the notification, once in a while.
            if (meddle && depth == 0 && Chance(10)) {
                ++depth;
                Step();
                --depth;
            }
            return h.code == NotifyStateChanging && Chance(10);
        };
        for (int step = 0; step < steps && More(); ++step) {
            meddle = Chance(50);
            const std::set<intptr_t> before = LiveParams();
            notified.clear();
            Step();
            const std::set<intptr_t> after = LiveParams();
            for (intptr_t param : before) {
                const size_t expected = after.count(param) ? 0 : 1;
                ASSERT_EQ(notified.count(param), expected) << "seed " << seed << " step " << step;
            }
            ASSERT_EQ(Problems(), "") << "seed " << seed << " step " << step;
            for (auto [node, flag] : expanded) {
                NodeInfo info;
                if (!report.GetNodeInfo(node, info)) continue;  // removed by a meddling parent
                ASSERT_EQ(info.expanded, flag) << "seed " << seed << " step " << step;
            }
            for (NodeHandle h : deleted) {
                NodeInfo info;
                ASSERT_FALSE(report.GetNodeInfo(h, info)) << "seed " << seed << " step " << step;
            }
        }
    }
};

}  // namespace report_test

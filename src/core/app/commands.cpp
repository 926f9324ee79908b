#include "app/commands.h"

#include <algorithm>
#include <string_view>

#include "app/command_table.h"

namespace mw {

namespace {

using K = MenuNode::Kind;

// The submenus the program refills at run time, and the names the window
// layer finds them by.
constexpr struct {
    std::string_view path;
    const char* name;
} kRebuiltSubmenus[] = {
    {"File/Open Recent Maps", "recent"},
    {"Map/Zoom", "zoom"},
};

// A menu being gathered: its items and submenus with the order of each (a
// submenu's is its first item's).
struct Draft {
    MenuNode node;
    int order = 0;
    std::vector<Draft> children;
};

Draft& SubmenuOf(Draft& parent, std::string_view title, std::string_view path, int order) {
    for (Draft& d : parent.children)
        if (d.node.kind == K::Submenu && d.node.text == title) {
            d.order = std::min(d.order, order);
            return d;
        }
    Draft sub;
    sub.node.kind = K::Submenu;
    sub.node.text = std::string(title);
    for (const auto& r : kRebuiltSubmenus)
        if (r.path == path) sub.node.dynamicName = r.name;
    sub.order = order;
    parent.children.push_back(std::move(sub));
    return parent.children.back();
}

void Place(Draft& root, const CommandRow& row) {
    Draft* at = &root;
    const std::string_view path = row.place.menu;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) slash = path.size();
        at = &SubmenuOf(*at, path.substr(start, slash - start), path.substr(0, slash),
                        row.place.order);
        start = slash + 1;
    }
    Draft item;
    item.node = MenuNode{row.kind == CommandKind::Toggle ? K::Check : K::Item, row.id, row.text, {}, {}};
    item.order = row.place.order;
    at->children.push_back(std::move(item));
}

// Orders a menu's entries and parts the groups (the hundreds of the order)
// with separators; the top level (the menu bar itself) has none.
std::vector<MenuNode> Finish(std::vector<Draft>& drafts, bool separators) {
    std::stable_sort(drafts.begin(), drafts.end(),
                     [](const Draft& a, const Draft& b) { return a.order < b.order; });
    std::vector<MenuNode> nodes;
    for (std::size_t i = 0; i < drafts.size(); ++i) {
        if (separators && i > 0 && drafts[i].order / 100 != drafts[i - 1].order / 100)
            nodes.push_back(MenuNode{K::Separator, -1, {}, {}, {}});
        MenuNode node = std::move(drafts[i].node);
        if (node.kind == K::Submenu) node.children = Finish(drafts[i].children, true);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

std::vector<MenuNode> BuildMenuBar() {
    Draft root;
    for (const CommandRow& row : AllCommandRows())
        if (row.place.menu) Place(root, row);
    return Finish(root.children, false);
}

void CollectTexts(const std::vector<MenuNode>& nodes, int id, std::string& out) {
    for (const MenuNode& n : nodes) {
        if (!out.empty()) return;
        if (n.id == id && n.kind != K::Submenu && n.kind != K::Separator) out = n.text;
        CollectTexts(n.children, id, out);
    }
}

}  // namespace

const std::vector<MenuNode>& MenuBar() {
    static const std::vector<MenuNode> bar = BuildMenuBar();
    return bar;
}

std::string CommandText(int id) {
    std::string out;
    CollectTexts(MenuBar(), id, out);
    return out;
}

const std::vector<ToolButton>& CommandBarButtons() {
    static const std::vector<ToolButton> buttons = [] {
        std::vector<ToolButton> bar;
        for (const CommandRow& row : AllCommandRows()) {
            const Placement& p = row.place;
            if (p.barSlot < 0) continue;
            if (bar.size() <= static_cast<std::size_t>(p.barSlot))
                bar.resize(p.barSlot + 1, ToolButton{true, -1, false, "", ""});
            bar[p.barSlot] = ToolButton{false, p.barButton >= 0 ? p.barButton : row.id,
                                        row.kind == CommandKind::Toggle, p.barLabel, p.barTip};
        }
        return bar;
    }();
    return buttons;
}

const std::vector<ToolPanelButton>& ToolPanelButtons() {
    static const std::vector<ToolPanelButton> buttons = [] {
        std::vector<ToolPanelButton> panel;
        for (const CommandRow& row : AllCommandRows())
            if (row.place.panelControl != 0)
                panel.push_back({row.place.panelControl, row.place.panelCaption, row.id,
                                 row.kind == CommandKind::Toggle});
        std::sort(panel.begin(), panel.end(), [](const ToolPanelButton& a, const ToolPanelButton& b) {
            return a.control < b.control;
        });
        return panel;
    }();
    return buttons;
}

bool CommandAvailable(int id) {
    const CommandRow* row = FindCommandRow(id);
    return row && row->run;
}

bool CommandChangesLayout(int id) {
    const CommandRow* row = FindCommandRow(id);
    return row && row->relayout;
}

bool CommandIsToggle(int id) {
    const CommandRow* row = FindCommandRow(id);
    return row && row->kind == CommandKind::Toggle;
}

bool CommandEnabled(const App& app, int id) {
    const CommandRow* row = FindCommandRow(id);
    return row && row->run && (!row->available || row->available(app));
}

}  // namespace mw

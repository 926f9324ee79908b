// The main window's menus and tool bars, gathered from the core's command
// rows, and the check marks and enabled states that follow the core's state.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <set>

#include "app/commands.h"
#include "ui/button_icon.h"
#include "ui/file_requests.h"
#include "ui/main_window.h"
#include "paint/qt_canvas.h"

namespace mw {

void MainWindow::BuildMenus() {
    std::function<void(QMenu*, const std::vector<MenuNode>&)> fill =
        [&](QMenu* menu, const std::vector<MenuNode>& nodes) {
            for (const MenuNode& n : nodes) {
                switch (n.kind) {
                    case MenuNode::Kind::Separator:
                        menu->addSeparator();
                        break;
                    case MenuNode::Kind::Submenu: {
                        QMenu* sub = menu->addMenu(QString::fromStdString(n.text));
                        sub->setObjectName(QString::fromStdString(
                            n.dynamicName.empty() ? "menu" + n.text : n.dynamicName));
                        fill(sub, n.children);
                        break;
                    }
                    default: {
                        QAction* a = menu->addAction(QString::fromStdString(n.text));
                        a->setObjectName(QString("cmd%1").arg(n.id));
                        a->setData(n.id);
                        a->setCheckable(n.kind == MenuNode::Kind::Check);
                        a->setEnabled(CommandAvailable(n.id));
                        int id = n.id;
                        connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
                        actions_[id] = a;
                    }
                }
            }
        };
    for (const MenuNode& top : MenuBar()) {
        QMenu* m = menuBar()->addMenu(QString::fromStdString(top.text));
        m->setObjectName(QString::fromStdString("menu" + top.text));
        fill(m, top.children);
    }
}

void MainWindow::BuildToolBars() {
    builtForPortrait_ = app_.mapView.screen.portrait;
    commandBar_->clear();
    toolPanel_->clear();
    const auto& buttons = CommandBarButtons();
    int count = app_.mapView.screen.portrait ? kPortraitCommandBarButtons
                                             : static_cast<int>(buttons.size());
    for (int i = 0; i < count; ++i) {
        const ToolButton& b = buttons[i];
        if (b.separator) {
            if (i > 0) commandBar_->addSeparator();
            continue;
        }
        QAction* a = EnsureAction(CanonicalCommand(b.command), b.tip);
        a->setIcon(ButtonIcon(b.label));
        a->setIconVisibleInMenu(false);
        a->setToolTip(QString::fromStdString(b.tip));
        commandBar_->addAction(a);
    }
    for (const ToolPanelButton& b : ToolPanelButtons()) {
        QAction* a = EnsureAction(b.command, b.caption);
        if (a->icon().isNull()) a->setIcon(ButtonIcon(b.caption));
        a->setIconVisibleInMenu(false);
        toolPanel_->addAction(a);
    }
    toolPanel_->setVisible(app_.mapView.screen.portrait && app_.view.viewToolbar != 0);
}

QAction* MainWindow::EnsureAction(int id, const std::string& text) {
    if (QAction* a = Action(id)) return a;
    // Zoom steps have no fixed menu item; their buttons get actions of their own.
    auto* a = new QAction(QString::fromStdString(text), this);
    a->setObjectName(QString("cmd%1").arg(id));
    a->setData(id);
    a->setCheckable(CommandIsToggle(id));
    a->setEnabled(CommandAvailable(id));
    connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = a;
    return a;
}

QAction* MainWindow::Action(int id) const {
    auto it = actions_.find(CanonicalCommand(id));
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::SyncChecks() {
    // A checkable action flips itself when clicked; the core's state is what
    // counts, so every check mark and enabled state is set from the command
    // rows after each command.
    for (auto& [id, a] : actions_) {
        a->setEnabled(CommandEnabled(app_, id));
        if (a->isCheckable()) a->setChecked(CommandChecked(app_, id));
    }
}

void MainWindow::SetCommandChecked(int commandId, bool checked) {
    // Only a toggle's action is checkable (its row says so when the action
    // is made); a check mark for anything else has nowhere to show.
    if (QAction* a = Action(commandId); a && a->isCheckable()) a->setChecked(checked);
}

void MainWindow::SetCommandEnabled(int commandId, bool enabled) {
    if (QAction* a = Action(commandId)) a->setEnabled(enabled && CommandAvailable(commandId));
}

void MainWindow::SetMenuItems(const std::string& dynamicName, const std::vector<MenuEntry>& items) {
    QMenu* menu = menuBar()->findChild<QMenu*>(QString::fromStdString(dynamicName));
    if (!menu) return;
    std::set<int> kept;
    for (const MenuEntry& item : items) kept.insert(item.id);
    for (QAction* old : menu->actions()) {
        menu->removeAction(old);
        // An action that stays (or that a tool button shares, like "Full
        // Map" and "100 %") is put back below, not destroyed.
        int id = old->data().toInt();
        if (kept.count(id)) continue;
        bool onToolBar =
            commandBar_->actions().contains(old) || toolPanel_->actions().contains(old);
        if (onToolBar) continue;
        auto it = actions_.find(id);
        if (it != actions_.end() && it->second == old) actions_.erase(it);
        old->deleteLater();
    }
    for (const MenuEntry& item : items) {
        // "&" in a file name is text, not a shortcut marker.
        QString text = DisplayText(item.text).replace("&", "&&");
        QAction* a = EnsureAction(item.id, item.text);
        a->setText(text);
        menu->addAction(a);
    }
}

}  // namespace mw

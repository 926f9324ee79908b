// The map dialogs: "Map Information" (a list closed with Cancel) and "Maps
// Found" (a list whose chosen entry is loaded). Control numbers survive as
// object names ("ctl1014" is the list of "Maps Found") so tests find them.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QListWidget;

namespace mw {

class ListDialog : public QDialog {
    Q_OBJECT
public:
    ListDialog(const std::string& title, const std::vector<std::string>& lines, QWidget* parent);
    QListWidget* List() const { return list_; }

private:
    QListWidget* list_;
};

class MapsFoundDialog : public QDialog {
    Q_OBJECT
public:
    MapsFoundDialog(const std::vector<std::string>& names, std::function<void(int)> choose,
                    QWidget* parent);
    QListWidget* List() const { return list_; }

private:
    void ChooseCurrent();
    QListWidget* list_;
    std::function<void(int)> choose_;
};

}  // namespace mw

// The help page in the program's own window: the bundled HTML page shown in
// a text browser, so help opens on a handheld without a desktop browser.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace mw {

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    // `page` is the HTML file; when it cannot be read the window says so.
    HelpWindow(const QString& page, QWidget* parent);
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

}  // namespace mw

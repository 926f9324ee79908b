#include "ui/help_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/handheld_layout.h"

namespace mw {

HelpWindow::HelpWindow(const QString& page, QWidget* parent) : QDialog(parent) {
    setObjectName("helpWindow");
    setWindowTitle("Help");
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("helpText");
    // Links to other sites stay out: the page is read here, not browsed.
    browser_->setOpenExternalLinks(false);
    browser_->setOpenLinks(true);
    const QFileInfo info(page);
    if (info.isFile() && info.isReadable()) {
        browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    } else {
        browser_->setPlainText(QString("The help page could not be read:\n%1").arg(page));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName("close");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(browser_, 1);
    layout->addWidget(buttons);
    resize(480, 560);
    FitDialogToScreen(this);
}

}  // namespace mw

// The program's style: the platform's own, except for images Qt would read
// from files. Reading any image file through Qt loads every image format
// plugin installed (ten here, with libtiff, libwebp, libmng and the rest),
// and the menu bar and each tool bar ask for one at once, for the arrow of
// their overflow button. Those arrows are drawn instead, so the first frame
// reads no image file.
#pragma once

#include <QProxyStyle>

class QApplication;

namespace mw {

class ProgramStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// Sets ProgramStyle over the platform's style for the whole program.
void UseProgramStyle(QApplication& app);

}  // namespace mw

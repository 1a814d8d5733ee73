// The About box: the application icon, the product name and version, the maker's notice, and a
// button with the product web site's address that opens it in the user's browser and leaves the
// box open. OK, Esc and the close box close it.
//
// Threads: user-interface thread only.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tonavise::ui {

class WebPageOpener;

// "Tonavise Version 1.4.2.2".
QString AboutVersionText();

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    AboutDialog(WebPageOpener& opener, QWidget* parent = nullptr);

    QLabel* versionLabel() const { return version_; }
    QLabel* noticeLabel() const { return notice_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* webButton() const { return web_; }

  private:
    WebPageOpener& opener_;
    QLabel* version_ = nullptr;
    QLabel* notice_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* web_ = nullptr;
};

}  // namespace tonavise::ui

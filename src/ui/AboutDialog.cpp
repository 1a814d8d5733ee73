#include "ui/AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "ui/DialogUnits.h"
#include "ui/ProductInfo.h"
#include "ui/ToolIcons.h"
#include "ui/WebPageOpener.h"

namespace tonavise::ui {

namespace {

// Dialog icons are shown at the system's icon size, whatever their place in the template.
constexpr int kIconPixels = 32;

}  // namespace

QString AboutVersionText() {
    return QStringLiteral("%1 Version %2")
        .arg(QLatin1String(kProductName), QLatin1String(kProductVersion));
}

AboutDialog::AboutDialog(WebPageOpener& opener, QWidget* parent)
    : QDialog(parent), opener_(opener) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(tr("About Tonavise"));
    const DialogUnits du(font());
    setFixedSize(du.Size(251, 62));

    auto* icon = new QLabel(this);
    const QRect iconRect = du.Rect(7, 7, 20, 20);
    icon->setGeometry(iconRect.x(), iconRect.y(), kIconPixels, kIconPixels);
    icon->setPixmap(MakeAppIcon().pixmap(kIconPixels, kIconPixels));

    // Texts wider than their place in the template (other fonts, translations) grow to the
    // right instead of being cut.
    auto text = [&](const QString& s, QRect r) {
        auto* label = new QLabel(s, this);
        label->setTextFormat(Qt::PlainText);
        r.setWidth(std::max(r.width(), label->sizeHint().width()));
        label->setGeometry(r);
        return label;
    };
    version_ = text(AboutVersionText(), du.Rect(37, 9, 119, 8));
    version_->setObjectName(QStringLiteral("version"));
    notice_ = text(QString::fromUtf8(kMakerNotice), du.Rect(36, 21, 151, 8));
    notice_->setObjectName(QStringLiteral("notice"));

    ok_ = new QPushButton(tr("OK"), this);
    ok_->setObjectName(QStringLiteral("id1"));
    ok_->setGeometry(du.Rect(194, 7, 50, 21));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    web_ = new QPushButton(QString::fromLatin1(kProductWebPage), this);
    web_->setObjectName(QStringLiteral("id1000"));
    QRect webRect = du.Rect(7, 38, 118, 17);
    webRect.setWidth(std::max(webRect.width(), web_->sizeHint().width()));
    web_->setGeometry(webRect);
    web_->setAutoDefault(false);
    connect(web_, &QPushButton::clicked, this, [this] {
        opener_.Open(QUrl(QString::fromLatin1(kProductWebPage)));
    });
    ok_->setFocus();
}

}  // namespace tonavise::ui

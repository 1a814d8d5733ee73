// Opens web pages and documents in the user's own programs. Tests replace it, so that no test
// ever starts a browser.
#pragma once

#include <QUrl>

namespace tonavise::ui {

class WebPageOpener {
  public:
    virtual ~WebPageOpener() = default;
    // False when no program could be started for it; the caller decides whether to say so.
    virtual bool Open(const QUrl& url) = 0;
};

// The desktop's default handler for the address.
class DesktopWebPageOpener final : public WebPageOpener {
  public:
    bool Open(const QUrl& url) override;
};

}  // namespace tonavise::ui

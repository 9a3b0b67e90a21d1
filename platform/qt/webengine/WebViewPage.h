#pragma once
// The engine page behind one web view: hands every navigation, new-window
// requests included, to its owner before anything loads, and keeps the page's
// dialogs, file pickers and permission prompts off the screen. It does not
// follow loads; its owner does.

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <functional>
#include <memory>
#include <string>

class QWebEngineUrlRequestInterceptor;

namespace platform {

class WebViewPage final : public QWebEnginePage {
public:
    class Owner {
    public:
        // Answers whether the engine may go on; the owner may be gone afterwards.
        virtual bool acceptNavigation(const QUrl& url, NavigationType type, bool isMainFrame) = 0;
        // The page asked for a new window showing `url`.
        virtual void newWindowNavigation(const QUrl& url, NavigationType type) = 0;

    protected:
        ~Owner() = default;
    };

    using Log = std::function<void(const std::string&)>;
    WebViewPage(QWebEngineProfile* profile, Owner* owner, Log log, QObject* parent);
    ~WebViewPage() override;

    // A page made ahead gets its owner when a web view takes it.
    void attach(Owner* owner) { owner_ = owner; }
    // The owner is going: every later navigation is refused.
    void detach() { owner_ = nullptr; }
    // The next top-level request for `url` carries this "Referer".
    void setReferrerForNextLoad(const QUrl& url, const QString& referrer);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl& origin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue, QString* result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles, const QStringList& acceptedMimeTypes) override;

private:
    // A page made for a new window only forwards its first real navigation.
    WebViewPage(QWebEngineProfile* profile, WebViewPage* opener);

    // New windows waiting for their address: at most this many at once, each
    // for at most this long.
    static constexpr int kMaxWaitingWindows = 4;
    static constexpr int kWindowWaitMs = 3000;

    Owner* owner_ = nullptr; // non-owning
    Log log_;
    QPointer<WebViewPage> opener_;
    QList<QPointer<WebViewPage>> windows_;
    bool refusedWindowLogged_ = false;
    std::unique_ptr<QWebEngineUrlRequestInterceptor> interceptor_;
};

}

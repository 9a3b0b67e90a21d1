#pragma once
// What the program asks of the web engine module, and what the module tells
// back. The module alone links the web engine, which brings some forty
// libraries that a start of the game never uses; it is loaded when the first
// web view loads something. Nothing here decides what a navigation means.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace platform::webengine {

// Raised whenever a declaration below changes: a module from another build
// is refused rather than called through a different layout.
inline constexpr int kInterfaceVersion = 1;
inline constexpr const char* kEntryPoint = "tolvaneWebEngineCreate";

// The engine's navigation kinds, as the web view tells them apart.
enum class Navigation { LinkClicked, Typed, FormSubmitted, BackForward, Reload, Redirect, Other };

struct LoadInfo {
    enum class Status { Started, Succeeded, Stopped, Failed };
    enum class ErrorDomain { None, Certificate, HttpStatus, Other };
    Status status = Status::Started;
    QUrl url;
    ErrorDomain errorDomain = ErrorDomain::None;
    int errorCode = 0;
    QString errorString;
};

// The web view's side of one page. All calls come on the main thread.
class PageClient {
public:
    // Whether the engine may go on; the client may be gone afterwards.
    virtual bool acceptNavigation(const QUrl& url, Navigation type, bool isMainFrame) = 0;
    // The page asked for a new window showing `url`.
    virtual void newWindowNavigation(const QUrl& url, Navigation type) = 0;
    virtual void loadingChanged(const LoadInfo& info) = 0;
    virtual void urlChanged(const QUrl& url) = 0;
    virtual void contentsSizeChanged() = 0;
    // The renderer ended other than normally.
    virtual void rendererGone() = 0;

protected:
    ~PageClient() = default;
};

// One engine view and its page. The view is a child of the widget it was made
// in; the session may delete it first, after which the calls do nothing.
// Destroying this stops every call to the client at once, and leaves the view
// to the event loop: the engine may be inside one of the page's calls.
class Page {
public:
    virtual ~Page() = default;

    virtual QWidget* view() const = 0; // null once deleted
    virtual bool hasPage() const = 0;

    virtual void setBackgroundColor(const QColor& color) = 0;
    virtual void setPlaybackRequiresUserGesture(bool on) = 0;
    virtual double contentsWidth() const = 0;
    virtual double zoomFactor() const = 0;
    virtual void setZoomFactor(double zoom) = 0;

    virtual void setHtml(const QString& html, const QUrl& baseUrl) = 0;
    // `referrer` (empty for none) goes out as the engine's policy allows.
    virtual void load(const QUrl& url, const QList<QPair<QByteArray, QByteArray>>& headers, const QString& referrer) = 0;
    virtual void runJavaScript(const QString& script, std::function<void(const QVariant&)> done) = 0;

    enum class Action { Back, Forward, Reload, Stop };
    virtual void trigger(Action action) = 0;
    virtual bool canGoBack() const = 0;
    virtual bool canGoForward() const = 0;
};

// The process's one engine: a profile kept in memory and shared by every page.
class Engine {
public:
    virtual ~Engine() = default;
    virtual std::unique_ptr<Page> makePage(QWidget* parent, PageClient* client, bool playbackRequiresGesture) = 0;
    virtual QString userAgent() const = 0;
    // Deletes the profile; every page must be gone already.
    virtual void release() = 0;
};

struct ModuleContext {
    // Registered with the engine before it starts: their navigations reach
    // the clients, and nothing is ever loaded from them.
    QStringList schemes;
    std::function<void(const std::string&)> log;
};

// The module's one exported function; null when the versions differ.
using CreateFunction = Engine* (*)(int interfaceVersion, const ModuleContext& context);

}

#pragma once
// The process's one web engine: the off-the-record profile that every web view
// shares, the schemes whose navigations reach the delegates, the engine views
// still alive, and a page kept ready for the next web view. Nothing here
// starts the engine before the first load.

#include <QString>
#include <string>

class QWebEngineProfile;
class QWidget;

namespace platform {

class WebViewPage;

class WebEngine {
public:
    // Takes effect only before the engine starts; a late scheme is logged.
    static void registerScheme(const std::string& scheme);
    // Schemes that navigate without the engine dropping them: its own and ours.
    static bool routesScheme(const QString& scheme);
    static bool isStarted();
    // Starts the engine on first call. Cookies, cache and storage stay in
    // memory and are shared only among our web views.
    static QWebEngineProfile* profile();
    // A page for a web view's first load, without an owner (it refuses every
    // navigation until it gets one) and without a parent: the caller's from
    // then on. Making a page and starting its renderer costs about as much as
    // loading a small page into it, so a page made ahead, between loads, is
    // handed out when there is one. That page has never shown anything: no
    // history, no document of its own, the engine's default settings. Its
    // replacement is made on a later turn. Starts the engine on first call.
    static WebViewPage* takePage();
    // Engine views outlive their web views until the event loop deletes them;
    // the ones left are deleted at release(), before the profile they use.
    static void adopt(QWidget* engineView);
    // A page that has finished loading, or whose view has just come on
    // screen, is drawn a few frames later; until then a grab of its view shows
    // what was there before. In headless sessions engine views carry the mark
    // from either event until a screenshot has seen the page, and with it the
    // picture they showed at the event.
    static constexpr const char* kFrameMarkProperty = "tolvaneFrameMark";
    static constexpr const char* kFrameBeforeProperty = "tolvaneFrameBefore";
    // Runs the event loop until every visible engine view inside `root`
    // shows its page, for at most `timeoutMs`; false when one still does not.
    static bool waitForFrames(QWidget* root, int timeoutMs);
    // Called by the platform session while the application object is whole.
    static void release();
};

}

#pragma once
// The process's one web engine, seen from the program: the schemes whose
// navigations reach the delegates, the module that holds the engine (loaded
// at the first load, never before), and the engine views still alive. The
// engine itself lives in the module; nothing here links it.

#include "WebEngineModule.h"

#include <QString>
#include <string>

class QWidget;

namespace platform {

class WebEngine {
public:
    // Takes effect only before the engine starts; a late scheme is logged.
    static void registerScheme(const std::string& scheme);
    // Schemes that navigate without the engine dropping them: its own and ours.
    static bool routesScheme(const QString& scheme);
    static bool isStarted();
    // Loads the module and starts the engine on the first call. Null when the
    // module cannot be loaded; unavailableReason() then says why, and every
    // later call answers the same without trying again.
    static webengine::Engine* engine();
    static const std::string& unavailableReason();
    // The engine's "User-Agent"; empty when there is no engine.
    static QString userAgent();
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

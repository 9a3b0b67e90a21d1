#pragma once
// The loading state machine behind one banner: it gets the core script
// (cached for a day), has it build the ad URL in a hidden web view, downloads
// the ad markup, shows it, reports to the delegates, pings tracking URLs and
// refreshes on the server's schedule. It draws nothing beyond its web view and
// talks to the page only through the web-view bridge.

#include "Network/ADSCachedFileDelegate.h"
#include "Network/ADSClickTrackerDelegate.h"
#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "platform/Url.h"
#include "platform/Value.h"
#include "platform/ui/Geometry.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class ViewController;
class WebView;
}
class ADSBannerView;
class ADSBannerWebViewDelegate;
class ADSCachedFile;
class ADSClickTracker;
class ADSDelegateManager;
class ADSRequest;
class ADSRequestPrivate;
class ADSWebViewDelegate;

class ADSObjectPrivate : public std::enable_shared_from_this<ADSObjectPrivate>,
                         private ADSCachedFileDelegate,
                         private ADSClickTrackerDelegate {
public:
    enum State : int32_t {
        Idle = 0,
        FetchingScript = 1,
        ScriptFailed = 2,
        BuildingAdURL = 3,
        DownloadingAd = 4,
        ShowingAd = 5,
        AdShown = 6,
        Failed = 7,
    };

    // Serves the banner (not owned); its web view becomes the banner's subview.
    static std::shared_ptr<ADSObjectPrivate> createWithView(ADSBannerView& view);
    ~ADSObjectPrivate() override;
    ADSObjectPrivate(const ADSObjectPrivate&) = delete;
    ADSObjectPrivate& operator=(const ADSObjectPrivate&) = delete;

    // A request that is not the library's own counts as an empty one.
    void loadRequest(const ADSRequest* request);
    void loadInterstitialRequest(const ADSRequest* request);
    // Drops delayed calls and the refresh timer.
    void cancelPendingActions();
    // The banner is going away: nothing starts any more, and callbacks still
    // under way find no banner.
    void detachView();
    bool isDetached() const { return detached_; }

    int32_t state() const { return state_; }
    void changeState(int32_t state);
    // Loads are refused while this holds (states 1, 3, 4 and 5).
    bool isMakingRequest() const;
    // Told of every state change, after it happens (tests, automation).
    void setStateObserver(std::function<void(int32_t)> observer) { stateObserver_ = std::move(observer); }

    const ADSRequestPrivate* request() const { return request_.get(); }
    platform::WebView& webView() const { return *webView_; }
    ADSBannerView* adView() const { return adView_; }
    const std::string& adUnitID() const { return adUnitID_; }
    void setAdUnitID(const std::string& id) { adUnitID_ = id; }
    platform::ViewController* rootViewController() const { return rootViewController_; }
    void setRootViewController(platform::ViewController* controller) { rootViewController_ = controller; }
    const std::shared_ptr<ADSDelegateManager>& delegateManager() const { return delegateManager_; }
    int32_t supportedOrientations() const { return supportedOrientations_; }
    bool hasAutoRefreshed() const { return hasAutoRefreshed_; }
    double reloadSeconds() const { return reloadSeconds_; }
    bool isReloadScheduled() const;
    // Something is up over the screen the banner sits on (an ad's full-screen
    // content, the mail composer).
    bool isCoveredByFullScreenContent() const;

    std::vector<platform::Url> pendingTrackingURLs() const { return pendingTrackingURLs_.value_or(std::vector<platform::Url>()); }
    std::vector<platform::Url> pendingClickURLs() const { return pendingClickURLs_.value_or(std::vector<platform::Url>()); }
    size_t pendingTrackers() const { return trackers_.size(); }
    // Reports the error to the delegates, this object kept alive meanwhile.
    void reportError(long code);
    // Keeps this object until the current turn of the run loop ends, for
    // callbacks into the application, which may release the banner.
    void retainForThisTurn();

    // One ping per URL, each kept until it has ended.
    void trackURLs(const std::vector<platform::Url>& urls);

    const ADSCachedFile* adHTML() const { return adHTML_.get(); }
    std::optional<std::string> adHTMLString() const;
    std::optional<platform::Url> adHTMLBaseURL() const;
    bool hasBuildAdWebView() const { return buildAdWebView_ != nullptr; }

    // The build-ad page: the core script, then a call of ADS_buildAdURL with
    // the parameters' JSON, made safe to sit inside a script element.
    static std::string buildAdPage(const std::string& coreScript, const std::string& parametersJSON);
    static std::string escapeForScriptElement(std::string_view json);
    // "X-Ads-Refresh-Rate" as seconds; 0 (no refresh) for anything that is
    // not a positive number, and never less than kMinimumRefreshSeconds.
    static double refreshSecondsFromHeader(std::string_view value);
    // A server that asked for a refresh every millisecond would have the
    // banner load ad after ad, back to back, for as long as it runs.
    static constexpr double kMinimumRefreshSeconds = 10;
    // A header's URL list: pieces between single spaces, trimmed, each
    // resolved against `base`; pieces that are no URL are skipped. A list
    // holds at most kMaximumTrackingURLs: every URL in it becomes a ping.
    static void appendURLsFromHeader(std::optional<std::vector<platform::Url>>& array, std::string_view value,
        const platform::Url& base);

    // How long the core script may take to answer before the load fails.
    static constexpr double kBuildAdTimeout = 30;
    // How long the core script's or an ad's download may take in all. The
    // connection's stall timer restarts with every byte, so a server that
    // trickles its answer would otherwise hold the banner in one state for
    // good, refusing every later load.
    static constexpr double kDownloadTimeout = 30;
    // How long the ad's page may take to load. A page that never finishes
    // (a picture whose server never answers) would hold the banner in state 5
    // for good.
    static constexpr double kShowAdTimeout = 30;
    static constexpr size_t kMaximumTrackingURLs = 16;

private:
    ADSObjectPrivate() = default;
    void initWithView(ADSBannerView& view);

    void loadPrivateRequest(const ADSRequestPrivate* request, bool autoRefresh);
    bool isAppActive() const;
    void ensureSupportFiles();
    void buildAdUrl();
    void addAdditionalParameters(platform::Dictionary& parameters) const;
    void setupBuildAdWebView();
    void resetBuildAdWebView();
    void loadAdURL(const platform::Dictionary& message);
    void invalidRequest(const platform::Dictionary& message);
    void unableToServe(const platform::Dictionary& message);
    void buildAdTimedOut();
    void startStateDeadline(double seconds, void (ADSObjectPrivate::*timedOut)());
    void downloadTimedOut();
    void showAdTimedOut();
    void loadHTMLFromURL(const platform::Url& url);
    void setAdHTML(std::unique_ptr<ADSCachedFile> file);
    void processHTTPHeaders(const ADSCachedFile& file);
    void showAd();
    void failedToDownloadJavaScript();
    void flushScriptExpiry();
    void failedAdRequestWithError(const ADSCachedFile& file);

    void addReloadInformationFromHeaders();
    void scheduleReloadTimer(double seconds);
    void resetReloadTimer();
    void reloadCurrentRequest();
    void activateReloadTimer() { scheduleReloadTimer(reloadSeconds_); }
    void deactivateReloadTimer() { resetReloadTimer(); }
    void cleanupTrackers();

    void cachedFileDownloadDidEnd(ADSCachedFile& file) override;
    void downloadDidFail(ADSCachedFile& file, const std::optional<platform::Error>& error) override;
    std::optional<platform::Error> shouldRedirectToURL(ADSCachedFile& file, const platform::Url& url) override;
    void didRedirect(ADSClickTracker&, const platform::Url&) override;
    void didFailWithError(ADSClickTracker&, const std::optional<platform::Error>&) override;

    ADSBannerView* adView_ = nullptr; // not owned
    std::string adUnitID_;
    std::shared_ptr<ADSDelegateManager> delegateManager_;
    platform::ViewController* rootViewController_ = nullptr; // not owned
    std::unique_ptr<platform::WebView> webView_;
    std::unique_ptr<platform::WebView> buildAdWebView_;
    std::unique_ptr<ADSBannerWebViewDelegate> webViewDelegate_;
    std::unique_ptr<ADSWebViewDelegate> buildAdWebViewDelegate_;
    std::unique_ptr<ADSCachedFile> buildAdJS_;
    std::unique_ptr<ADSCachedFile> adHTML_;
    std::unique_ptr<ADSRequestPrivate> request_;
    int32_t state_ = Idle;
    std::vector<std::unique_ptr<ADSClickTracker>> trackers_;
    std::optional<std::vector<platform::Url>> pendingTrackingURLs_;
    std::optional<std::vector<platform::Url>> pendingClickURLs_;
    std::unique_ptr<platform::Timer> reloadTimer_;
    double reloadSeconds_ = 0;
    bool hasAutoRefreshed_ = false;
    int32_t supportedOrientations_ = 1;

    // How long the current state may last (building the URL, a download, the
    // ad's page loading); every change of state ends it.
    std::unique_ptr<platform::Timer> stateDeadline_;
    std::function<void(int32_t)> stateObserver_;
    bool detached_ = false;
    // The script's expiry date is in the settings store, not yet on disk.
    bool scriptExpiryUnflushed_ = false;
};

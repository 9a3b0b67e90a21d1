#include "Object/ADSObjectPrivate.h"

#include "ADSConfiguration.h"
#include "Delegate/ADSDelegateManager.h"
#include "Delegate/ADSWebViewDelegate.h"
#include "Network/ADSCachedFile.h"
#include "Network/ADSClickTracker.h"
#include "Notification/ADSNotificationCenter.h"
#include "Request/ADSRequestError.h"
#include "Request/ADSRequestPrivate.h"
#include "Signals/ADSSignals.h"
#include "Statistics/ADSStatistics.h"
#include "Statistics/ADSStatisticsCore.h"
#include "Utility/ADSIdentifierUtilities.h"
#include "Utility/ADSMacros.h"
#include "Utility/ADSNetworkUtilities.h"
#include "Utility/ADSParameterNames.h"
#include "View/ADSBannerView.h"
#include "View/ADSBannerWebViewDelegate.h"
#include "ViewController/ADSViewController.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/WebView.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

constexpr const char* kScriptStoreIdentifier = "ADSObjectPrivate";
constexpr const char* kExpireDateKey = "expireDate";
constexpr double kScriptLifetime = 86400;

// Set once the application has finished launching; until then a load is
// never held back for the application not being active yet.
bool didAppFinishLaunching = false;

void watchForLaunch()
{
    static bool watching = false;
    if (watching)
        return;
    watching = true;
    static const int token = 0;
    platform::NotificationCenter::defaultCenter().addObserver(&token,
        platform::kApplicationDidFinishLaunchingNotification, nullptr, [](const platform::Notification&) {
            didAppFinishLaunching = true;
            platform::NotificationCenter::defaultCenter().removeObserver(&token);
        });
}

// Header names compare without case: servers and proxies differ in how they write them.
std::optional<std::string> headerValue(const platform::Dictionary& headers, std::string_view name)
{
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size()
            && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               }))
            return value.asString();
    }
    return std::nullopt;
}

bool isWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isWhitespace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isWhitespace(text.back()))
        text.remove_suffix(1);
    return text;
}

}

std::shared_ptr<ADSObjectPrivate> ADSObjectPrivate::createWithView(ADSBannerView& view)
{
    watchForLaunch();
    std::shared_ptr<ADSObjectPrivate> object(new ADSObjectPrivate());
    object->initWithView(view);
    return object;
}

void ADSObjectPrivate::initWithView(ADSBannerView& view)
{
    adView_ = &view;
    const platform::Rect frame = view.bounds();
    delegateManager_ = ADSDelegateManager::create();

    webView_ = std::make_unique<platform::WebView>(frame);
    webView_->setClipsToBounds(true);
    webView_->setAutoresizingMask(platform::AutoresizingFlexibleWidth | platform::AutoresizingFlexibleHeight);
    webView_->setOpaque(false);
    webView_->setBackgroundColor(platform::Color::clear());
    webView_->setHidden(true);
    webView_->setDataDetectorTypes(platform::DataDetectorTypeNone);
    webView_->setObjectName("adWebView");
    webViewDelegate_ = std::make_unique<ADSBannerWebViewDelegate>(*this);
    webView_->setDelegate(webViewDelegate_.get());
    view.addSubview(*webView_);

    auto& center = platform::NotificationCenter::defaultCenter();
    const bool multitasking = ADSIdentifierUtilities::isOSAtLeastMajor(4, 0, 0);
    center.addObserver(this,
        multitasking ? platform::kApplicationDidEnterBackgroundNotification : platform::kApplicationWillResignActiveNotification,
        nullptr, [this](const platform::Notification&) { deactivateReloadTimer(); });
    center.addObserver(this,
        multitasking ? platform::kApplicationWillEnterForegroundNotification : platform::kApplicationDidBecomeActiveNotification,
        nullptr, [this](const platform::Notification&) {
            if (!detached_)
                activateReloadTimer();
        });
    center.addObserver(this, ADSViewControllerWillPresentFullScreen, nullptr,
        [this](const platform::Notification&) { deactivateReloadTimer(); });
    center.addObserver(this, ADSViewControllerDidRelinquishFullScreen, nullptr, [this](const platform::Notification&) {
        if (!detached_)
            activateReloadTimer();
    });
}

ADSObjectPrivate::~ADSObjectPrivate()
{
    flushScriptExpiry();
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    platform::RunLoop::main().cancelPerforms(this);
    reloadTimer_.reset();
    if (webView_) {
        webView_->setDelegate(nullptr);
        webView_.reset();
    }
    if (buildAdJS_) {
        buildAdJS_->setDelegate(nullptr);
        buildAdJS_.reset();
    }
    webViewDelegate_.reset();
    resetBuildAdWebView();
    setAdHTML(nullptr);
    for (auto& tracker : trackers_) {
        tracker->setDelegate(nullptr);
        tracker->reset();
    }
    trackers_.clear();
}

void ADSObjectPrivate::changeState(int32_t state)
{
    stateDeadline_.reset();
    state_ = state;
    if (stateObserver_)
        stateObserver_(state);
}

bool ADSObjectPrivate::isMakingRequest() const
{
    return !(state_ == Idle || state_ == ScriptFailed || state_ == AdShown || state_ == Failed);
}

bool ADSObjectPrivate::isCoveredByFullScreenContent() const
{
    return rootViewController_ && rootViewController_->modalViewController();
}

bool ADSObjectPrivate::isReloadScheduled() const
{
    return reloadTimer_ && reloadTimer_->isValid();
}

void ADSObjectPrivate::cancelPendingActions()
{
    platform::RunLoop::main().cancelPerforms(this);
    resetReloadTimer();
}

void ADSObjectPrivate::detachView()
{
    detached_ = true;
    cancelPendingActions();
    stateDeadline_.reset();
    adView_ = nullptr;
    delegateManager_->setAdView(nullptr);
    if (webView_)
        webView_->removeFromSuperview();
}

// A delegate may release the banner, and so this object, from inside a
// callback; it then lives until the current turn of the run loop ends.
void ADSObjectPrivate::retainForThisTurn()
{
    platform::RunLoop::main().post([keep = shared_from_this()] { });
}

void ADSObjectPrivate::reportError(long code)
{
    retainForThisTurn();
    delegateManager_->didFailToReceiveAdWithError(ADSRequestError::errorWithCode(code, request_.get()));
}

bool ADSObjectPrivate::isAppActive() const
{
    if (platform::Application::shared().state() == platform::ApplicationState::Active)
        return true;
    return !didAppFinishLaunching;
}

void ADSObjectPrivate::loadRequest(const ADSRequest* request)
{
    if (!request) {
        ADSRequestPrivate empty;
        loadPrivateRequest(&empty, false);
        return;
    }
    loadPrivateRequest(dynamic_cast<const ADSRequestPrivate*>(request), false);
}

void ADSObjectPrivate::loadInterstitialRequest(const ADSRequest* request)
{
    const auto* given = dynamic_cast<const ADSRequestPrivate*>(request);
    std::unique_ptr<ADSRequestPrivate> interstitial = given ? given->copy() : std::make_unique<ADSRequestPrivate>();
    interstitial->setInterstitialAd(true);
    loadPrivateRequest(interstitial.get(), false);
}

void ADSObjectPrivate::loadPrivateRequest(const ADSRequestPrivate* request, bool autoRefresh)
{
    if (detached_ || isMakingRequest() || !isAppActive())
        return;
    if (!ADSRequestPrivate::deviceAtLeastMinimumOSMajorVersion(3, 0)) {
        reportError(ADSRequestError::OSVersionBelowMinimum);
        changeState(Failed);
        return;
    }
    // A refresh the library starts by itself says so; a load the application
    // asks for clears it.
    hasAutoRefreshed_ = autoRefresh;
    if (!request || request != request_.get())
        request_ = request ? request->copy() : std::make_unique<ADSRequestPrivate>();

    ADSStatistics& statistics = ADSStatistics::sharedStatistics();
    if (!statistics.timingNamed(kADSParameterTimeSinceFirstRequest))
        statistics.startTimingNamed(kADSParameterTimeSinceFirstRequest);
    // The request's counter is 32 bits; a stored count past that stays at its end.
    request_->setCounter(int32_t(std::clamp<int64_t>(statistics.incrementAdRequestCount(), INT32_MIN, INT32_MAX)));

    changeState(BuildingAdURL);
    ensureSupportFiles();
}

void ADSObjectPrivate::ensureSupportFiles()
{
    if (!buildAdJS_) {
        changeState(FetchingScript);
        std::optional<platform::Url> url = platform::Url::fromString(ADSConfiguration::coreScriptURL());
        if (!url) {
            platform::Console::log("<Ads> The core script's address is not a URL: " + ADSConfiguration::coreScriptURL());
            failedToDownloadJavaScript();
            return;
        }
        buildAdJS_ = std::make_unique<ADSCachedFile>(static_cast<ADSCachedFileDelegate*>(this), *url);
    }
    ADSStatisticsCore store(kScriptStoreIdentifier);
    const platform::Value* expires = store.dateForKey(kExpireDateKey);
    const platform::Date now = platform::Clock::shared().currentDate();
    std::optional<std::string> script = buildAdJS_->content();
    if (expires && expires->isDate() && script && !script->empty() && !(expires->asDate() < now)) {
        // The script is at hand on every start but the first of a day, and a
        // banner asked for an ad during the application's start would build
        // the ad URL (make its hidden web view and, in a new process, start
        // the web engine) ahead of the application's first frame. The build
        // waits until the run loop has gone round once: a call posted from a
        // posted call runs after the events queued meanwhile, the window's
        // first drawing among them.
        std::weak_ptr<ADSObjectPrivate> self = weak_from_this();
        platform::RunLoop::main().post([self] {
            platform::RunLoop::main().post([self] {
                std::shared_ptr<ADSObjectPrivate> object = self.lock();
                if (object && !object->detached_ && object->buildAdJS_
                    && (object->state_ == FetchingScript || object->state_ == BuildingAdURL))
                    object->cachedFileDownloadDidEnd(*object->buildAdJS_);
            });
        });
        return;
    }
    // The date is kept at once but written to disk when the download ends:
    // it is worth keeping only with the script it dates, and the first load
    // starts during the application's start, whose first frame must not wait
    // on a flush of the settings file.
    store.setDate(platform::Value(platform::Date { now.secondsSince1970 + kScriptLifetime }), kExpireDateKey);
    store.saveWithoutFlushing();
    scriptExpiryUnflushed_ = true;
    changeState(FetchingScript);
    buildAdJS_->validate();
    if (buildAdJS_ && buildAdJS_->isDownloading())
        startStateDeadline(kDownloadTimeout, &ADSObjectPrivate::downloadTimedOut);
}

void ADSObjectPrivate::cachedFileDownloadDidEnd(ADSCachedFile& file)
{
    if (&file == buildAdJS_.get()) {
        flushScriptExpiry();
        buildAdUrl();
    } else if (&file == adHTML_.get()) {
        processHTTPHeaders(file);
        showAd();
    }
}

void ADSObjectPrivate::downloadDidFail(ADSCachedFile& file, const std::optional<platform::Error>&)
{
    if (&file == buildAdJS_.get()) {
        flushScriptExpiry();
        failedToDownloadJavaScript();
    } else if (&file == adHTML_.get())
        failedAdRequestWithError(file);
}

std::optional<platform::Error> ADSObjectPrivate::shouldRedirectToURL(ADSCachedFile& file, const platform::Url&)
{
    processHTTPHeaders(file);
    return std::nullopt;
}

void ADSObjectPrivate::flushScriptExpiry()
{
    if (!scriptExpiryUnflushed_)
        return;
    scriptExpiryUnflushed_ = false;
    platform::UserDefaults::standard().synchronize();
}

void ADSObjectPrivate::failedToDownloadJavaScript()
{
    changeState(ScriptFailed);
    if (buildAdJS_ && buildAdJS_->hasContent())
        buildAdUrl();
    else
        reportError(ADSRequestError::NetworkError);
}

void ADSObjectPrivate::addAdditionalParameters(platform::Dictionary& parameters) const
{
    if (!adUnitID_.empty())
        parameters.set(kADSParameterAdSlotID, adUnitID_);
    if (request_ && request_->isInterstitialAd()) {
        parameters.set(kADSParameterAdFormat, "interstitial_mb");
        return;
    }
    const platform::Rect frame = adView_ ? adView_->frame() : webView_->frame();
    platform::Dictionary adFrame;
    adFrame.set("x", platform::Value(double(frame.x)));
    adFrame.set("y", platform::Value(double(frame.y)));
    adFrame.set("w", platform::Value(double(frame.width)));
    adFrame.set("h", platform::Value(double(frame.height)));
    parameters.set(kADSParameterAdFrame, std::move(adFrame));
}

// JSON keeps "<" and the two line separators inside strings, where an HTML
// parser would still see "</script>" or "<!--" and end the script element
// early, and where older script engines end a line. Written as \u escapes
// they read back as the same characters and the parser sees nothing.
std::string ADSObjectPrivate::escapeForScriptElement(std::string_view json)
{
    std::string out;
    out.reserve(json.size() + 16);
    for (size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '<') {
            out += "\\u003C";
        } else if (c == '\xE2' && i + 2 < json.size() && json[i + 1] == '\x80'
            && (json[i + 2] == '\xA8' || json[i + 2] == '\xA9')) {
            out += json[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string ADSObjectPrivate::buildAdPage(const std::string& coreScript, const std::string& parametersJSON)
{
    return "<html><head><script>" + coreScript + "</script><script>ADS_buildAdURL(" + escapeForScriptElement(parametersJSON)
        + ");</script></head><body></body></html>";
}

void ADSObjectPrivate::buildAdUrl()
{
    changeState(BuildingAdURL);
    platform::Dictionary parameters = request_ ? request_->parameters() : platform::Dictionary();
    addAdditionalParameters(parameters);
    const std::string json = ADSMacros::jsonify(platform::Value(std::move(parameters)));
    setupBuildAdWebView();
    const std::string script = buildAdJS_ ? buildAdJS_->content().value_or(std::string()) : std::string();
    buildAdWebView_->loadHTMLString(buildAdPage(script, json), ADSConfiguration::adServerBaseURL());
}

void ADSObjectPrivate::setupBuildAdWebView()
{
    resetBuildAdWebView();
    buildAdWebViewDelegate_ = std::make_unique<ADSWebViewDelegate>();
    buildAdWebView_ = std::make_unique<platform::WebView>(platform::Rect { 0, 0, 1, 1 });
    buildAdWebView_->setHidden(true);
    buildAdWebView_->setDelegate(buildAdWebViewDelegate_.get());
    auto& center = ADSNotificationCenter::defaultCenter();
    const void* sender = buildAdWebView_.get();
    center.addObserver(this, "loadAdURL", sender, [this](const platform::Notification& n) { loadAdURL(n.userInfo); });
    center.addObserver(this, "invalidRequest", sender,
        [this](const platform::Notification& n) { invalidRequest(n.userInfo); });
    center.addObserver(this, "unableToServe", sender,
        [this](const platform::Notification& n) { unableToServe(n.userInfo); });
    // A core script that never answers would hold the banner in state 3 for
    // good, refusing every later load.
    startStateDeadline(kBuildAdTimeout, &ADSObjectPrivate::buildAdTimedOut);
}

void ADSObjectPrivate::resetBuildAdWebView()
{
    ADSNotificationCenter::defaultCenter().removeObserver(this);
    if (buildAdWebView_)
        buildAdWebView_->setDelegate(nullptr);
    buildAdWebView_.reset();
    buildAdWebViewDelegate_.reset();
}

void ADSObjectPrivate::buildAdTimedOut()
{
    resetBuildAdWebView();
    platform::Console::log("<Ads> The core script gave no ad URL within 30 seconds");
    changeState(Failed);
    reportError(ADSRequestError::Timeout);
    // The refresh that started this build has fired, and the application
    // asks for an ad once: without a new one the banner would stay empty.
    activateReloadTimer();
}

void ADSObjectPrivate::loadAdURL(const platform::Dictionary& message)
{
    resetBuildAdWebView();
    changeState(DownloadingAd);
    const std::string& text = message.get("url").asString();
    std::optional<platform::Url> url = platform::Url::fromString(text);
    const platform::Value* type = message.find("type");
    const int requestType = ADSRequestPrivate::requestTypeFromString(
        type && type->isString() ? std::optional<std::string>(type->asString()) : std::nullopt);
    ADSSignals::shared().initialize(requestType, ADSRequest::sdkVersion());
    if (!url) {
        // As if the download had failed without an answer: the ad is lost,
        // the refresh schedule is not.
        platform::Console::log("<Ads> The core script's ad URL is not a URL: " + text);
        setAdHTML(nullptr);
        changeState(Failed);
        reportError(ADSRequestError::NetworkError);
        addReloadInformationFromHeaders();
        return;
    }
    if (request_) {
        platform::Dictionary signals = request_->spamSignals();
        if (!signals.empty()) {
            if (std::optional<platform::Url> signedURL = ADSNetworkUtilities::appendQueryParameters(signals, *url))
                url = signedURL;
        }
    }
    ADSStatistics::sharedStatistics().startTimingNamed(kADSParameterPriorRequestLatency);
    loadHTMLFromURL(*url);
}

void ADSObjectPrivate::invalidRequest(const platform::Dictionary& message)
{
    resetBuildAdWebView();
    platform::Console::log("<Ads> Invalid Request: " + platform::Value(message).debugDescription());
    changeState(Failed);
    reportError(ADSRequestError::InvalidRequest);
}

void ADSObjectPrivate::unableToServe(const platform::Dictionary& message)
{
    resetBuildAdWebView();
    platform::Console::log("<Ads> Unable to serve: " + platform::Value(message).debugDescription());
    changeState(Failed);
    reportError(ADSRequestError::InvalidRequest);
}

void ADSObjectPrivate::loadHTMLFromURL(const platform::Url& url)
{
    setAdHTML(std::make_unique<ADSCachedFile>(static_cast<ADSCachedFileDelegate*>(this), url));
}

void ADSObjectPrivate::setAdHTML(std::unique_ptr<ADSCachedFile> file)
{
    if (adHTML_) {
        adHTML_->setDelegate(nullptr);
        adHTML_->invalidate();
    }
    adHTML_ = std::move(file);
    if (pendingTrackingURLs_)
        pendingTrackingURLs_->clear();
    if (pendingClickURLs_)
        pendingClickURLs_->clear();
    // Last: a download that cannot start reports its failure from here.
    if (adHTML_)
        adHTML_->validate();
    if (adHTML_ && adHTML_->isDownloading())
        startStateDeadline(kDownloadTimeout, &ADSObjectPrivate::downloadTimedOut);
}

void ADSObjectPrivate::startStateDeadline(double seconds, void (ADSObjectPrivate::*timedOut)())
{
    stateDeadline_ = platform::Timer::singleShot(seconds, [this, timedOut](platform::Timer&) { (this->*timedOut)(); });
}

void ADSObjectPrivate::downloadTimedOut()
{
    if (state_ == FetchingScript && buildAdJS_ && buildAdJS_->isDownloading()) {
        buildAdJS_->cancel();
        platform::Console::log("<Ads> The core script's download took longer than 30 seconds");
        flushScriptExpiry();
        // A copy from an earlier day still builds the ad.
        failedToDownloadJavaScript();
    } else if (state_ == DownloadingAd && adHTML_ && adHTML_->isDownloading()) {
        adHTML_->cancel();
        platform::Console::log("<Ads> The ad's download took longer than 30 seconds");
        changeState(Failed);
        reportError(ADSRequestError::Timeout);
        // The ad is lost, the refresh schedule is not.
        addReloadInformationFromHeaders();
    }
}

void ADSObjectPrivate::appendURLsFromHeader(std::optional<std::vector<platform::Url>>& array, std::string_view value,
    const platform::Url& base)
{
    size_t start = 0;
    while (start <= value.size()) {
        size_t stop = value.find(' ', start);
        if (stop == std::string_view::npos)
            stop = value.size();
        std::string_view piece = trimmed(value.substr(start, stop - start));
        start = stop + 1;
        if (piece.empty())
            continue;
        // A relative URL means the same server that sent the header.
        std::optional<platform::Url> url = platform::Url::fromString(piece, base);
        if (!url || url->absoluteString().empty())
            continue;
        if (!array)
            array.emplace();
        if (array->size() >= kMaximumTrackingURLs) {
            platform::Console::log("<Ads> Kept the first " + std::to_string(kMaximumTrackingURLs)
                + " tracking URLs of an ad that lists more");
            return;
        }
        array->push_back(*url);
    }
}

void ADSObjectPrivate::processHTTPHeaders(const ADSCachedFile& file)
{
    const platform::Dictionary& headers = file.httpHeaders();
    const platform::Url& base = file.httpDestinationURL();
    if (std::optional<std::string> v = headerValue(headers, "X-Ads-Tracking-Urls"))
        appendURLsFromHeader(pendingTrackingURLs_, *v, base);
    if (std::optional<std::string> v = headerValue(headers, "X-Ads-Click-Tracking-Urls"))
        appendURLsFromHeader(pendingClickURLs_, *v, base);
    supportedOrientations_ = ADSViewController::orientationFromString(headerValue(headers, "X-Ads-Orientation"));
    if (std::optional<std::string> v = headerValue(headers, "X-Ads-Interstitial-Timeout"); v && !v->empty())
        platform::UserDefaults::standard().setObject("applicationTimeout", platform::Value(double(std::strtof(v->c_str(), nullptr))));
}

void ADSObjectPrivate::showAd()
{
    const std::string baseURL = adHTML_->httpDestinationURL().absoluteString();
    const std::string content(trimmed(adHTML_->content().value_or(std::string())));
    addReloadInformationFromHeaders();
    if (content.empty()) {
        changeState(Failed);
        reportError(ADSRequestError::NoFill);
        return;
    }
    changeState(ShowingAd);
    startStateDeadline(kShowAdTimeout, &ADSObjectPrivate::showAdTimedOut);
    webView_->loadHTMLString(content, baseURL);
}

void ADSObjectPrivate::showAdTimedOut()
{
    platform::Console::log("<Ads> The ad's page took longer than 30 seconds to load");
    // Failed first: the stopped load's own failure then reports nothing more.
    changeState(Failed);
    webView_->stopLoading();
    reportError(ADSRequestError::Timeout);
    // A refresh that fell due meanwhile did nothing and scheduled nothing.
    if (!isReloadScheduled())
        activateReloadTimer();
}

void ADSObjectPrivate::failedAdRequestWithError(const ADSCachedFile& file)
{
    changeState(Failed);
    const int status = file.httpStatusCode();
    if (status == 400) {
        platform::Console::log("<Ads> Server rejected ad parameters.  Typically this is because the ad unit ID is incorrect.");
        reportError(ADSRequestError::InvalidRequest);
    } else if (status > 400) {
        reportError(ADSRequestError::ServerError);
    } else {
        reportError(ADSRequestError::NetworkError);
    }
    addReloadInformationFromHeaders();
}

std::optional<std::string> ADSObjectPrivate::adHTMLString() const
{
    return adHTML_ ? adHTML_->content() : std::nullopt;
}

std::optional<platform::Url> ADSObjectPrivate::adHTMLBaseURL() const
{
    if (!adHTML_)
        return std::nullopt;
    return adHTML_->httpDestinationURL();
}

double ADSObjectPrivate::refreshSecondsFromHeader(std::string_view value)
{
    const std::string text(trimmed(value));
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    // A negative or endless interval would reload at once, again and again.
    if (end == text.c_str() || !std::isfinite(seconds) || seconds <= 0)
        return 0;
    return std::max(seconds, kMinimumRefreshSeconds);
}

void ADSObjectPrivate::addReloadInformationFromHeaders()
{
    double seconds = reloadSeconds_;
    if (adHTML_) {
        if (std::optional<std::string> v = headerValue(adHTML_->httpHeaders(), "X-Ads-Refresh-Rate"); v && !v->empty())
            seconds = refreshSecondsFromHeader(*v);
    }
    scheduleReloadTimer(seconds);
}

void ADSObjectPrivate::scheduleReloadTimer(double seconds)
{
    resetReloadTimer();
    if (seconds == 0 || detached_)
        return;
    reloadTimer_ = platform::Timer::singleShot(seconds, [this](platform::Timer&) { reloadCurrentRequest(); });
    reloadSeconds_ = seconds;
}

void ADSObjectPrivate::resetReloadTimer()
{
    reloadTimer_.reset();
}

void ADSObjectPrivate::reloadCurrentRequest()
{
    loadPrivateRequest(request_.get(), true);
}

void ADSObjectPrivate::trackURLs(const std::vector<platform::Url>& urls)
{
    cleanupTrackers();
    for (const platform::Url& url : urls) {
        auto tracker = std::make_unique<ADSClickTracker>();
        tracker->setDelegate(this);
        ADSClickTracker* started = tracker.get();
        trackers_.push_back(std::move(tracker));
        started->trackURL(url);
    }
}

// Trackers report from inside their own download callbacks; they are
// dropped on a later turn, never under their own feet.
void ADSObjectPrivate::didRedirect(ADSClickTracker&, const platform::Url&)
{
    platform::RunLoop::main().performAfter(0, this, [this] { cleanupTrackers(); });
}

void ADSObjectPrivate::didFailWithError(ADSClickTracker&, const std::optional<platform::Error>&)
{
    platform::RunLoop::main().performAfter(0, this, [this] { cleanupTrackers(); });
}

// A ping whose background time ran out has been reset without a report:
// it has no download left and will never track.
void ADSObjectPrivate::cleanupTrackers()
{
    std::erase_if(trackers_, [](const std::unique_ptr<ADSClickTracker>& tracker) {
        return tracker->hasTracked() || !tracker->cachedFile();
    });
}

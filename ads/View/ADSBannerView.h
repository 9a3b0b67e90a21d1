#pragma once
// The ad banner an application places on its screen and asks to load: a
// view whose ad web view fills it. Everything behind it (requests, loading,
// refresh, clicks) lives in its private object; the banner only forwards.

#include "platform/ui/View.h"
#include <memory>
#include <string>

namespace platform {
class ViewController;
class WebView;
}
class ADSBannerViewDelegate;
class ADSObjectPrivate;
class ADSRequest;

class ADSBannerView : public platform::View {
public:
    ADSBannerView();
    explicit ADSBannerView(platform::Rect frame);
    ~ADSBannerView() override;

    const std::string& adUnitID() const;
    void setAdUnitID(const std::string& adUnitID);
    // The controller full-screen content is presented from (not owned);
    // required before the first load.
    platform::ViewController* rootViewController() const;
    void setRootViewController(platform::ViewController* controller);
    ADSBannerViewDelegate* delegate() const; // not owned
    void setDelegate(ADSBannerViewDelegate* delegate);
    platform::WebView& webView() const;
    bool hasAutoRefreshed() const;

    // Starts loading an ad for the request (none: an empty one). Without a
    // root view controller it reports an invalid request instead.
    void loadRequest(const ADSRequest* request);

    // The state machine behind the banner, for the library and for tools
    // that watch it.
    ADSObjectPrivate& privateObject() const;

private:
    void commonInitializer();
};

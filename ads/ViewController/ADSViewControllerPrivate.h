#pragma once
// The state behind one full-screen controller: the orientations the ad
// allows, the web view whose click opened it, the delegates to tell, and the
// bookkeeping of its presentation. A controller's subclass keeps its own
// state in a subclass of this.

#include "platform/ui/WebView.h"
#include <cstdint>
#include <memory>

class ADSDelegateManager;

struct ADSViewControllerPrivate {
    ADSViewControllerPrivate() = default;
    virtual ~ADSViewControllerPrivate() = default;
    ADSViewControllerPrivate(const ADSViewControllerPrivate&) = delete;
    ADSViewControllerPrivate& operator=(const ADSViewControllerPrivate&) = delete;

    // 1 any, 2 portrait only, 3 landscape only; 0 (none given) allows every one.
    int32_t supportedOrientations_ = 1;
    // Owned by the banner (or the controller below); it may go first.
    platform::WeakWebView openingWebView_;
    std::shared_ptr<ADSDelegateManager> delegateManager_;
    bool statusBarWasHidden_ = false;
    bool appClosing_ = false;
    // A presentation or dismissal of a first-level controller is under way.
    bool interactingWithParent_ = false;
};

#pragma once
// The base of the ad library's full-screen controllers, reduced for now to
// what the banner and the web-view bridge rely on: the two notifications that
// bracket full-screen content, the orientation names of ad responses and the
// "close" entry point. Presenting and dismissing are left to its subclasses,
// which come with the full-screen ads.

#include "platform/ui/ViewController.h"
#include <optional>
#include <string>

// Posted on the platform notification centre with the controller as sender.
inline constexpr const char* ADSViewControllerWillPresentFullScreen = "ADSViewControllerWillPresentFullScreen";
inline constexpr const char* ADSViewControllerDidRelinquishFullScreen = "ADSViewControllerDidRelinquishFullScreen";

// The "settings" message's parameter that names the supported orientations.
inline constexpr const char* kADSSupportedOrientationsKey = "supportedorientations";

class ADSViewController : public platform::ViewController {
public:
    // "any" 1, "portrait" 2, "landscape" 3; anything else (or nothing) 0,
    // which allows every orientation.
    static int orientationFromString(const std::optional<std::string>& text);

    // Gives the screen back: the target of the script message "close".
    virtual void relinquishScreen() = 0;
};

#pragma once
// The ad library's built-in button images: the close button of full-screen
// ads and the browser's back and forward arrows. Each is a small PNG kept in
// the program as base64 text, decoded on first use and kept for the process.

#include <memory>
#include <string_view>

namespace platform {
class Image;
}

class ADSIntrinsicImages {
public:
    static std::shared_ptr<const platform::Image> closeButton();          // 25 x 25 points
    static std::shared_ptr<const platform::Image> browserBackButton();    // 27 x 27 points
    static std::shared_ptr<const platform::Image> browserForwardButton(); // 27 x 27 points
    // Base64 PNG text to an image at scale 2; null when it does not decode.
    static std::shared_ptr<const platform::Image> createImageFromEncoding(std::string_view base64);
};

#pragma once
// The application's window: holds the root controller's view below a 20-point
// status bar (320 x 480 in portrait, 480 x 320 in landscape).

#include "platform/ui/View.h"
#include <string>

namespace platform {

class ViewController;

class Window : public View {
public:
    Window();
    explicit Window(Rect frame);
    ~Window() override;

    void setRootViewController(ViewController* controller); // non-owning
    ViewController* rootViewController() const;
    void makeKeyAndVisible();
    bool isKeyWindow() const;
    // The window's size on the desktop, in the toolkit's pixels. The frame
    // stays in points (320 x 480 or 480 x 320); the points are scaled to fit
    // the window, keeping their aspect, centred. A window starts at one pixel
    // per point and keeps its scale when the device turns.
    void setPixelSize(int width, int height);
    double contentScale() const;
    // Renders the window as it is now, at its size, to a PNG file (works offscreen too).
    bool renderToPng(const std::string& path);
    void setTitle(const std::string& title);
    // The time the status bar shows ("12:05 PM"); it follows the clock.
    std::string statusBarTime() const;
};

}

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
    // Renders the window as it is now to a PNG file (works offscreen too).
    bool renderToPng(const std::string& path);
    void setTitle(const std::string& title);
    // The time the status bar shows ("12:05 PM"); it follows the clock.
    std::string statusBarTime() const;
};

}

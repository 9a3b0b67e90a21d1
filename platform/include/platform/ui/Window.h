#pragma once
// The application's window: holds the root controller's view below a 20-point
// status bar (320 x 480 in portrait, 480 x 320 in landscape).

#include "platform/ui/View.h"
#include <functional>
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
    // Keeps this window in front of `owner` and takes the owner's input
    // while shown (a settings window over the game); null lets it go.
    // The owner must outlive the tie.
    void setModalOver(Window* owner); // non-owning
    // The desktop asks to close the window (its close button): when set, the
    // window stays and this decides; when not, the window closes.
    std::function<void()> onCloseRequest;
    // The time the status bar shows ("12:05 PM"); it follows the clock.
    std::string statusBarTime() const;
};

}

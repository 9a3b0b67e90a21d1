#pragma once
// A modal alert with a title, a message and buttons; button 0 is the cancel
// button. The delegate callback gets the index of the pressed button, then
// the alert goes away. The alert on screen can be found with current().

#include "platform/ui/View.h"
#include <functional>
#include <string>
#include <vector>

namespace platform {

class Window;

class AlertView {
public:
    AlertView(std::string title, std::string message, std::string cancelButtonTitle,
        std::vector<std::string> otherButtonTitles);
    ~AlertView(); // dismisses it when still shown
    AlertView(const AlertView&) = delete;
    AlertView& operator=(const AlertView&) = delete;

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    // All button titles, the cancel button first.
    const std::vector<std::string>& buttonTitles() const { return buttons_; }
    int cancelButtonIndex() const { return 0; }

    std::function<void(AlertView&, int buttonIndex)> onClickedButton;

    // Shown modal over the key window, drawn inside it. Before any window is
    // key (during the start-up) it waits for the first that becomes key.
    void show();
    // The window the alert is drawn in; null while it waits for one.
    Window* hostWindow() const; // non-owning
    bool isVisible() const { return visible_; }
    // Hides without calling the delegate.
    void dismiss();
    // The user presses button `index`: the delegate is told, then the alert
    // is dismissed. Out-of-range indexes are ignored.
    void simulateButtonPress(int index);

    // The alert on screen (the most recently shown visible one); non-owning.
    static AlertView* current();
    // Called when a window becomes key: alerts waiting for one move in.
    static void adoptPendingAlerts(Window& window);

    struct Impl;

private:
    std::string title_, message_;
    std::vector<std::string> buttons_;
    bool visible_ = false;
    std::unique_ptr<Impl> impl_;
};

}

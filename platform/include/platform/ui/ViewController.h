#pragma once
// A controller of one screen's view: loads it on first use (loadView, then
// viewDidLoad), presents other controllers modally, answers orientation
// queries and hears about rotations. It owns its view, and never the
// controllers it presents.

#include "platform/ui/View.h"
#include <memory>

namespace platform {

class ViewController {
public:
    ViewController();
    virtual ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // Loads the view on first call (loadView, then viewDidLoad).
    View& view();
    bool isViewLoaded() const { return view_ != nullptr; }
    // Drops the view (after a memory warning); viewDidUnload follows.
    void unloadView();

    virtual void loadView(); // default: a plain 320 x 460 view
    virtual void viewDidLoad() { }
    virtual void viewDidUnload() { }
    virtual void viewWillAppear(bool /*animated*/) { }
    virtual void viewDidAppear(bool /*animated*/) { }
    virtual void viewWillDisappear(bool /*animated*/) { }
    virtual void viewDidDisappear(bool /*animated*/) { }
    virtual void didReceiveMemoryWarning() { }

    // Orientation: the query, then the rotation callbacks around the layout.
    virtual bool shouldAutorotateToInterfaceOrientation(int orientation) { return orientation == 1; }
    virtual void willRotateToInterfaceOrientation(int /*to*/, double /*duration*/) { }
    virtual void willAnimateSecondHalfOfRotationFromInterfaceOrientation(int /*from*/, double /*duration*/) { }
    virtual void didRotateFromInterfaceOrientation(int /*from*/) { }
    int interfaceOrientation() const { return orientation_; }
    void setInterfaceOrientation(int o) { orientation_ = o; }

    // Modal presentation over the whole window, status bar included; a
    // presented controller may present another on top of it. The appearance
    // callbacks and the view tree change at once; an animated presentation
    // only draws its transition (cover vertical: up from the bottom edge, and
    // back down when dismissed) on the real clock. Returns false when this
    // controller already presents one, or the controller is presented elsewhere.
    bool presentModalViewController(ViewController& controller, bool animated);
    // Asked of the presented controller itself, its presenter does it.
    void dismissModalViewControllerAnimated(bool animated);
    ViewController* modalViewController() const { return modal_; }   // non-owning
    ViewController* parentViewController() const { return parent_; } // non-owning
    // The last controller of the chain this one presents (itself when none).
    ViewController& topmostViewController();

    // 0 cover vertical, the only transition drawn here; kept for callers.
    int modalTransitionStyle() const { return transitionStyle_; }
    void setModalTransitionStyle(int style) { transitionStyle_ = style; }
    // 0 full screen, the only style this platform presents in.
    int modalPresentationStyle() const { return presentationStyle_; }
    void setModalPresentationStyle(int style) { presentationStyle_ = style; }

    // Takes the keyboard focus for this controller's view.
    bool becomeFirstResponder();

protected:
    void setView(std::unique_ptr<View> view);

private:
    std::unique_ptr<View> view_;
    ViewController* modal_ = nullptr;
    ViewController* parent_ = nullptr;
    int orientation_ = 1;
    int transitionStyle_ = 0;
    int presentationStyle_ = 0;
};

}

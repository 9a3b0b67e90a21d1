#pragma once
// A controller of one screen's view: loads it on first use (loadView, then
// viewDidLoad), presents other controllers modally, answers orientation
// queries and hears about rotations. It owns its view.

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

    // Modal presentation; the presenter does not own the presented controller.
    void presentModalViewController(ViewController& controller, bool animated);
    void dismissModalViewControllerAnimated(bool animated);
    ViewController* modalViewController() const { return modal_; }   // non-owning
    ViewController* parentViewController() const { return parent_; } // non-owning

protected:
    void setView(std::unique_ptr<View> view);

private:
    std::unique_ptr<View> view_;
    ViewController* modal_ = nullptr;
    ViewController* parent_ = nullptr;
    int orientation_ = 1;
};

}

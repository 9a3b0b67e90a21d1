#include "WindowRegistry.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

namespace platform {

ViewController::ViewController() = default;

ViewController::~ViewController()
{
    if (modal_ && modal_->parent_ == this)
        modal_->parent_ = nullptr;
    if (parent_ && parent_->modal_ == this)
        parent_->modal_ = nullptr;
    windows::forgetRootController(this);
}

View& ViewController::view()
{
    if (!view_) {
        loadView();
        if (!view_)
            view_ = std::make_unique<View>(Rect { 0, 0, 320, 460 });
        viewDidLoad();
    }
    return *view_;
}

void ViewController::unloadView()
{
    if (!view_)
        return;
    view_.reset();
    viewDidUnload();
}

void ViewController::loadView() { setView(std::make_unique<View>(Rect { 0, 0, 320, 460 })); }

void ViewController::setView(std::unique_ptr<View> view) { view_ = std::move(view); }

void ViewController::presentModalViewController(ViewController& controller, bool animated)
{
    // One modal controller at a time, and a controller is presented only once.
    if (modal_ || controller.parent_ || &controller == this)
        return;
    modal_ = &controller;
    controller.parent_ = this;
    controller.setInterfaceOrientation(orientation_);
    View& v = controller.view();
    controller.viewWillAppear(animated);
    viewWillDisappear(animated);
    // The presented view covers the window below the status bar.
    if (Window* w = Application::shared().keyWindow()) {
        float top = Application::shared().isStatusBarHidden() ? 0 : 20;
        Rect wf = w->frame();
        v.setFrame({ 0, top, wf.width, wf.height - top });
        w->addSubview(v);
    }
    controller.viewDidAppear(animated);
    viewDidDisappear(animated);
}

void ViewController::dismissModalViewControllerAnimated(bool animated)
{
    if (!modal_) {
        // Asked of the presented controller itself: its presenter dismisses it.
        if (parent_)
            parent_->dismissModalViewControllerAnimated(animated);
        return;
    }
    ViewController* m = modal_;
    if (m->modal_)
        m->dismissModalViewControllerAnimated(false);
    m->viewWillDisappear(animated);
    viewWillAppear(animated);
    if (m->isViewLoaded())
        m->view().removeFromSuperview();
    modal_ = nullptr;
    m->parent_ = nullptr;
    // Last word to the dismissed controller: it may let go of itself here.
    viewDidAppear(animated);
    m->viewDidDisappear(animated);
}

}

#include "CoverVertical.h"
#include "ViewImpl.h"
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

ViewController& ViewController::topmostViewController()
{
    ViewController* c = this;
    while (c->modal_)
        c = c->modal_;
    return *c;
}

bool ViewController::presentModalViewController(ViewController& controller, bool animated)
{
    // One modal controller at a time, and a controller is presented only once.
    if (modal_ || controller.parent_ || controller.modal_ || &controller == this)
        return false;
    modal_ = &controller;
    controller.parent_ = this;
    controller.setInterfaceOrientation(orientation_);
    View& v = controller.view();
    // Sized before it hears that it will appear, so that what it builds
    // then fits the screen: the whole window, over the status bar.
    Window* w = Application::shared().keyWindow();
    if (w) {
        Rect wf = w->frame();
        v.setFrame({ 0, 0, wf.width, wf.height });
    }
    controller.viewWillAppear(animated);
    viewWillDisappear(animated);
    if (w) {
        w->addSubview(v);
        if (animated && controller.transitionStyle_ == 0)
            CoverVertical::slideIn(v.impl().widget);
    }
    controller.viewDidAppear(animated);
    viewDidDisappear(animated);
    return true;
}

void ViewController::dismissModalViewControllerAnimated(bool animated)
{
    if (!modal_) {
        if (parent_)
            parent_->dismissModalViewControllerAnimated(animated);
        return;
    }
    ViewController* m = modal_;
    if (m->modal_)
        m->dismissModalViewControllerAnimated(false);
    m->viewWillDisappear(animated);
    viewWillAppear(animated);
    if (m->isViewLoaded()) {
        if (animated && m->transitionStyle_ == 0)
            CoverVertical::slideOut(m->view().impl().widget);
        m->view().removeFromSuperview();
    }
    modal_ = nullptr;
    m->parent_ = nullptr;
    // Last word to the dismissed controller: it may let go of itself here.
    viewDidAppear(animated);
    m->viewDidDisappear(animated);
}

bool ViewController::becomeFirstResponder()
{
    QWidget* w = isViewLoaded() ? view().impl().widget : nullptr;
    if (!w)
        return false;
    w->setFocusPolicy(Qt::StrongFocus);
    w->setFocus(Qt::OtherFocusReason);
    return true;
}

}

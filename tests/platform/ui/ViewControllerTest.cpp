#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace platform;

namespace {
struct Recorder final : ViewController {
    std::vector<std::string>* log;
    std::string tag;
    Recorder(std::vector<std::string>* l, std::string t) : log(l), tag(std::move(t)) { }
    void loadView() override
    {
        log->push_back(tag + " loadView");
        setView(std::make_unique<View>(Rect { 0, 0, 320, 460 }));
    }
    void viewDidLoad() override { log->push_back(tag + " viewDidLoad"); }
    void viewDidUnload() override { log->push_back(tag + " viewDidUnload"); }
    void viewWillAppear(bool) override
    {
        // What a controller builds here must fit the size it will be shown at.
        Rect f = view().frame();
        log->push_back(tag + " willAppear " + std::to_string(int(f.width)) + "x" + std::to_string(int(f.height)));
    }
    void viewDidAppear(bool) override { log->push_back(tag + " didAppear"); }
    void viewWillDisappear(bool) override { log->push_back(tag + " willDisappear"); }
    void viewDidDisappear(bool) override { log->push_back(tag + " didDisappear"); }
};
}

TEST(ViewController, LoadsTheViewOnceOnFirstUse)
{
    std::vector<std::string> log;
    Recorder c(&log, "c");
    EXPECT_FALSE(c.isViewLoaded());
    View& v = c.view();
    EXPECT_EQ(&c.view(), &v);
    EXPECT_EQ(log, (std::vector<std::string> { "c loadView", "c viewDidLoad" }));
    c.unloadView();
    EXPECT_FALSE(c.isViewLoaded());
    c.view();
    EXPECT_EQ(log.size(), 5u);
    EXPECT_EQ(log[2], "c viewDidUnload");

    struct Plain final : ViewController { } plain;
    EXPECT_EQ(plain.view().frame(), (Rect { 0, 0, 320, 460 }));
}

TEST(ViewController, ModalPresentationCoversTheWholeWindowStacksAndDismissRestores)
{
    std::vector<std::string> log;
    Window window;
    Recorder root(&log, "root"), modal(&log, "modal"), other(&log, "other");
    window.setRootViewController(&root);
    window.makeKeyAndVisible();
    log.clear();

    root.presentModalViewController(modal, true);
    EXPECT_EQ(root.modalViewController(), &modal);
    EXPECT_EQ(modal.parentViewController(), &root);
    EXPECT_EQ(modal.view().superview(), &window);
    EXPECT_EQ(window.subviews().back(), &modal.view());
    EXPECT_EQ(modal.view().frame(), (Rect { 0, 0, 320, 480 })) << "over the status bar";
    EXPECT_EQ(log, (std::vector<std::string> { "modal loadView", "modal viewDidLoad", "modal willAppear 320x480",
                       "root willDisappear", "modal didAppear", "root didDisappear" }));

    // A second presentation by the same presenter is refused; the presented
    // controller may present one on top of itself.
    EXPECT_FALSE(root.presentModalViewController(other, false));
    EXPECT_EQ(other.parentViewController(), nullptr);
    EXPECT_TRUE(modal.presentModalViewController(other, false));
    EXPECT_EQ(&root.topmostViewController(), &other);
    EXPECT_EQ(window.subviews().back(), &other.view());
    EXPECT_FALSE(other.presentModalViewController(modal, false)) << "a presented controller is not presented twice";

    log.clear();
    // Dismissing what the root presents takes the stack above it too, top first.
    root.dismissModalViewControllerAnimated(true);
    EXPECT_EQ(root.modalViewController(), nullptr);
    EXPECT_EQ(modal.parentViewController(), nullptr);
    EXPECT_EQ(other.parentViewController(), nullptr);
    EXPECT_EQ(modal.view().superview(), nullptr);
    EXPECT_EQ(other.view().superview(), nullptr);
    EXPECT_EQ(window.subviews(), (std::vector<View*> { &root.view() }));
    EXPECT_EQ(log, (std::vector<std::string> { "other willDisappear", "modal willAppear 320x480", "modal didAppear",
                       "other didDisappear", "modal willDisappear", "root willAppear 320x460", "root didAppear",
                       "modal didDisappear" }));
    root.dismissModalViewControllerAnimated(false); // nothing up: nothing happens
}

TEST(ViewController, DestroyingEitherSideOfAPresentationUnlinksIt)
{
    std::vector<std::string> log;
    Recorder root(&log, "root");
    {
        Recorder modal(&log, "modal");
        root.presentModalViewController(modal, false);
    }
    EXPECT_EQ(root.modalViewController(), nullptr);

    Recorder survivor(&log, "survivor");
    {
        Recorder presenter(&log, "presenter");
        presenter.presentModalViewController(survivor, false);
    }
    EXPECT_EQ(survivor.parentViewController(), nullptr);
    survivor.dismissModalViewControllerAnimated(false);
}

TEST(ViewController, WindowsForgetARootThatGoesAway)
{
    Window window, settings; // only the first is the key window
    window.makeKeyAndVisible();
    {
        struct Plain final : ViewController { } root, other;
        window.setRootViewController(&root);
        settings.setRootViewController(&other);
        EXPECT_EQ(window.rootViewController(), &root);
        EXPECT_EQ(root.view().frame(), (Rect { 0, 20, 320, 460 }));
    }
    EXPECT_EQ(window.rootViewController(), nullptr);
    EXPECT_EQ(settings.rootViewController(), nullptr);
    EXPECT_TRUE(window.subviews().empty());
    EXPECT_TRUE(settings.subviews().empty());
}

// The automation mode's view of full-screen content: what covers the game
// (the in-app browser, a web app, the mail composer), waiting for it to be
// on top and loaded, pressing its items as the user would, and its dump entries.
#include "Automation.h"

#include "TolvaneAppDelegate.h"

#include "Browser/ADSBrowserController.h"
#include "Browser/ADSBrowserControllerPrivate.h"
#include "WebApp/ADSWebAppViewController.h"
#include "WebApp/ADSWebAppViewControllerPrivate.h"
#include "WebApp/ADSWebAppWebViewDelegate.h"

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MailComposeViewController.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/WebView.h"

#include <algorithm>
#include <utility>

namespace tolvane {

namespace {

using platform::Array;
using platform::Dictionary;
using platform::Value;

std::string kindOf(platform::ViewController* c)
{
    if (dynamic_cast<ADSBrowserController*>(c))
        return "browser";
    if (dynamic_cast<ADSWebAppViewController*>(c))
        return "webapp";
    if (dynamic_cast<platform::MailComposeViewController*>(c))
        return "composer";
    return "other";
}

platform::WebView* webViewOf(platform::ViewController* c)
{
    if (auto* b = dynamic_cast<ADSBrowserController*>(c))
        return b->webView();
    if (auto* w = dynamic_cast<ADSWebAppViewController*>(c))
        return w->webView();
    return nullptr;
}

// The browser's items by the names `tap` and the dump use.
std::vector<std::pair<const char*, platform::BarButtonItem*>> browserItems(ADSBrowserController& browser)
{
    auto& v = browser.vars();
    return { { "back", v.backButton_.get() }, { "forward", v.forwardButton_.get() }, { "reload", v.reloadButton_.get() },
        { "safari", v.safariButton_.get() }, { "done", v.doneButton_.get() } };
}

// Shown on the bar and enabled: what a finger can press.
bool pressable(const platform::Toolbar* bar, const platform::BarButtonItem* item)
{
    if (!bar || !item || !item->isEnabled() || bar->isHidden())
        return false;
    const auto& shown = bar->items();
    return std::find(shown.begin(), shown.end(), item) != shown.end();
}

Value stringList(const std::vector<std::string>& list)
{
    Array out;
    for (const auto& s : list)
        out.push_back(Value(s));
    return Value(std::move(out));
}

}

std::vector<platform::ViewController*> Automation::fullScreenStack() const
{
    std::vector<platform::ViewController*> stack;
    if (TolvaneViewController* vc = controller())
        for (platform::ViewController* c = vc->modalViewController(); c; c = c->modalViewController())
            stack.push_back(c);
    return stack;
}

Value Automation::fullScreenValue() const
{
    Array entries;
    for (platform::ViewController* c : fullScreenStack()) {
        Dictionary d;
        d.set("kind", Value(kindOf(c)));
        if (auto* composer = dynamic_cast<platform::MailComposeViewController*>(c)) {
            d.set("to", stringList(composer->toRecipients()));
            d.set("cc", stringList(composer->ccRecipients()));
            d.set("bcc", stringList(composer->bccRecipients()));
            d.set("subject", Value(composer->subject()));
            d.set("body", Value(composer->messageBody()));
        }
        if (auto* ad = dynamic_cast<ADSViewController*>(c)) {
            platform::WebView* web = webViewOf(c);
            std::optional<platform::UrlRequest> request = web ? web->request() : std::nullopt;
            d.set("url", request ? Value(request->url) : Value());
            d.set("loading", Value(web && web->isLoading()));
            // The interface orientations the ad turns to, as the rotation asks.
            Array orientations;
            for (int o = 1; o <= 4; ++o)
                if (ad->shouldAutorotateToInterfaceOrientation(o))
                    orientations.push_back(Value(o));
            d.set("orientations", Value(std::move(orientations)));
        }
        if (auto* browser = dynamic_cast<ADSBrowserController*>(c)) {
            Array enabled;
            for (const auto& [name, item] : browserItems(*browser))
                if (pressable(browser->toolbar(), item))
                    enabled.push_back(Value(name));
            d.set("enabled", Value(std::move(enabled)));
        }
        if (auto* webApp = dynamic_cast<ADSWebAppViewController*>(c))
            d.set("shown", Value(webApp->vars().webViewDelegate_ && webApp->vars().webViewDelegate_->calledOnShow()));
        entries.push_back(Value(std::move(d)));
    }
    return Value(std::move(entries));
}

int Automation::waitForFullScreen(const ScriptCommand& command)
{
    const auto ready = [&] {
        std::vector<platform::ViewController*> stack = fullScreenStack();
        if (stack.empty() || kindOf(stack.back()) != command.word)
            return false;
        platform::WebView* web = webViewOf(stack.back());
        return command.word == "composer" || (web && web->request() && !web->isLoading());
    };
    if (runRealEvents(command.seconds, ready))
        return kSuccess;
    std::vector<platform::ViewController*> stack = fullScreenStack();
    return fail(command,
        "timed out waiting for a loaded " + command.word + " on top (now "
            + (stack.empty() ? std::string("the game") : kindOf(stack.back())) + ")",
        kTimedOut);
}

int Automation::tapFullScreen(const ScriptCommand& command, bool& handled)
{
    static const char* const browserNames[] = { "done", "back", "forward", "reload", "safari" };
    const std::string& name = command.word;
    const bool forBrowser = std::any_of(std::begin(browserNames), std::end(browserNames), [&](const char* n) { return name == n; });
    handled = forBrowser || name == "close";
    std::vector<platform::ViewController*> stack = fullScreenStack();
    platform::ViewController* top = stack.empty() ? nullptr : stack.back();
    if (!handled)
        return top ? fail(command, "full-screen content covers the game (close it first)") : kSuccess;
    if (forBrowser) {
        auto* browser = dynamic_cast<ADSBrowserController*>(top);
        if (!browser)
            return fail(command, "no in-app browser is on top");
        for (const auto& [itemName, item] : browserItems(*browser)) {
            if (name != itemName)
                continue;
            if (!pressable(browser->toolbar(), item) || !item->simulateTap())
                return fail(command, "the browser's " + name + " item is not shown enabled");
            return kSuccess;
        }
    }
    auto* webApp = dynamic_cast<ADSWebAppViewController*>(top);
    if (!webApp)
        return fail(command, "no web app is on top");
    platform::Button* close = webApp->closeButton();
    if (!close || close->isHidden() || !close->isEnabled() || !close->superview())
        return fail(command, "the web app's close button is not shown enabled");
    close->simulateTap();
    return kSuccess;
}

int Automation::composer(const ScriptCommand& command)
{
    std::vector<platform::ViewController*> stack = fullScreenStack();
    auto* composer = stack.empty() ? nullptr : dynamic_cast<platform::MailComposeViewController*>(stack.back());
    if (!composer)
        return fail(command, "no mail composer is on top");
    auto* button = dynamic_cast<platform::Button*>(
        composer->view().findByName(command.word == "send" ? "composerSend" : "composerCancel"));
    if (!button || !button->isEnabled())
        return fail(command, "the composer's " + command.word + " button is not there");
    button->simulateTap();
    return kSuccess;
}

}

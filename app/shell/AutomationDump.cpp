// The automation mode's state dump: the game, the screen and the application
// as one JSON object, with the keys the end-to-end tests read.
#include "Automation.h"

#include "TolvaneAppDelegate.h"

#include "Network/ADSCachedFile.h"
#include "Object/ADSObjectPrivate.h"
#include "Request/ADSRequestPrivate.h"
#include "View/ADSBannerView.h"

#include "platform/Console.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/WebView.h"

#include <cmath>
#include <cstdio>
#include <set>

namespace tolvane {

namespace {

using platform::Array;
using platform::Dictionary;
using platform::Value;

Value frameValue(const platform::View& view)
{
    platform::Rect r = view.frame();
    return Value(Array { Value(double(r.x)), Value(double(r.y)), Value(double(r.width)), Value(double(r.height)) });
}

std::string colorText(platform::Color c)
{
    const auto byte = [](float v) { return int(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255)); };
    char buf[16];
    if (c.alpha >= 1)
        std::snprintf(buf, sizeof buf, "#%02x%02x%02x", byte(c.red), byte(c.green), byte(c.blue));
    else
        std::snprintf(buf, sizeof buf, "#%02x%02x%02x%02x", byte(c.red), byte(c.green), byte(c.blue), byte(c.alpha));
    return buf;
}

std::string stateText(platform::ApplicationState s)
{
    switch (s) {
    case platform::ApplicationState::Active: return "active";
    case platform::ApplicationState::Inactive: return "inactive";
    case platform::ApplicationState::Background: return "background";
    }
    return "unknown";
}

// Every named view below `view`, depth first, for controls no field names.
void collectNamed(platform::View& view, std::vector<platform::View*>& out)
{
    if (!view.objectName().empty())
        out.push_back(&view);
    for (platform::View* child : view.subviews())
        if (child)
            collectNamed(*child, out);
}

}

Value Automation::bannerValue() const
{
    TolvaneViewController* vc = controller();
    const ADSBannerView* banner = vc ? vc->bannerView_.get() : nullptr;
    if (!banner)
        return Value();
    const ADSObjectPrivate& object = banner->privateObject();
    const ADSRequestPrivate* request = object.request();
    const ADSCachedFile* adHTML = object.adHTML();
    return Value(Dictionary {
        { "state", Value(object.state()) },
        { "frame", frameValue(*banner) },
        { "hidden", Value(object.webView().isHidden()) },
        { "preqs", Value(request ? request->counter() : 0) },
        { "refreshSeconds", Value(object.reloadSeconds()) },
        { "adURL", adHTML ? Value(adHTML->sourceURL().absoluteString()) : Value() },
        { "refreshScheduled", Value(object.isReloadScheduled()) },
    });
}

Value Automation::dumpValue()
{
    Dictionary d;
    auto& app = platform::Application::shared();
    TolvaneViewController* vc = controller();

    if (!vc) {
        d.set("launched", Value(false));
        d.set("banner", Value());
        d.set("fullScreen", fullScreenValue());
        d.set("console", Value(Array {}));
        return Value(std::move(d));
    }

    d.set("numPlayers", Value(vc->numPlayers));
    d.set("isPoison", Value(vc->isPoison));
    d.set("gameRound", Value(vc->gameRound));
    d.set("secordOfTimer", Value(vc->secordOfTimer));
    d.set("frontViewVisible", Value(vc->frontViewVisible));

    Array components;
    if (auto* picker = vc->picker.get()) {
        for (int c = 0; c < picker->numberOfComponents(); ++c) {
            int selected = picker->selectedRowInComponent(c);
            components.push_back(Value(Dictionary {
                { "rows", Value(picker->numberOfRowsInComponent(c)) },
                { "selected", Value(selected) },
                { "text", Value(selected >= 0 ? picker->textForRow(selected, c) : std::string()) },
            }));
        }
    }
    d.set("components", Value(std::move(components)));

    Array players;
    for (size_t i = 0; i < vc->ar_nameField.size(); ++i) {
        auto* field = vc->ar_nameField[i];
        players.push_back(Value(Dictionary {
            { "name", field ? Value(field->text()) : Value() },
            { "life", Value(vc->getHP(int(i))) },
            { "poison", Value(vc->getPoisonCnt(int(i))) },
        }));
    }
    d.set("players", Value(std::move(players)));

    Array columns;
    for (const auto& column : vc->ar_pickerData) {
        if (!column || column->empty()) {
            columns.push_back(Value());
            continue;
        }
        columns.push_back(Value(Dictionary { { "max", Value(column->max()) }, { "min", Value(column->min()) } }));
    }
    d.set("columns", Value(std::move(columns)));

    Array log;
    size_t entries = std::min({ vc->arTimeString.size(), vc->arName.size(), vc->arHp.size() });
    for (size_t k = 0; k < entries; ++k) {
        log.push_back(Value(Dictionary {
            { "time", Value(vc->arTimeString[k]) },
            { "name", vc->arName[k] ? Value(*vc->arName[k]) : Value() },
            { "value", Value(vc->arHp[k]) },
        }));
    }
    d.set("log", Value(std::move(log)));
    d.set("logText", vc->logView ? Value(vc->logView->text()) : Value());

    // The buttons by field name, then the "Dice" button of the layout for
    // three or more players.
    const std::pair<const char*, platform::Button*> buttons[] = {
        { "buttonInc0", vc->buttonInc0.get() },
        { "buttonInc1", vc->buttonInc1.get() },
        { "buttonDec0", vc->buttonDec0.get() },
        { "buttonDec1", vc->buttonDec1.get() },
        { "buttonInc5Hp0", vc->buttonInc5Hp0.get() },
        { "buttonInc5Hp1", vc->buttonInc5Hp1.get() },
        { "buttonDec5Hp0", vc->buttonDec5Hp0.get() },
        { "buttonDec5Hp1", vc->buttonDec5Hp1.get() },
        { "buttonReset", vc->buttonReset.get() },
        { "buttonFacebook", vc->buttonFacebook.get() },
        { "buttonDice", vc->buttonDice.get() },
        { "buttonSwap", vc->buttonSwap.get() },
        { "buttonLogView", vc->buttonLogView.get() },
        { "dice", vc->diceButton() },
    };
    Dictionary titles, colors, fonts;
    for (const auto& [name, button] : buttons) {
        if (!button)
            continue;
        titles.set(name, Value(button->title(platform::ControlStateNormal)));
        colors.set(name, Value(colorText(button->titleColor(platform::ControlStateNormal))));
        fonts.set(name, Value(double(button->font().size)));
    }
    d.set("titles", Value(std::move(titles)));
    d.set("titleColors", Value(std::move(colors)));
    d.set("fontSizes", Value(std::move(fonts)));

    Array diceLabels;
    for (const auto& label : vc->ar_lblRandom)
        diceLabels.push_back(label ? Value(label->text()) : Value());
    d.set("diceLabels", Value(std::move(diceLabels)));

    Dictionary frames;
    std::set<const platform::View*> listed;
    const auto addFrame = [&](const std::string& name, const platform::View* view) {
        if (!view || frames.contains(name))
            return;
        frames.set(name, frameValue(*view));
        listed.insert(view);
    };
    for (const auto& [name, button] : buttons)
        addFrame(name, button);
    addFrame("bannerView_", vc->bannerView_.get());
    addFrame("containerView", vc->containerView.get());
    addFrame("picker", vc->picker.get());
    addFrame("logView", vc->logView.get());
    addFrame("pelkLogo", vc->pelkLogo.get());
    addFrame("switchPoison", vc->switchPoison.get());
    addFrame("labelPoison0", vc->labelPoison0.get());
    addFrame("labelPoison1", vc->labelPoison1.get());
    addFrame("labelPoisonSwitch", vc->labelPoisonSwitch.get());
    for (size_t i = 0; i < vc->ar_nameField.size(); ++i)
        addFrame("nameField" + std::to_string(i), vc->ar_nameField[i]);
    for (size_t i = 0; i < vc->ar_lblRandom.size(); ++i)
        addFrame("labelRandom" + std::to_string(i), vc->ar_lblRandom[i].get());
    // Any further named control of the screen (a control of its own for the
    // hard reset, say) under its own name.
    if (vc->isViewLoaded()) {
        std::vector<platform::View*> named;
        collectNamed(vc->view(), named);
        for (platform::View* view : named)
            if (!listed.count(view) && view != &vc->view())
                addFrame(view->objectName(), view);
    }
    d.set("frames", Value(std::move(frames)));

    platform::AlertView* alert = vc->currentAlert();
    if (!alert)
        alert = platform::AlertView::current();
    if (alert && alert->isVisible()) {
        Array alertButtons;
        for (const auto& title : alert->buttonTitles())
            alertButtons.push_back(Value(title));
        d.set("alert", Value(Dictionary {
            { "title", Value(alert->title()) },
            { "message", Value(alert->message()) },
            { "buttons", Value(std::move(alertButtons)) },
        }));
    } else {
        d.set("alert", Value());
    }

    d.set("banner", bannerValue());
    d.set("fullScreen", fullScreenValue());

    // The ad library writes through the same console: its lines come here too.
    Array console;
    for (auto& line : platform::Console::takeLines())
        console.push_back(Value(std::move(line)));
    d.set("console", Value(std::move(console)));

    d.set("idleTimerDisabled", Value(app.isIdleTimerDisabled()));
    d.set("statusBarOrientation", Value(app.statusBarOrientation()));
    d.set("statusBarHidden", Value(app.isStatusBarHidden()));
    d.set("interfaceOrientation", Value(vc->interfaceOrientation()));
    d.set("deviceOrientation", Value(app.deviceOrientation()));
    d.set("applicationState", Value(stateText(app.state())));
    Array urls;
    for (const auto& url : app.openedURLs())
        urls.push_back(Value(url));
    d.set("openedURLs", Value(std::move(urls)));
    d.set("launched", Value(true));
    return Value(std::move(d));
}

}

#include "TolvaneViewController.h"

#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/DateFormatter.h"
#include "platform/ui/Animation.h"

namespace {
constexpr double kMergeWindowSeconds = 3.0;

std::string logLine(const std::string& time, const std::string& name, int value)
{
    return time + "\t" + name + "\t" + std::to_string(value) + "\n";
}
}

void TolvaneViewController::DoLog(int player)
{
    DoLog(player, getHP(player));
}

void TolvaneViewController::DoLog(int player, int value)
{
    if (player < 0 || player >= int(ar_nameField.size()))
        return;
    const platform::Date now = platform::Clock::shared().currentDate();
    std::shared_ptr<const std::string> name = ar_nameField[player]->textValue();

    // Identity, not text: a field that was set since the last entry, or
    // another player's field holding the same text, starts a new entry.
    if (arName.empty() || arName.back() != name) {
        AddLog(now, std::move(name), value);
        return;
    }
    if (now.secondsSince1970 < arTime.back().secondsSince1970 + kMergeWindowSeconds) {
        arTimeString.back() = dateToString(now);
        arTime.back() = now;
        arName.back() = std::move(name);
        arHp.back() = value;
        if (!frontViewVisible)
            RefreshLog();
        gameDidChange();
        return;
    }
    AddLog(now, std::move(name), value);
}

void TolvaneViewController::DoPosionCounterLog(int player)
{
    if (player < 0 || player >= int(ar_nameField.size()))
        return;
    // A fresh name value every time, so a poison entry never merges.
    auto name = std::make_shared<const std::string>("\xCF\x86 " + ar_nameField[player]->text());
    AddLog(platform::Clock::shared().currentDate(), std::move(name), getPoisonCnt(player));
}

void TolvaneViewController::AddLog(platform::Date date, std::shared_ptr<const std::string> name, int value)
{
    if (!name)
        name = std::make_shared<const std::string>();
    arTime.push_back(date);
    arTimeString.push_back(dateToString(date));
    arName.push_back(name);
    arHp.push_back(value);
    if (!frontViewVisible)
        RefreshLogAppend(date, *name, value);
    gameDidChange();
}

void TolvaneViewController::RefreshLogAppend(platform::Date date, const std::string& name, int value)
{
    logTextMutableString.insert(0, logLine(dateToString(date), name, value));
    if (logView)
        logView->setText(logTextMutableString);
}

void TolvaneViewController::RefreshLog()
{
    std::string text;
    for (size_t k = arHp.size(); k-- > 0;)
        text += logLine(arTimeString[k], arName[k] ? *arName[k] : std::string(), arHp[k]);
    if (logView) {
        logView->setText(text);
        logTextMutableString = logView->text();
    } else {
        logTextMutableString = text;
    }
}

std::string TolvaneViewController::dateToString(platform::Date date) const
{
    static const platform::DateFormatter formatter("h:mm:ss");
    return formatter.format(date);
}

void TolvaneViewController::handleLogButton(const platform::Button*)
{
    platform::Console::log("log flip button pressed");
    if (!containerView || !picker || !logView)
        return;
    platform::Animation::begin();
    platform::Animation::setDuration(0.75);
    if (frontViewVisible) {
        platform::Animation::setTransition(platform::AnimationTransition::FlipFromRight, *containerView);
        logView->setFrame({ 0, 0, 320, 211 });
        containerView->addSubview(*logView);
        picker->removeFromSuperview();
        RefreshLog();
        frontViewVisible = false;
    } else {
        platform::Animation::setTransition(platform::AnimationTransition::FlipFromLeft, *containerView);
        containerView->addSubview(*picker);
        logView->removeFromSuperview();
        frontViewVisible = true;
    }
    platform::Animation::commit();
}

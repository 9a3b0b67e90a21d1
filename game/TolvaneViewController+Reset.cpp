#include "TolvaneViewController.h"

#include "platform/ui/Animation.h"

#include <cstdio>

void TolvaneViewController::showAlert(const std::string& title, const std::string& message)
{
    alert_ = std::make_unique<platform::AlertView>(title, message, "Cancel", std::vector<std::string> { "OK" });
    alert_->onClickedButton = [this](platform::AlertView& alert, int index) { clickedButtonAtIndex(alert, index); };
    alert_->show();
}

void TolvaneViewController::Reset()
{
    isHardReset = false;
    if (isAskBeforeReset)
        showAlert("Reset", "Reset life and go to next round?");
    else
        DoReset();
}

void TolvaneViewController::HardReset()
{
    isHardReset = true;
    showAlert("Hard Reset", "Reset the game?");
}

void TolvaneViewController::clickedButtonAtIndex(platform::AlertView& alert, int buttonIndex)
{
    if (buttonIndex == 1) {
        if (isHardReset)
            gameRound = 999;
        DoReset();
    }
    // The alert is still inside its own callback: it is let go on the next
    // turn of the run loop rather than destroyed under its feet.
    if (alert_.get() == &alert) {
        std::shared_ptr<platform::AlertView> done(std::move(alert_));
        platform::RunLoop::main().post([done] { });
    }
}

void TolvaneViewController::DoReset()
{
    if (picker) {
        if (isPoison) {
            if (ar_pickerData.size() >= 2) {
                picker->selectRow(static_cast<int>(ar_pickerData[0]->rowOf(20)), 0, false);
                picker->selectRow(static_cast<int>(ar_pickerData[1]->rowOf(20)), 3, false);
            }
            resetPoisonCol();
        } else {
            const int components = picker->numberOfComponents();
            for (int i = 0; i < components && i < int(ar_pickerData.size()); ++i)
                picker->selectRow(static_cast<int>(ar_pickerData[i]->rowOf(20)), i, false);
        }
    }

    arTimeString.clear();
    arTime.clear();
    arName.clear();
    arHp.clear();

    if (!frontViewVisible && containerView && picker && logView) {
        platform::Animation::begin();
        platform::Animation::setDuration(0.75);
        platform::Animation::setTransition(platform::AnimationTransition::FlipFromLeft, *containerView);
        containerView->addSubview(*picker);
        logView->removeFromSuperview();
        frontViewVisible = true;
        platform::Animation::commit();
    }
    logTextMutableString.clear();
    if (logView)
        logView->setText("");

    if (gameTimer) {
        gameTimer->invalidate();
        gameTimer.reset();
    }
    ++gameRound;
    if (gameRound > 3) {
        gameRound = 1;
        secordOfTimer = 0;
    }
    gameTimer = platform::Timer::repeating(1.0, [this](platform::Timer&) { timerRefresh(); });
    gameDidChange();
}

void TolvaneViewController::timerRefresh()
{
    ++secordOfTimer;
    char title[64];
    std::snprintf(title, sizeof title, "R%d %02d:%02d", gameRound, secordOfTimer / 60, secordOfTimer % 60);
    if (buttonReset)
        buttonReset->setTitle(title);
}

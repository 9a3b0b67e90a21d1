#include "TolvaneViewController.h"

#include "View/ADSBannerView.h"

#include "platform/ui/Application.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#ifndef TOLVANE_SOCIAL_URL
#define TOLVANE_SOCIAL_URL "https://www.facebook.com/tolvane"
#endif

void TolvaneViewController::swapButton(const platform::Button*)
{
    if (isPoison || !picker || ar_pickerData.size() < 2)
        return;
    LifeColumn& c0 = *ar_pickerData[0];
    LifeColumn& c1 = *ar_pickerData[1];
    // Both columns end up covering the union of their ranges; when that union
    // has more rows than a 32-bit count holds the swap is refused whole.
    const int64_t top = std::max(c0.max(), c1.max());
    const int64_t bottom = std::min(c0.min(), c1.min());
    if (top - bottom + 1 > std::numeric_limits<int32_t>::max())
        return;

    const std::string name0 = nameField0->text();
    const std::string name1 = nameField1->text();
    nameField0->setText(name1);
    nameField1->setText(name0);

    const int h0 = getHP(0);
    const int h1 = getHP(1);

    int t;
    if (c0.max() < c1.max()) {
        AddItemToPicker(c1.max() - c0.max(), 0);
        t = c1.max();
    } else if (c1.max() < c0.max()) {
        AddItemToPicker(c0.max() - c1.max(), 1);
        t = c0.max();
    } else {
        t = c0.max();
    }
    if (c1.min() < c0.min())
        AddItemToPickerBottom(c0.min() - c1.min(), 0);
    else if (c0.min() < c1.min())
        AddItemToPickerBottom(c1.min() - c0.min(), 1);

    picker->selectRow(static_cast<int>(int64_t(t) - h1), 0, false);
    picker->selectRow(static_cast<int>(int64_t(t) - h0), 1, false);
}

void TolvaneViewController::textFieldDoneEditing(platform::TextField& field)
{
    field.setFont(fontNameField);
    field.resignFirstResponder();
}

void TolvaneViewController::handleFacebookBtn(const platform::Button*)
{
    platform::Application::shared().openURL(TOLVANE_SOCIAL_URL);
}

void TolvaneViewController::didReceiveMemoryWarning()
{
    platform::ViewController::didReceiveMemoryWarning();
}

void TolvaneViewController::viewDidUnload()
{
    platform::ViewController::viewDidUnload();
    // The next load runs the start-up again, which restores from the saved
    // game: write it now, while the wheels still hold the totals.
    savePref();
    if (picker)
        picker->removeFromSuperview();
    if (logView)
        logView->removeFromSuperview();
    logView.reset();
    picker.reset();
    bannerView_.reset();
}

void TolvaneViewController::applicationWillTerminate(const platform::Notification&)
{
    savePref();
}

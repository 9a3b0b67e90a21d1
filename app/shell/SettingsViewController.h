#pragma once
// The settings screen: the eight preferences of the life counter, read from
// and written to the settings store on every change, as the system settings
// application would. It never touches the saved game or a running counter.

#include "platform/UserDefaults.h"
#include "platform/ui/Controls.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/ViewController.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {

class SettingsViewController : public platform::ViewController,
                               public platform::PickerViewDataSource,
                               public platform::PickerViewDelegate {
public:
    // `store` is non-owning and must outlive the controller.
    explicit SettingsViewController(platform::UserDefaults& store);
    ~SettingsViewController() override;

    // The choices offered: players 2 to 6, and the usual dice.
    static const std::vector<int>& playerChoices();
    static const std::vector<int>& faceChoices();
    // The rows a wheel shows for a stored value: the choices, and the value
    // in its place among them when it is not one (the store and the command
    // line take more), so that the window shows what the game uses.
    static std::vector<int> rowsFor(const std::vector<int>& choices, int value);

    void loadView() override;
    void viewDidLoad() override;
    bool shouldAutorotateToInterfaceOrientation(int orientation) override { return orientation == 1; }

    // Component 0: number of players; component 1: faces of a die.
    std::unique_ptr<platform::PickerView> picker;
    // One switch per boolean key, named after the key.
    std::vector<std::unique_ptr<platform::Switch>> switches;
    std::vector<std::unique_ptr<platform::Label>> labels;

    int numberOfComponentsInPickerView(platform::PickerView& picker) override;
    int numberOfRowsInComponent(platform::PickerView& picker, int component) override;
    std::string titleForRow(platform::PickerView& picker, int row, int component) override;
    void didSelectRow(platform::PickerView& picker, int row, int component) override;
    float rowHeightForComponent(platform::PickerView&, int) override { return 36; }

    // Shown under the switches: what waits for the next start.
    static constexpr const char* kNextStartNote =
        "* Takes effect at the next start of the counter. Start in landscape takes effect when you return to the game.";
    // Set before the view loads to show a Done button (the settings window
    // over the game); it is called when the player is done.
    std::function<void()> onDone;
    std::unique_ptr<platform::Button> done;

    // Reads the store again and shows its values (no write).
    void refresh();
    platform::Switch* switchForKey(const std::string& key) const;

    // Across the top while the last change could not be written; it goes
    // with the next write that succeeds.
    std::unique_ptr<platform::Label> writeNotice;

private:
    void switchChanged(platform::Switch& control);
    void apply(const char* key, const platform::Value& value);

    platform::UserDefaults& store_;
    // What each wheel shows, from the last refresh.
    std::vector<int> playerRows_;
    std::vector<int> faceRows_;
};

}

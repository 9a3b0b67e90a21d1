#include "SettingsViewController.h"

#include "NoticeStrip.h"
#include "SettingsKeys.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace tolvane {

namespace {

struct SwitchText {
    const char* key;
    const char* caption;
};

// In the order the switches appear on screen. A star marks what takes effect
// only at the next start of the counter; "Start in landscape" applies as
// soon as the game is back in front.
const SwitchText kSwitches[] = {
    { "isLandscapeAtStart", "Start in landscape" },
    { "is5hp", "Show +5 and -5 buttons *" },
    { "isAskBeforeReset", "Ask before a reset *" },
    { "isThrow2Dices", "Throw two dice *" },
    { "isDiceRepeat", "Dice may repeat a value *" },
    { "isAlwaysOn", "Keep the screen on *" },
};

}

SettingsViewController::SettingsViewController(platform::UserDefaults& store)
    : store_(store)
{
}

SettingsViewController::~SettingsViewController()
{
    if (picker) {
        picker->setDataSource(nullptr);
        picker->setDelegate(nullptr);
    }
}

const std::vector<int>& SettingsViewController::playerChoices()
{
    static const std::vector<int> choices = { 2, 3, 4, 5, 6 };
    return choices;
}

const std::vector<int>& SettingsViewController::faceChoices()
{
    static const std::vector<int> choices = { 2, 4, 6, 8, 10, 12, 20, 100 };
    return choices;
}

std::vector<int> SettingsViewController::rowsFor(const std::vector<int>& choices, int value)
{
    std::vector<int> rows = choices;
    const auto at = std::lower_bound(rows.begin(), rows.end(), value);
    if (at == rows.end() || *at != value)
        rows.insert(at, value);
    return rows;
}

void SettingsViewController::loadView()
{
    setView(std::make_unique<platform::View>(platform::Rect { 0, 0, 320, 460 }));
    view().setBackgroundColor({ 0.93f, 0.93f, 0.95f, 1 });
}

void SettingsViewController::viewDidLoad()
{
    auto header = [&](const char* text, float x) {
        auto label = std::make_unique<platform::Label>(platform::Rect { x, 4, 160, 20 });
        label->setText(text);
        label->setTextAlignment(platform::TextAlignment::Center);
        label->setFont(platform::Font::boldSystemFont(14));
        view().addSubview(*label);
        labels.push_back(std::move(label));
    };
    header("Players *", 0);
    header("Faces of a die *", 160);

    picker = std::make_unique<platform::PickerView>(platform::Rect { 0, 24, 320, 180 });
    picker->setObjectName("settingsPicker");
    picker->setDataSource(this);
    picker->setDelegate(this);
    view().addSubview(*picker);

    float y = 210;
    for (const auto& item : kSwitches) {
        auto label = std::make_unique<platform::Label>(platform::Rect { 12, y, 206, 27 });
        label->setText(item.caption);
        label->setFont(platform::Font::systemFont(15));
        view().addSubview(*label);
        labels.push_back(std::move(label));

        auto control = std::make_unique<platform::Switch>(platform::Rect { 222, y, 94, 27 });
        control->setObjectName(item.key);
        control->onValueChanged = [this](platform::Switch& s) { switchChanged(s); };
        view().addSubview(*control);
        switches.push_back(std::move(control));
        y += 32;
    }

    auto note = std::make_unique<platform::Label>(platform::Rect { 12, y + 2, 206, 52 });
    note->setObjectName("nextStartNote");
    note->setText(kNextStartNote);
    note->setNumberOfLines(0);
    note->setFont(platform::Font::systemFont(11));
    view().addSubview(*note);
    labels.push_back(std::move(note));

    done = std::make_unique<platform::Button>(platform::Rect { 222, y + 12, 94, 32 });
    done->setObjectName("settingsDone");
    done->setTitle("Done");
    done->onTouchUpInside = [this](platform::Button&) {
        if (onDone) {
            auto action = onDone;
            action();
        }
    };
    done->setHidden(!onDone);
    view().addSubview(*done);
    refresh();
}

void SettingsViewController::refresh()
{
    if (!isViewLoaded())
        return;
    for (auto& control : switches)
        control->setOn(SettingsKeys::boolValue(store_, control->objectName()));
    // The store keeps both values inside the 32-bit range.
    const int players = static_cast<int>(SettingsKeys::integerValue(store_, "numPlayers"));
    const int faces = static_cast<int>(SettingsKeys::integerValue(store_, "diceFaceType"));
    playerRows_ = rowsFor(playerChoices(), players);
    faceRows_ = rowsFor(faceChoices(), faces);
    picker->reloadAllComponents();
    auto rowOf = [](const std::vector<int>& rows, int value) {
        return int(std::lower_bound(rows.begin(), rows.end(), value) - rows.begin());
    };
    picker->selectRow(rowOf(playerRows_, players), 0, false);
    picker->selectRow(rowOf(faceRows_, faces), 1, false);
}

platform::Switch* SettingsViewController::switchForKey(const std::string& key) const
{
    for (const auto& control : switches)
        if (control->objectName() == key)
            return control.get();
    return nullptr;
}

void SettingsViewController::switchChanged(platform::Switch& control)
{
    apply(control.objectName().c_str(), platform::Value(control.isOn()));
}

void SettingsViewController::apply(const char* name, const platform::Value& value)
{
    const SettingsKeys::Key* key = SettingsKeys::find(name);
    if (!key)
        return;
    // The store keeps a change it could not write and tries again with the
    // next one; until then the player is told, not left believing it saved.
    const bool written = SettingsKeys::apply(store_, *key, value);
    if (written) {
        if (writeNotice)
            writeNotice->setHidden(true);
        return;
    }
    if (!writeNotice) {
        writeNotice = makeNoticeStrip("settingsWriteNotice", platform::Rect { 0, 0, 320, 24 }, 2);
        view().addSubview(*writeNotice);
    }
    writeNotice->setText("The settings could not be saved in "
        + platform::FileSystem::deletingLastPathComponent(store_.filePath()));
    writeNotice->setHidden(false);
    view().bringSubviewToFront(*writeNotice);
}

int SettingsViewController::numberOfComponentsInPickerView(platform::PickerView&) { return 2; }

int SettingsViewController::numberOfRowsInComponent(platform::PickerView&, int component)
{
    return component == 0 ? int(playerRows_.size()) : int(faceRows_.size());
}

std::string SettingsViewController::titleForRow(platform::PickerView&, int row, int component)
{
    const auto& rows = component == 0 ? playerRows_ : faceRows_;
    if (row < 0 || row >= int(rows.size()))
        return {};
    return component == 0 ? std::to_string(rows[row]) + " players" : "D" + std::to_string(rows[row]);
}

void SettingsViewController::didSelectRow(platform::PickerView&, int row, int component)
{
    const auto& rows = component == 0 ? playerRows_ : faceRows_;
    if (row < 0 || row >= int(rows.size()))
        return;
    apply(component == 0 ? "numPlayers" : "diceFaceType", platform::Value(rows[row]));
}

}

#pragma once
// The one screen of the life counter: it owns the whole game (life columns,
// poison, log, rounds, dice), builds and lays out the screen, saves and
// restores the game. It does not own the window, and it only places the ad
// banner and asks it once for an ad: it never hears from it.

#include "GameSnapshot.h"
#include "LifeColumn.h"
#include "UndoHistory.h"

#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "platform/Value.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/ViewController.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ADSBannerView;

class TolvaneViewController : public platform::ViewController,
                              public platform::PickerViewDataSource,
                              public platform::PickerViewDelegate {
public:
    TolvaneViewController();
    ~TolvaneViewController() override;

    // ---- Screen fields (built by loadView and the start-up) ----
    // The ad banner: 320 x 50, moved only by the rotation policy. The type is
    // complete on the screen side alone (app/), where it is made and released.
    std::unique_ptr<ADSBannerView> bannerView_;
    std::unique_ptr<platform::TextView> logView;
    std::unique_ptr<platform::Button> buttonLogView;
    std::unique_ptr<platform::PickerView> picker;
    std::unique_ptr<platform::TextField> nameField0;
    std::unique_ptr<platform::TextField> nameField1;
    // Every name field in player order; non-owning (nameField0, nameField1,
    // then the fields held by extraNameFields).
    std::vector<platform::TextField*> ar_nameField;
    std::unique_ptr<platform::Button> buttonInc0;
    std::unique_ptr<platform::Button> buttonInc1;
    std::unique_ptr<platform::Button> buttonDec0;
    std::unique_ptr<platform::Button> buttonDec1;
    std::unique_ptr<platform::Button> buttonInc5Hp0;
    std::unique_ptr<platform::Button> buttonInc5Hp1;
    std::unique_ptr<platform::Button> buttonDec5Hp0;
    std::unique_ptr<platform::Button> buttonDec5Hp1;
    std::unique_ptr<platform::Button> buttonReset;
    std::unique_ptr<platform::Button> buttonFacebook;
    std::unique_ptr<platform::ImageView> pelkLogo;
    std::unique_ptr<platform::Button> buttonDice;
    std::unique_ptr<platform::View> containerView;
    std::unique_ptr<platform::Button> buttonSwap;
    // One dice-result label per player, three or more players only.
    std::vector<std::unique_ptr<platform::Label>> ar_lblRandom;
    std::unique_ptr<platform::Switch> switchPoison;
    std::unique_ptr<platform::Label> labelPoison0;
    std::unique_ptr<platform::Label> labelPoison1;
    std::unique_ptr<platform::Label> labelPoisonSwitch;
    platform::Rect rectReset;
    platform::Rect rectHist;
    platform::Rect rectFacebook;
    platform::Rect rectSwiPoison;
    platform::Rect rectLblPoison;
    platform::Font fontNameField;
    // Owners of the name fields of players 2 and beyond.
    std::vector<std::unique_ptr<platform::TextField>> extraNameFields;
    // The "Dice" button of the layout for three or more players.
    std::unique_ptr<platform::Button> buttonDiceAll;

    // ---- Game fields ----
    std::vector<std::shared_ptr<LifeColumn>> ar_pickerData; // index = player
    std::shared_ptr<LifeColumn> pickerData0;                 // same object as ar_pickerData[0]
    std::shared_ptr<LifeColumn> pickerData1;                 // same object as ar_pickerData[1]
    std::vector<std::vector<std::string>> ar_poisonData;    // "10" down to "-1"
    std::vector<int> arPoison;
    // The game log, oldest first. A name is kept as the very value the name
    // field held, so that a later change can tell whether the field was set since.
    std::vector<platform::Date> arTime;
    std::vector<std::string> arTimeString;
    std::vector<std::shared_ptr<const std::string>> arName;
    std::vector<int> arHp;
    std::string logTextMutableString;
    bool frontViewVisible = false;
    bool isPoison = false;
    bool isHardReset = false;
    int gameRound = 0;
    int secordOfTimer = 0;
    std::unique_ptr<platform::Timer> gameTimer;

    // ---- Setting fields ----
    bool isShown5hp = true;
    bool isAskBeforeReset = true;
    int numPlayers = 2;
    bool isDiceRepeat = false;
    int diceFaceType = 20;
    bool isAlwaysOn = true;
    bool isThrow2Dices = true;
    bool isLandscapeAtStart = false;

    // ---- Accessors for the shell and tests ----
    platform::Button* diceButton() const { return buttonDiceAll.get(); }
    // The reset question on screen, or null.
    platform::AlertView* currentAlert() const;

    // ---- Game state readers ----
    int conventPoisonPlayerCol(int player) const;
    int getHP(int player) const;
    int getPoisonCnt(int player) const;

    // ---- Life changes ----
    void changeHp(const platform::Button* sender);

    // ---- Life picker: data source and delegate ----
    int numberOfComponentsInPickerView(platform::PickerView& pickerView) override;
    int numberOfRowsInComponent(platform::PickerView& pickerView, int component) override;
    std::unique_ptr<platform::View> viewForRow(platform::PickerView& pickerView, int row, int component,
        platform::View* reusing) override;
    std::string titleForRow(platform::PickerView& pickerView, int row, int component) override;
    // "Player 1 life, 20", "Player 2 poison, 3": what a screen reader says of a wheel.
    std::string accessibilityLabelForComponent(platform::PickerView& pickerView, int component) override;
    void didSelectRow(platform::PickerView& pickerView, int row, int component) override;

    // ---- Life picker: column operations ----
    bool AddItemToPicker(int count, int column, int component);
    bool AddItemToPicker(int count, int column);
    bool AddItemToPickerBottom(int count, int column, int component);
    bool AddItemToPickerBottom(int count, int column);
    bool incPickerUpperItem(int column, int component);
    bool incPickerUpperItem(int column);
    bool incPickerLowerItem(int column, int component);
    bool incPickerLowerItem(int column);
    int maxOfPicker(int column) const;
    int minOfPicker(int column) const;
    void setPickerSelectedRow(int component, int hp, int maxHp, int minHp);
    void setPickerSelectedRow(int component, int hp);

    // ---- Poison ----
    void HandlePoisonSwitch();
    void resetPoisonCol();

    // ---- Reset, rounds and timer ----
    void Reset();
    void HardReset();
    void clickedButtonAtIndex(platform::AlertView& alert, int buttonIndex);
    void DoReset();
    void timerRefresh();

    // ---- Game log ----
    void DoLog(int player);
    void DoLog(int player, int value);
    void DoPosionCounterLog(int player);
    void AddLog(platform::Date date, std::shared_ptr<const std::string> name, int value);
    void RefreshLogAppend(platform::Date date, const std::string& name, int value);
    void RefreshLog();
    std::string dateToString(platform::Date date) const;
    void handleLogButton(const platform::Button* sender);

    // ---- Game changes, undo and redo ----
    // What made a change: play by a button, a wheel or "All +1"/"All -1"
    // (the changes a player can take back), or one that starts the history
    // afresh, or a name, or undo and redo themselves.
    enum class GameChange { Play, Reset, Swap, PoisonMode, Name, Start, Undo, Redo };
    // Told once after every change of a total, a poison count, a name or the
    // log, whatever made it, when the game is as the player now sees it.
    // The one place to hear of changes. The controller saves on its own soon
    // after (see scheduleAutosave); this is for whoever else must follow the game.
    std::function<void(GameChange)> onGameChanged;
    // The last change of a total or poison count by a button, a wheel or
    // "All +1"/"All -1" is taken back, totals and log exactly as they were
    // before it (a merged log entry included); a reset, a swap or the poison
    // switch ends what can be taken back. False when there is nothing to do.
    bool undo();
    bool redo();
    bool canUndo() const { return undoHistory_.canUndo(); }
    bool canRedo() const { return undoHistory_.canRedo(); }
    // The totals, poison counts and the log's length, with the log's entries
    // from `logTailFrom` on (always its last one).
    GameSnapshot snapshotGame(size_t logTailFrom = SIZE_MAX) const;
    // Puts the totals, poison counts and log tail of a snapshot back, without
    // logging; a snapshot of the other poison mode, or whose tail starts past
    // the log's end, is refused.
    bool restoreGame(const GameSnapshot& snapshot);

    // ---- Dice ----
    void doThrowDiceOnBtn();
    void doThrowDice();

    // ---- Screen construction and start-up ----
    void loadView() override;
    void viewDidLoad() override;

    // ---- Settings ----
    void readSettings();
    void reloadSetting();

    // ---- Saved game ----
    std::string dataFilePath() const;
    // Writes the game. A failed write leaves the file as it was and says so:
    // one console line, and a notice on screen until a save succeeds.
    void savePref();
    void loadPref();
    // The game is written this long after a change, so that a kill, a crash
    // or a power cut loses at most that much play.
    static constexpr double kAutosaveDelay = 2.0;
    // Files larger than this are not saved games; damaged ones kept aside.
    static constexpr long long kMaximumSavedGameSize = 32LL * 1024 * 1024;
    static constexpr int kDamagedSavedGamesKept = 5;
    // The notice of a failed save, or null while saves succeed.
    platform::Label* saveNotice() const { return saveNotice_.get(); }
    // The last save of the game failed: the file holds an earlier game.
    bool lastSaveFailed() const { return lastSaveFailed_; }

    // ---- Orientation and layout ----
    bool shouldAutorotateToInterfaceOrientation(int orientation) override;
    void willAnimateSecondHalfOfRotationFromInterfaceOrientation(int fromOrientation, double duration) override;
    bool isPortrait() const;
    void adBannerAtLandscapePos();
    void applyPortraitLayout();
    void applyLandscapeLayout();
    void remove5hpBtn();
    void setDoubleSize1hpBtn();
    void setDoubleSize1hpBtnLandscape();
    void SetButtonFontSize(float size, platform::Button& button);
    void buildLayoutForManyPlayers();

    // ---- Side swap and small controls ----
    void swapButton(const platform::Button* sender);
    void textFieldDoneEditing(platform::TextField& field);
    void handleFacebookBtn(const platform::Button* sender);
    void didReceiveMemoryWarning() override;
    void viewDidUnload() override;
    void applicationWillTerminate(const platform::Notification& notification);

    // ---- Ad banner ----
    // Creates the banner and asks it for the first ad (start-up step 9).
    // Virtual for one purpose: measuring the start without the banner
    // against the real one.
    virtual void createBannerView();

private:
    void gameDidChange(GameChange change);
    // Tells screen readers of every total and poison count that changed
    // since they were last told, with the player's name.
    void announceChanges();
    std::vector<int> spokenTotals_;
    std::vector<int> spokenPoison_;
    // A rise of `by` rows for the column shown in `component`, growing the
    // column first as often as needed; false when the column cannot grow.
    bool riseSelection(int column, int component, int by, bool animated);
    void showAlert(const std::string& title, const std::string& message);
    bool restoreSavedGame(const platform::Array& saved);
    void keepDamagedSavedGame(const std::string& path, const std::string& reason);
    void scheduleAutosave();
    void showSaveNotice(const std::string& text);

    std::unique_ptr<platform::Timer> autosaveTimer_;
    std::unique_ptr<platform::Label> saveNotice_;
    bool lastSaveFailed_ = false;

    std::unique_ptr<platform::AlertView> alert_;
    UndoHistory undoHistory_;
    bool observingTermination_ = false;
};

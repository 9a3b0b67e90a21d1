#pragma once
// The controls of the screen: button, label, text field, switch, text view,
// image view, activity indicator. Each is a small class over a toolkit widget;
// actions are std::function members, called with the control as sender.
// simulate... members act as a user would, for the automation mode and tests.

#include "platform/ui/View.h"
#include <functional>
#include <memory>
#include <string>

namespace platform {

class Image;

enum ControlState : unsigned {
    ControlStateNormal = 0,
    ControlStateHighlighted = 1,
    ControlStateDisabled = 2,
    ControlStateSelected = 4,
};

class Control : public View {
public:
    using View::View;
    void setEnabled(bool);
    bool isEnabled() const;
};

class Button : public Control {
public:
    enum class Type { Custom, RoundedRect };
    explicit Button(Type type = Type::RoundedRect);
    explicit Button(Rect frame, Type type = Type::RoundedRect);
    ~Button() override;

    // Per-state titles, colours and images; a state without its own falls back
    // to the normal one, as the platform does.
    void setTitle(const std::string& title, ControlState state = ControlStateNormal);
    std::string title(ControlState state = ControlStateNormal) const;
    void setTitleColor(Color color, ControlState state = ControlStateNormal);
    Color titleColor(ControlState state = ControlStateNormal) const;
    void setBackgroundImage(std::shared_ptr<const Image> image, ControlState state = ControlStateNormal);
    std::shared_ptr<const Image> backgroundImage(ControlState state = ControlStateNormal) const;
    void setImage(std::shared_ptr<const Image> image, ControlState state = ControlStateNormal);
    std::shared_ptr<const Image> image(ControlState state = ControlStateNormal) const;
    // The title label's font.
    void setFont(const Font& font);
    Font font() const;
    // A glow where the finger is while the button is held.
    void setShowsTouchWhenHighlighted(bool on);
    bool showsTouchWhenHighlighted() const;

    // Target-action: touch-up-inside, and a long press (held 0.8 s).
    std::function<void(Button&)> onTouchUpInside;
    std::function<void(Button&)> onLongPress;
    void simulateTap();       // touch-up-inside as a finger would (only when enabled)
    void simulateLongPress();
    // A finger down on the button, and lifted again, as separate steps (the
    // hold between them is measured on the clock).
    void simulateTouchDown();
    void simulateTouchUp();
};

class Label : public View {
public:
    Label();
    explicit Label(Rect frame);
    void setText(const std::string& text);
    const std::string& text() const;
    void setTextColor(Color);
    Color textColor() const;
    void setTextAlignment(TextAlignment);
    TextAlignment textAlignment() const;
    void setFont(const Font&);
    Font font() const;
    void setAdjustsFontSizeToFitWidth(bool);
    void setNumberOfLines(int);
};

class TextField : public Control {
public:
    enum class BorderStyle { None, Line, Bezel, RoundedRect };
    enum class ClearButtonMode { Never, WhileEditing, UnlessEditing, Always };
    TextField();
    explicit TextField(Rect frame);
    ~TextField() override;

    // Every set, by the program or by the user, makes a new name value, so two
    // sets of the same text give values of different identity.
    void setText(const std::string& text);
    const std::string& text() const { return *textValue(); }
    std::shared_ptr<const std::string> textValue() const;

    void setFont(const Font&);
    Font font() const;
    void setTextColor(Color);
    void setTextAlignment(TextAlignment);
    void setBorderStyle(BorderStyle);
    BorderStyle borderStyle() const;
    void setClearButtonMode(ClearButtonMode);
    ClearButtonMode clearButtonMode() const;
    void setKeyboardAppearance(int);
    int keyboardAppearance() const;
    void setReturnKeyType(int);
    int returnKeyType() const;
    void setAdjustsFontSizeToFitWidth(bool);
    bool adjustsFontSizeToFitWidth() const;
    void setMinimumFontSize(float);
    // The size the text is drawn at: the font's, or smaller when shrinking to fit.
    float displayedFontSize() const;
    void setContentHorizontalAlignment(TextAlignment);
    TextAlignment contentHorizontalAlignment() const;
    void setPlaceholder(const std::string&);

    bool becomeFirstResponder();
    bool resignFirstResponder();
    bool isFirstResponder() const;

    // Editing ended with the return key ("did end on exit").
    std::function<void(TextField&)> onDidEndOnExit;
    // Editing ended because the user left the field (Tab, a click elsewhere,
    // another window) rather than by the return key.
    std::function<void(TextField&)> onEditingDidEnd;
    // The user replaces the text and presses return, or leaves the field.
    enum class EditEnd { Return, FocusLoss };
    void simulateUserEdit(const std::string& text, EditEnd end = EditEnd::Return);

    struct State;
private:
    std::shared_ptr<State> state_;
};

class Switch : public Control {
public:
    Switch();
    explicit Switch(Rect frame);
    bool isOn() const;
    void setOn(bool on, bool animated = false); // the program: no action sent
    std::function<void(Switch&)> onValueChanged;
    void simulateUserSet(bool on); // the user: action sent when the value changes
};

// Multi-line text; read-only until made editable (it shows logs).
class TextView : public View {
public:
    TextView();
    explicit TextView(Rect frame);
    void setText(const std::string& text);
    std::string text() const;
    void setFont(const Font&);
    void setEditable(bool);
    bool isEditable() const;
    void setTextColor(Color);
};

class ImageView : public View {
public:
    ImageView();
    explicit ImageView(Rect frame);
    explicit ImageView(std::shared_ptr<const Image> image);
    void setImage(std::shared_ptr<const Image> image);
    std::shared_ptr<const Image> image() const;
};

class ActivityIndicator : public View {
public:
    enum class Style { White, WhiteLarge, Gray };
    explicit ActivityIndicator(Style style = Style::White);
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const;
    void setHidesWhenStopped(bool);
};

}

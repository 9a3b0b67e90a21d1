#pragma once
// A picker of spinning wheels (components). Rows come from a data source and
// are drawn with the views the delegate returns. Selecting from the program
// never calls the delegate; a user turning a wheel and letting it rest does.

#include "platform/ui/View.h"
#include <functional>
#include <memory>
#include <vector>

namespace platform {

class PickerView;

class PickerViewDataSource {
public:
    virtual ~PickerViewDataSource() = default;
    virtual int numberOfComponentsInPickerView(PickerView& picker) = 0;
    virtual int numberOfRowsInComponent(PickerView& picker, int component) = 0;
};

class PickerViewDelegate {
public:
    virtual ~PickerViewDelegate() = default;
    // The view drawn for a row; `reusing` may be offered and ignored. Null: use titleForRow.
    virtual std::unique_ptr<View> viewForRow(PickerView&, int /*row*/, int /*component*/, View* /*reusing*/) { return nullptr; }
    virtual std::string titleForRow(PickerView&, int /*row*/, int /*component*/) { return {}; }
    virtual void didSelectRow(PickerView&, int /*row*/, int /*component*/) { }
    virtual float rowHeightForComponent(PickerView&, int /*component*/) { return 44; }
    // What a screen reader calls a wheel ("Player 1 life, 20"); empty: the
    // wheel's number and its selected row's text.
    virtual std::string accessibilityLabelForComponent(PickerView&, int /*component*/) { return {}; }
};

class PickerView : public View {
public:
    PickerView();
    explicit PickerView(Rect frame);
    ~PickerView() override;

    void setDataSource(PickerViewDataSource* dataSource); // non-owning
    void setDelegate(PickerViewDelegate* delegate);       // non-owning
    PickerViewDataSource* dataSource() const;
    PickerViewDelegate* delegate() const;

    // Cached counts from the last reload (a new picker loads them on first use).
    int numberOfComponents() const;
    int numberOfRowsInComponent(int component) const;
    // -1 for a component that does not exist.
    int selectedRowInComponent(int component) const;
    // Takes effect at once; `animated` only changes how the move is drawn.
    // Rows outside the component are clamped to it.
    void selectRow(int row, int component, bool animated);
    // Ask the data source again; each selected row is kept, limited to the new
    // row count (a new component starts at row 0).
    void reloadComponent(int component);
    void reloadAllComponents();
    // Text shown at a row: the label text of the delegate's view, else the title.
    std::string textForRow(int row, int component);

    // A user turns wheel `component` to `row` and lets it rest.
    void simulateUserSelect(int row, int component);
    // Real input events sent to the wheel: a drag by dy points (press, moves,
    // release; upward is negative and turns to higher rows), and mouse-wheel
    // notches (positive turns to higher rows), which rest after a short pause.
    void simulateDrag(int component, float dy);
    void simulateWheel(int component, int notches);
    // How long the wheel waits after the last mouse-wheel notch before it rests.
    static constexpr double kWheelRestSeconds = 0.25;
};

}

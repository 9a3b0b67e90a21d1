#include "UiTestSupport.h"
#include "platform/ui/Controls.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/Window.h"
#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

using namespace platform;

namespace {
// Columns of numbers, highest first, like the life wheels; rows are labels.
class Columns final : public PickerViewDataSource, public PickerViewDelegate {
public:
    std::vector<int> counts { 36, 36 };
    std::vector<std::pair<int, int>> selections; // (row, component)
    bool useLabels = true;
    int viewRequests = 0;

    int numberOfComponentsInPickerView(PickerView&) override { return int(counts.size()); }
    int numberOfRowsInComponent(PickerView&, int k) override { return counts.at(size_t(k)); }
    std::unique_ptr<View> viewForRow(PickerView&, int row, int k, View*) override
    {
        ++viewRequests;
        if (!useLabels)
            return nullptr;
        auto l = std::make_unique<Label>(Rect { 0, 0, 100, 44 });
        l->setText(std::to_string(30 - row) + (k ? "b" : "a"));
        l->setFont(Font::boldSystemFont(45));
        l->setTextAlignment(TextAlignment::Center);
        return l;
    }
    std::string titleForRow(PickerView&, int row, int) override { return "t" + std::to_string(row); }
    void didSelectRow(PickerView&, int row, int k) override { selections.emplace_back(row, k); }
};
}

TEST(PickerView, LoadsCountsOnFirstUseAndAnswersCachedCounts)
{
    Columns cols;
    PickerView picker;
    picker.setDataSource(&cols);
    picker.setDelegate(&cols);
    EXPECT_EQ(picker.numberOfComponents(), 2);
    EXPECT_EQ(picker.numberOfRowsInComponent(1), 36);
    // The data source changing says nothing until a reload.
    cols.counts = { 46, 36, 11 };
    EXPECT_EQ(picker.numberOfComponents(), 2);
    EXPECT_EQ(picker.numberOfRowsInComponent(0), 36);
    EXPECT_EQ(picker.numberOfRowsInComponent(5), 0);
    EXPECT_EQ(picker.selectedRowInComponent(5), -1);
    EXPECT_EQ(picker.selectedRowInComponent(-1), -1);
}

TEST(PickerView, ReloadKeepsSelectionLimitedToTheNewCountAndNewComponentsStartAtZero)
{
    Columns cols;
    PickerView picker;
    picker.setDataSource(&cols);
    picker.setDelegate(&cols);
    picker.selectRow(10, 0, false);
    picker.selectRow(30, 1, false);

    // Growing keeps the row index (the value shown moves, as the game expects).
    cols.counts[0] = 46;
    picker.reloadComponent(0);
    EXPECT_EQ(picker.numberOfRowsInComponent(0), 46);
    EXPECT_EQ(picker.selectedRowInComponent(0), 10);

    // Shrinking limits the row to the last one.
    cols.counts[1] = 11;
    picker.reloadComponent(1);
    EXPECT_EQ(picker.selectedRowInComponent(1), 10);

    // reloadComponent asks only about that component.
    cols.counts = { 20, 5, 11, 11 };
    picker.reloadComponent(0);
    EXPECT_EQ(picker.numberOfComponents(), 2);
    EXPECT_EQ(picker.numberOfRowsInComponent(1), 11);
    EXPECT_EQ(picker.selectedRowInComponent(0), 10);

    picker.reloadAllComponents();
    EXPECT_EQ(picker.numberOfComponents(), 4);
    EXPECT_EQ(picker.selectedRowInComponent(1), 4);
    EXPECT_EQ(picker.selectedRowInComponent(2), 0);
    EXPECT_EQ(picker.selectedRowInComponent(3), 0);
    picker.selectRow(7, 3, false);

    // Fewer components, then more again: the returning one starts at row 0.
    cols.counts = { 20, 5 };
    picker.reloadAllComponents();
    EXPECT_EQ(picker.numberOfComponents(), 2);
    cols.counts = { 20, 5, 11, 11 };
    picker.reloadAllComponents();
    EXPECT_EQ(picker.selectedRowInComponent(3), 0);

    // An emptied wheel has no selection; refilled, it starts at row 0.
    cols.counts[0] = 0;
    picker.reloadComponent(0);
    EXPECT_EQ(picker.selectedRowInComponent(0), -1);
    cols.counts[0] = 3;
    picker.reloadComponent(0);
    EXPECT_EQ(picker.selectedRowInComponent(0), 0);
    EXPECT_TRUE(cols.selections.empty());
}

TEST(PickerView, ProgramSelectionNeverCallsTheDelegateButAUserTurnDoes)
{
    Columns cols;
    PickerView picker;
    picker.setDataSource(&cols);
    picker.setDelegate(&cols);
    picker.selectRow(10, 0, false);
    picker.selectRow(12, 1, true);
    picker.selectRow(500, 1, false); // clamped to the wheel
    EXPECT_EQ(picker.selectedRowInComponent(1), 35);
    picker.selectRow(-3, 1, false);
    EXPECT_EQ(picker.selectedRowInComponent(1), 0);
    picker.selectRow(1, 7, false); // no such wheel: ignored
    EXPECT_TRUE(cols.selections.empty());

    picker.simulateUserSelect(5, 0);
    ASSERT_EQ(cols.selections.size(), 1u);
    EXPECT_EQ(cols.selections[0], std::make_pair(5, 0));
    EXPECT_EQ(picker.selectedRowInComponent(0), 5);
    picker.simulateUserSelect(99, 1);
    EXPECT_EQ(cols.selections.back(), std::make_pair(35, 1));
    picker.simulateUserSelect(3, 9);
    EXPECT_EQ(cols.selections.size(), 2u);
}

TEST(PickerView, MouseDragSnapsToARowAndReportsWhenItRests)
{
    Columns cols;
    PickerView picker({ 0, 0, 320, 216 });
    picker.setDataSource(&cols);
    picker.setDelegate(&cols);
    picker.selectRow(10, 0, false);
    picker.selectRow(10, 1, false);

    // Two rows and a bit upward (44-point rows): to row 12 of the right wheel.
    picker.simulateDrag(1, -2.3f * 44);
    ASSERT_EQ(cols.selections.size(), 1u);
    EXPECT_EQ(cols.selections[0], std::make_pair(12, 1));
    EXPECT_EQ(picker.selectedRowInComponent(1), 12);
    EXPECT_EQ(picker.selectedRowInComponent(0), 10);

    // Downward past the top stops at row 0.
    picker.simulateDrag(0, 30 * 44);
    EXPECT_EQ(cols.selections.back(), std::make_pair(0, 0));

    // A tiny jitter on the band is not a turn.
    picker.simulateDrag(0, 1);
    EXPECT_EQ(cols.selections.size(), 2u);
}

TEST(PickerView, MouseWheelRestsAfterAPauseAndReportsOnce)
{
    Columns cols;
    PickerView picker({ 0, 0, 320, 216 });
    picker.setDataSource(&cols);
    picker.setDelegate(&cols);
    picker.selectRow(10, 0, false);
    picker.simulateWheel(0, 1);
    picker.simulateWheel(0, 2);
    EXPECT_EQ(picker.selectedRowInComponent(0), 13);
    EXPECT_TRUE(cols.selections.empty()); // still turning
    uitest::advance(PickerView::kWheelRestSeconds + 0.01);
    ASSERT_EQ(cols.selections.size(), 1u);
    EXPECT_EQ(cols.selections[0], std::make_pair(13, 0));
    uitest::advance(1);
    EXPECT_EQ(cols.selections.size(), 1u);

    // Turning another wheel before the first has rested reports the first
    // at once: each wheel's turn is reported, none lost.
    cols.selections.clear();
    picker.simulateWheel(0, 2);
    picker.simulateWheel(1, 1);
    EXPECT_EQ(cols.selections, (std::vector<std::pair<int, int>> { { 15, 0 } }));
    uitest::advance(PickerView::kWheelRestSeconds + 0.01);
    ASSERT_EQ(cols.selections.size(), 2u);
    EXPECT_EQ(cols.selections[1].second, 1);
}

// A turn not yet reported when the program changes the wheel is never
// reported: coming later, it would read as a choice among the new rows (a
// poison toggle reloads every wheel, an undo selects the rows it restores).
TEST(PickerView, AProgramChangeWinsOverATurnNotYetReported)
{
    Columns cols;
    PickerView picker({ 0, 0, 320, 216 });
    picker.setDataSource(&cols);
    picker.setDelegate(&cols);
    picker.selectRow(10, 0, false);
    picker.simulateWheel(0, 2);
    picker.selectRow(4, 0, false);
    uitest::advance(PickerView::kWheelRestSeconds + 0.01);
    EXPECT_TRUE(cols.selections.empty());
    EXPECT_EQ(picker.selectedRowInComponent(0), 4);

    // The program changing another wheel leaves the turn to be reported.
    picker.simulateWheel(0, 1);
    picker.selectRow(7, 1, false);
    uitest::advance(PickerView::kWheelRestSeconds + 0.01);
    EXPECT_EQ(cols.selections, (std::vector<std::pair<int, int>> { { 5, 0 } }));

    cols.selections.clear();
    picker.simulateWheel(1, -3);
    picker.reloadAllComponents();
    uitest::advance(PickerView::kWheelRestSeconds + 0.01);
    EXPECT_TRUE(cols.selections.empty());
    picker.simulateWheel(1, 1);
    picker.reloadComponent(1);
    uitest::advance(PickerView::kWheelRestSeconds + 0.01);
    EXPECT_TRUE(cols.selections.empty());
    // The wheel turns and reports as before once the program is done.
    picker.simulateWheel(1, 1);
    uitest::advance(PickerView::kWheelRestSeconds + 0.01);
    EXPECT_EQ(cols.selections, (std::vector<std::pair<int, int>> { { 6, 1 } }));

    // A drag on the last wheel when the picker loses it (three wheels to two)
    // ends there: the wheel that is gone is never asked about or reported.
    struct Shrinking final : PickerViewDataSource, PickerViewDelegate {
        int components = 3;
        std::vector<int> stray; // components asked about that were not there
        int reports = 0;
        int numberOfComponentsInPickerView(PickerView&) override { return components; }
        int numberOfRowsInComponent(PickerView&, int) override { return 36; }
        float rowHeightForComponent(PickerView& p, int k) override
        {
            if (k >= components)
                stray.push_back(k);
            // The drag is under way: the picker loses its last wheel now.
            if (k == 2 && components == 3) {
                components = 2;
                p.reloadAllComponents();
            }
            return 44;
        }
        void didSelectRow(PickerView&, int, int) override { ++reports; }
    } shrink;
    PickerView three({ 0, 0, 330, 216 });
    three.setDataSource(&shrink);
    three.setDelegate(&shrink);
    three.selectRow(10, 2, false);
    three.simulateDrag(2, -3 * 44);
    EXPECT_EQ(three.numberOfComponents(), 2);
    EXPECT_TRUE(shrink.stray.empty());
    EXPECT_EQ(shrink.reports, 0);
    three.simulateDrag(1, -44);
    EXPECT_EQ(shrink.reports, 1);
}

TEST(PickerView, DelegateMayReloadAndReselectWhileReportingATurn)
{
    // The game grows the wheel and moves the selection inside didSelectRow.
    struct Growing final : PickerViewDataSource, PickerViewDelegate {
        int rows = 36;
        int numberOfComponentsInPickerView(PickerView&) override { return 1; }
        int numberOfRowsInComponent(PickerView&, int) override { return rows; }
        void didSelectRow(PickerView& p, int row, int k) override
        {
            if (row <= 9) {
                rows += 10;
                p.reloadComponent(k);
                p.selectRow(row + 10, k, false);
            }
        }
    } grow;
    PickerView picker;
    picker.setDataSource(&grow);
    picker.setDelegate(&grow);
    picker.selectRow(10, 0, false);
    picker.simulateDrag(0, 5 * 44);
    EXPECT_EQ(picker.numberOfRowsInComponent(0), 46);
    EXPECT_EQ(picker.selectedRowInComponent(0), 15);
}

TEST(PickerView, TextForRowPrefersTheDelegatesLabel)
{
    Columns cols;
    PickerView picker;
    picker.setDataSource(&cols);
    picker.setDelegate(&cols);
    EXPECT_EQ(picker.textForRow(10, 0), "20a");
    EXPECT_EQ(picker.textForRow(0, 1), "30b");
    cols.useLabels = false;
    EXPECT_EQ(picker.textForRow(4, 1), "t4");
}

TEST(PickerView, DrawsTheRowsTheDelegateReturns)
{
    Columns cols;
    Window window;
    PickerView picker({ 0, 80, 320, 216 });
    picker.setDataSource(&cols);
    picker.setDelegate(&cols);
    window.addSubview(picker);
    std::string path = ::testing::TempDir() + "picker.png";
    ASSERT_TRUE(window.renderToPng(path));
    // A 216-point wheel with 44-point rows shows about five rows per wheel.
    EXPECT_GE(cols.viewRequests, 2 * 5);
    EXPECT_LE(cols.viewRequests, 2 * 9);
}

TEST(PickerView, HostileCountsAreContained)
{
    struct Liar final : PickerViewDataSource {
        int numberOfComponentsInPickerView(PickerView&) override { return 1 << 30; }
        int numberOfRowsInComponent(PickerView&, int) override { return -7; }
    } liar;
    PickerView picker;
    picker.setDataSource(&liar);
    EXPECT_LE(picker.numberOfComponents(), 64);
    EXPECT_EQ(picker.numberOfRowsInComponent(0), 0);
    EXPECT_EQ(picker.selectedRowInComponent(0), -1);
    picker.selectRow(3, 0, false);
    picker.simulateUserSelect(3, 0);
    picker.simulateDrag(0, 100);
    picker.simulateWheel(0, 3);
    EXPECT_EQ(picker.selectedRowInComponent(0), -1);
}

// A total wider than its wheel (six wheels of 20020, or 1005 in large type)
// is drawn whole and inside the wheel, at one pixel per point and in a
// window scaled to twice that: the row's label is narrowed to the wheel and
// shrinks its text rather than losing digits at both ends.
TEST(PickerView, WideTotalsFitTheirWheelAtAnyScale)
{
    struct Wide final : PickerViewDataSource, PickerViewDelegate {
        int numberOfComponentsInPickerView(PickerView&) override { return 6; }
        int numberOfRowsInComponent(PickerView&, int) override { return 3; }
        std::unique_ptr<View> viewForRow(PickerView&, int, int k, View*) override
        {
            auto l = std::make_unique<Label>(Rect { 0, 0, 100, 44 });
            l->setText(k % 2 ? "20020" : "-1005");
            l->setFont(Font::boldSystemFont(45));
            l->setTextAlignment(TextAlignment::Center);
            return l;
        }
    } wide;
    for (int scale : { 1, 2 }) {
        Window window;
        window.setPixelSize(320 * scale, 480 * scale);
        ASSERT_DOUBLE_EQ(window.contentScale(), scale);
        PickerView picker({ 0, 80, 320, 216 });
        picker.setDataSource(&wide);
        picker.setDelegate(&wide);
        window.addSubview(picker);
        std::string path = ::testing::TempDir() + "picker-wide-" + std::to_string(scale) + ".png";
        ASSERT_TRUE(window.renderToPng(path));
        auto shot = Image::fromFile(path);
        ASSERT_TRUE(shot);
        ASSERT_EQ(shot->pixelWidth(), 320 * scale);
        const double colW = 320.0 / 6;
        for (int k = 0; k < 6; ++k) {
            // The white of the wheel, less the pixel its edge may shade.
            const int x0 = int(std::ceil((k * colW + 3) * scale)) + 1;
            const int x1 = int(std::floor(((k + 1) * colW - 3) * scale)) - 1;
            // The selected row (row 0) lies in the middle band of the wheel.
            auto ink = uitest::inkBox(*shot, x0, (80 + 90) * scale, x1, (80 + 126) * scale);
            ASSERT_FALSE(ink.empty()) << "wheel " << k << " at scale " << scale;
            EXPECT_GT(ink.left, x0) << "wheel " << k << " at scale " << scale;
            EXPECT_LT(ink.right, x1 - 1) << "wheel " << k << " at scale " << scale;
            EXPECT_GT(ink.width(), (x1 - x0) / 2) << "the digits shrank into nothing";
        }
    }
}

#pragma once
// One player's life column: the decimal texts of consecutive integers, highest
// at row 0. It knows nothing of pickers or players; it only grows at its ends.

#include <cstdint>
#include <string>

// A column is kept as its top value and its row count, and a row's text is made
// when asked: a column can then span any range the 32-bit values allow without
// holding a string per row. Values and the row count both stay inside the
// 32-bit range; growth that would leave it is refused and changes nothing.
class LifeColumn {
public:
    LifeColumn(int top, int bottom);

    int size() const { return rows_; }
    bool empty() const { return rows_ == 0; }
    int max() const { return top_; }
    int min() const { return static_cast<int>(int64_t(top_) - rows_ + 1); }

    // "%d" of the row's value; "" for a row outside the column.
    std::string operator[](int row) const;
    std::string front() const { return (*this)[0]; }
    std::string back() const { return (*this)[rows_ - 1]; }
    int valueAt(int row) const { return static_cast<int>(int64_t(top_) - row); }
    // The row that shows the value (it may lie outside the column).
    int64_t rowOf(int64_t value) const { return int64_t(top_) - value; }
    bool containsRow(int64_t row) const { return row >= 0 && row < rows_; }

    bool canGrowTop(int64_t count) const;
    bool canGrowBottom(int64_t count) const;
    // Adds `count` rows above row 0 (new values max + 1, max + 2, ...).
    bool growTop(int64_t count);
    // Adds `count` rows below the last row (new values min - 1, min - 2, ...).
    bool growBottom(int64_t count);

    bool operator==(const LifeColumn&) const = default;

private:
    int top_;
    int rows_;
};

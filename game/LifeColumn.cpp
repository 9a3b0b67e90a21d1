#include "LifeColumn.h"

#include <cstdint>
#include <limits>

namespace {
constexpr int64_t kMaxValue = std::numeric_limits<int32_t>::max();
constexpr int64_t kMinValue = std::numeric_limits<int32_t>::min();
constexpr int64_t kMaxRows = std::numeric_limits<int32_t>::max();
}

LifeColumn::LifeColumn(int top, int bottom)
    : top_(top)
    , rows_(0)
{
    const int64_t rows = int64_t(top) - bottom + 1;
    rows_ = rows < 0 ? 0 : static_cast<int>(rows > kMaxRows ? kMaxRows : rows);
}

std::string LifeColumn::operator[](int row) const
{
    if (row < 0 || row >= rows_)
        return {};
    return std::to_string(int64_t(top_) - row);
}

bool LifeColumn::canGrowTop(int64_t count) const
{
    return count >= 0 && int64_t(top_) + count <= kMaxValue && int64_t(rows_) + count <= kMaxRows;
}

bool LifeColumn::canGrowBottom(int64_t count) const
{
    return count >= 0 && int64_t(min()) - count >= kMinValue && int64_t(rows_) + count <= kMaxRows;
}

bool LifeColumn::growTop(int64_t count)
{
    if (!canGrowTop(count))
        return false;
    top_ = static_cast<int>(top_ + count);
    rows_ = static_cast<int>(rows_ + count);
    return true;
}

bool LifeColumn::growBottom(int64_t count)
{
    if (!canGrowBottom(count))
        return false;
    rows_ = static_cast<int>(rows_ + count);
    return true;
}

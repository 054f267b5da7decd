#include "ui/button_row.h"

#include <algorithm>
#include <numeric>

namespace {

bool IsButton(const RowControl& c) { return c.need > 0; }

}  // namespace

std::vector<RowControl> FitButtonRow(std::vector<RowControl> row, int dialogWidth) {
    std::vector<std::size_t> order(row.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return row[a].x < row[b].x; });
    const auto leftSide = [&](std::size_t i) { return 2 * row[i].x + row[i].width < dialogWidth; };

    // From the left edge towards the middle: what a button grows by pushes
    // the buttons after it to the right, until a control that is no button
    // takes the push by giving up width (never more than three quarters of
    // its own).
    int push = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        RowControl& c = row[order[k]];
        if (IsButton(c)) {
            if (!leftSide(order[k])) break;
            c.x += push;
            const int grow = std::max(0, c.need - c.width);
            c.width += grow;
            push += grow;
        } else if (push > 0) {
            c.x += push;
            c.width -= std::min(push, c.width - c.width / 4);
            push = 0;
        }
    }
    // From the right edge towards the middle, the same mirrored.
    push = 0;
    for (std::size_t k = order.size(); k-- > 0;) {
        RowControl& c = row[order[k]];
        if (IsButton(c)) {
            if (leftSide(order[k])) break;
            const int right = c.x + c.width - push;
            const int grow = std::max(0, c.need - c.width);
            c.width += grow;
            c.x = right - c.width;
            push += grow;
        } else if (push > 0) {
            c.width -= std::min(push, c.width - c.width / 4);
            push = 0;
        }
    }
    return row;
}

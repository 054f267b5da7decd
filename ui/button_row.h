// Room for button captions that are longer than the layout planned for
// (English words where the layout was drawn for Japanese ones): a button
// grows towards the middle of the dialog, the buttons beside it on that side
// move along, and an edit or list between them and the middle gives up the
// width. A row whose buttons all fit stays exactly as it was laid out.
#pragma once

#include <vector>

// One control of a row, in pixels. need: the width its caption asks for, 0
// for a control that is not a button (it never grows, it may shrink).
struct RowControl {
    int x = 0;
    int width = 0;
    int need = 0;
};

// The row with room for every button: new x and width of each control.
// Controls left of the dialog's middle (by their centre) keep their left
// edges in order from the left, the others their right edges from the right.
std::vector<RowControl> FitButtonRow(std::vector<RowControl> row, int dialogWidth);

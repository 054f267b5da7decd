#include "core/mask_list.h"

#include <cstring>

#include "core/mbtext.h"

std::string JoinMaskList(const char (&masks)[MAX_MASKS][MASK_LEN]) {
    std::string text;
    for (int i = 0; i < MAX_MASKS && masks[i][0] != 0; ++i) {
        if (i > 0) text.push_back(',');
        text.append(FieldText(masks[i]));
    }
    return text;
}

int ParseMaskList(std::string_view text, char (&masks)[MAX_MASKS][MASK_LEN]) {
    std::memset(masks, 0, sizeof masks);
    int cut = 0;
    for (int i = 0; i < MAX_MASKS; ++i) {
        const std::size_t comma = text.find(',');
        const std::string_view item = TrimBlanks(text.substr(0, comma));
        if (item.empty()) break;
        if (!CopyText(masks[i], MASK_LEN, item)) ++cut;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return cut;
}

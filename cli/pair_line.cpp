#include "cli/pair_line.h"

#include "core/pair_ops.h"
#include "texts/texts.h"

std::string FormatPairLine(int index, const DirPair& pair) {
    const PairLineColumns c = PairLineColumnsOf(index, pair);
    return FormatText(TextId::PairLine, {c.number, c.dirA, c.dirB});
}

// The results list's row pictures: drawn from SVG at every scale (sharp at
// 200 %, not a 16-pixel picture blown up) and readable on light, dark and
// selected rows.
#include <gtest/gtest.h>
#include <wx/bmpbndl.h>
#include <wx/image.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "gui/support/gui_test_main.h"
#include "res/icons.h"
#include "res/resource.h"

namespace {

struct IconCase {
    const char* name;
    int id;
};

void PrintTo(const IconCase& c, std::ostream* os) { *os << c.name; }

// Relative luminance (WCAG) of an sRGB colour.
double Luminance(unsigned char r, unsigned char g, unsigned char b) {
    const auto channel = [](unsigned char c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(r) + 0.7152 * channel(g) + 0.0722 * channel(b);
}

double Contrast(double l1, double l2) { return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05); }

// Row backgrounds: light and dark views and their selection colours.
struct Background {
    const char* name;
    unsigned char r, g, b;
};
constexpr Background kBackgrounds[] = {
    {"light", 0xFF, 0xFF, 0xFF},
    {"dark", 0x2D, 0x2D, 0x2D},
    {"selected", 0x35, 0x84, 0xE4},
    {"selected dark", 0x15, 0x53, 0x9E},
};

class RowIcon : public ::testing::TestWithParam<IconCase> {};

TEST_P(RowIcon, IsSharpAtTwiceTheSize) {
    const wxBitmapBundle bundle = LoadRowStateBundle(GetParam().id);
    ASSERT_TRUE(bundle.IsOk());
    EXPECT_EQ(bundle.GetDefaultSize(), wxSize(16, 16));
    const wxImage big = bundle.GetBitmap(wxSize(32, 32)).ConvertToImage();
    ASSERT_EQ(big.GetSize(), wxSize(32, 32));
    // A 16-pixel picture scaled up is made of uniform 2 x 2 blocks; a
    // drawing at 32 pixels has edges inside them.
    int mixedBlocks = 0;
    for (int y = 0; y < 32; y += 2)
        for (int x = 0; x < 32; x += 2) {
            const unsigned char a = big.GetAlpha(x, y);
            mixedBlocks += a != big.GetAlpha(x + 1, y) || a != big.GetAlpha(x, y + 1) || a != big.GetAlpha(x + 1, y + 1);
        }
    EXPECT_GE(mixedBlocks, 20);
}

TEST_P(RowIcon, StandsOutOnLightDarkAndSelectedRows) {
    const wxImage image = LoadRowStateBundle(GetParam().id).GetBitmap(wxSize(16, 16)).ConvertToImage();
    ASSERT_TRUE(image.HasAlpha());
    for (const Background& bg : kBackgrounds) {
        SCOPED_TRACE(bg.name);
        const double lb = Luminance(bg.r, bg.g, bg.b);
        int drawn = 0, standingOut = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x) {
                const unsigned a = image.GetAlpha(x, y);
                if (a < 128) continue;
                // The pixel as painted over the row.
                const auto over = [a](unsigned char fg, unsigned char back) {
                    return static_cast<unsigned char>((fg * a + back * (255 - a)) / 255);
                };
                ++drawn;
                const double lp = Luminance(over(image.GetRed(x, y), bg.r), over(image.GetGreen(x, y), bg.g),
                                            over(image.GetBlue(x, y), bg.b));
                standingOut += Contrast(lp, lb) >= 3.0;
            }
        ASSERT_GT(drawn, 0);
        // The letter or its halo, whichever contrasts with the row, is at
        // least a quarter of the picture (the old blue B had none on dark).
        EXPECT_GE(standingOut * 4, drawn) << standingOut << " of " << drawn;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RowIcon,
                         ::testing::Values(IconCase{"OnlyA", IDI_ONLY_A}, IconCase{"OnlyB", IDI_ONLY_B},
                                           IconCase{"ANewer", IDI_A_NEWER}, IconCase{"BNewer", IDI_B_NEWER},
                                           IconCase{"Undecided", IDI_UNDECIDED}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

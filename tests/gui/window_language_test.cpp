// The window in English: the language follows the environment, every dialog
// has room for its English captions, and the Japanese layouts stay as drawn.
#include "app/window_language.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/translation.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gui/support/gui_test_main.h"
#include "res/dialog_resources.h"
#include "res/resource.h"
#include "texts/texts.h"
#include "texts/translation.h"
#include "ui/button_row.h"
#include "ui/resource_dialog.h"

namespace {

// The locale variables set for one test and put back afterwards, with the
// window's language chosen under them.
class WindowLanguage {
public:
    WindowLanguage(const char* language, const char* lang) {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
        if (*language) setenv("LANGUAGE", language, 1);
        setenv("LANG", lang, 1);
        UseWindowLanguage();
    }
    ~WindowLanguage() {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            if (m_saved[i])
                setenv(kNames[i], m_saved[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
        UseJapaneseTexts();
        wxTranslations::Set(nullptr);
    }

private:
    static constexpr const char* kNames[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> m_saved;
};

struct LanguageCase {
    const char* name;
    const char* language;  // LANGUAGE
    const char* lang;      // LANG
    const char* pairInputTitle;
    const char* cancel;
};

void PrintTo(const LanguageCase& c, std::ostream* os) { *os << c.name; }

class WindowLanguageTest : public ::testing::TestWithParam<LanguageCase> {};

// The captions of a dialog built after the language was chosen.
TEST_P(WindowLanguageTest, DialogShowsTheLanguagesCaptions) {
    const LanguageCase& c = GetParam();
    WindowLanguage language(c.language, c.lang);
    ResourceDialog dlg(kDirInputDialog);
    ASSERT_TRUE(dlg.Create(nullptr, false));
    EXPECT_EQ(U8(dlg.GetWindow()->GetTitle()), c.pairInputTitle);
    EXPECT_EQ(U8(dlg.Item<wxButton>(IDCANCEL)->GetLabel()), c.cancel);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, WindowLanguageTest,
    ::testing::Values(LanguageCase{"English", "", "en_US.UTF-8", "Zoruna [Directories]", "Cancel"},
                      LanguageCase{"German", "", "de_DE.UTF-8", "Zoruna [Directories]", "Cancel"},
                      LanguageCase{"Japanese", "", "ja_JP.UTF-8", "Zoruna［ﾃﾞｨﾚｸﾄﾘ入力］", "ｷｬﾝｾﾙ"},
                      LanguageCase{"C", "en", "C", "Zoruna［ﾃﾞｨﾚｸﾄﾘ入力］", "ｷｬﾝｾﾙ"},
                      LanguageCase{"JapaneseFirstInList", "ja:en", "en_US.UTF-8", "Zoruna［ﾃﾞｨﾚｸﾄﾘ入力］", "ｷｬﾝｾﾙ"}),
    [](const auto& info) { return std::string(info.param.name); });

// The width GTK asks for to show the whole control (wx's best size of a
// button adds the default button width on top).
int NaturalWidth(wxWindow* w) {
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_width(w->GetHandle(), &minimum, &natural);
    return natural;
}

struct LayoutCase {
    const char* name;
    const DialogTemplate* dialog;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

const LayoutCase kLayouts[] = {
    {"About", &kAboutDialog},          {"Main", &kDirCompareDialog},   {"PairList", &kDirListDialog},
    {"PairInput", &kDirInputDialog},   {"ConfirmCopy", &kConfirmCopyDialog}, {"Mask", &kMaskDialog},
    {"CopyProgress", &kCopyProgressDialog},
};

class DialogLayout : public ::testing::TestWithParam<LayoutCase> {};

// Every caption fits its control, and no two controls of one row overlap.
TEST_P(DialogLayout, EnglishCaptionsFitWithoutOverlap) {
    WindowLanguage language("", "en_US.UTF-8");
    ASSERT_STRNE(Text(TextId::CancelButton), "ｷｬﾝｾﾙ") << "no English catalog in the build folder";
    ResourceDialog dlg(*GetParam().dialog);
    ASSERT_TRUE(dlg.Create(nullptr, false));
    const wxSize client = dlg.GetWindow()->GetClientSize();
    std::vector<wxRect> rects;
    for (const ControlTemplate& c : GetParam().dialog->controls) {
        wxWindow* w = dlg.GetDlgItem(c.id);
        if (!w || c.id == IDC_STATIC) continue;
        rects.push_back(w->GetRect());
    }
    for (wxWindowList::compatibility_iterator node = dlg.GetWindow()->GetChildren().GetFirst(); node;
         node = node->GetNext()) {
        wxWindow* w = node->GetData();
        const wxRect r = w->GetRect();
        const std::string label = U8(w->GetLabel());
        const bool captioned =
            dynamic_cast<wxButton*>(w) || dynamic_cast<wxCheckBox*>(w) || dynamic_cast<wxStaticText*>(w);
        if (captioned && !label.empty()) {
            EXPECT_GE(r.width, NaturalWidth(w)) << "\"" << label << "\" is cut";
        }
        EXPECT_LE(r.GetRight(), client.x) << "\"" << label << "\" reaches beyond the dialog";
        EXPECT_GE(r.x, 0) << "\"" << label << "\" starts left of the dialog";
        for (wxWindowList::compatibility_iterator other = node->GetNext(); other; other = other->GetNext()) {
            const wxRect o = other->GetData()->GetRect();
            EXPECT_FALSE(r.Intersects(o)) << "\"" << label << "\" overlaps \"" << U8(other->GetData()->GetLabel())
                                          << "\"";
        }
    }
}

// Under Japanese every button stays where its layout puts it.
TEST_P(DialogLayout, JapaneseButtonsStayAsLaidOut) {
    WindowLanguage language("", "C");
    ResourceDialog dlg(*GetParam().dialog);
    ASSERT_TRUE(dlg.Create(nullptr, false));
    wxDialog* w = dlg.GetWindow();
    for (const ControlTemplate& c : GetParam().dialog->controls) {
        if (c.kind != ControlKind::PushButton && c.kind != ControlKind::DefPushButton) continue;
        wxWindow* button = dlg.GetDlgItem(c.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetRect(), wxRect(w->ConvertDialogToPixels(wxPoint(c.x, c.y)),
                                            w->ConvertDialogToPixels(wxSize(c.cx, c.cy))))
            << U8(button->GetLabel());
    }
}

// A translation that leaves a button's Japanese caption: that button moves
// aside for the grown one but keeps its layout's width.
TEST(PartialTranslation, UntranslatedButtonMovesAlongAtItsWidth) {
    ASSERT_EQ(UseTranslation([](std::string_view name, const char*) -> std::optional<std::string> {
                  if (name == "RegisterButton") return "&Register these directories";
                  return std::nullopt;
              }),
              1);
    ResourceDialog dlg(kDirListDialog);
    ASSERT_TRUE(dlg.Create(nullptr, false));
    wxDialog* w = dlg.GetWindow();
    const wxRect registerRect = dlg.GetDlgItem(IDOK)->GetRect();
    const wxRect deleteRect = dlg.GetDlgItem(IDC_DELETE)->GetRect();
    UseJapaneseTexts();
    EXPECT_GT(registerRect.width, w->ConvertDialogToPixels(wxSize(30, 0)).x);
    EXPECT_EQ(deleteRect.width, w->ConvertDialogToPixels(wxSize(30, 0)).x);
    EXPECT_GT(deleteRect.x, registerRect.GetRight()) << "the Japanese button was not moved aside";
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogLayout, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

struct RowCase {
    const char* name;
    std::vector<RowControl> row;  // x, width, need (0: not a button)
    std::vector<RowControl> fitted;
};

void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

class ButtonRow : public ::testing::TestWithParam<RowCase> {};

// Rows of a 200 pixel wide dialog.
TEST_P(ButtonRow, MakesRoomTowardsTheMiddle) {
    const std::vector<RowControl> fitted = FitButtonRow(GetParam().row, 200);
    ASSERT_EQ(fitted.size(), GetParam().fitted.size());
    for (std::size_t i = 0; i < fitted.size(); ++i) {
        EXPECT_EQ(fitted[i].x, GetParam().fitted[i].x) << "control " << i;
        EXPECT_EQ(fitted[i].width, GetParam().fitted[i].width) << "control " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ButtonRow,
    ::testing::Values(
        RowCase{"AllFit", {{10, 40, 30}, {150, 40, 40}}, {{10, 40, 30}, {150, 40, 40}}},
        RowCase{"LeftButtonsPushEachOtherRight", {{10, 40, 60}, {55, 40, 50}}, {{10, 60, 60}, {75, 50, 50}}},
        RowCase{"RightButtonsGrowLeft", {{110, 40, 50}, {155, 40, 45}}, {{95, 50, 50}, {150, 45, 45}}},
        RowCase{"SidesApart", {{10, 40, 50}, {150, 40, 70}}, {{10, 50, 50}, {120, 70, 70}}},
        RowCase{"EditGivesWayToTheButtonBesideIt", {{10, 140, 0}, {155, 40, 60}}, {{10, 120, 0}, {135, 60, 60}}},
        RowCase{"EditKeepsAQuarter", {{10, 40, 0}, {55, 140, 300}}, {{10, 10, 0}, {-105, 300, 300}}},
        RowCase{"UnorderedInput", {{155, 40, 45}, {110, 40, 50}}, {{150, 45, 45}, {95, 50, 50}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

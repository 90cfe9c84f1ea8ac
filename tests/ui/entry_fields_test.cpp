#include <gtest/gtest.h>

#include "window_harness.h"

namespace kovrel::uitest {
namespace {

// Profit and loss are normalised key by key, the caret staying behind the key typed (also
// after letters that take two bytes); the other fields keep what is typed.
TEST(EntryFieldsTest, AmountsAreNormalisedWhileTyped) {
    WindowHarness harness;  // income tax without a file: the new-enterprise fields are shown
    ui::FormMain* window = &harness.start(harness.copyExample("gelir"));
    const struct {
        wxTextCtrl* field;
        const char* before;
        long caret;
        const char* keys;
        const char* text;
        long after;
    } cases[] = {
        {window->txtKar, "", 0, "1234,56", "1234.56", 7},
        {window->txtZarar, "", 0, "1.500", "1500", 4},
        {window->txtKar, "", 0, "12.5,", "125.", 4},
        {window->txtZarar, "1234", 2, ",", "12.34", 3},
        {window->txtKar, "Şü12", 2, ",", "Şü.12", 3},
        {window->txtPayOrani, "", 0, "1.2,5", "1.2,5", 5},
        {window->txtKGV, "", 0, "1.2,5", "1.2,5", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " + " + c.keys);
        c.field->SetValue(wxString::FromUTF8(c.before));
        focusOn(c.field);
        c.field->SetInsertionPoint(c.caret);
        typeKeys(c.keys);
        EXPECT_EQ(c.field->GetValue().utf8_string(), c.text);
        EXPECT_EQ(c.field->GetInsertionPoint(), c.after);
    }
}

TEST(EntryFieldsTest, EnterMovesRoundTheCircleOfTheNewEnterpriseFields) {
    WindowHarness harness;
    ui::FormMain* window = &harness.start(harness.copyExample("gelir"));
    wxTextCtrl* circle[] = {window->txtUnvan, window->txtFaaliyetK, window->txtPayOrani,
                            window->txtKar,   window->txtZarar,     window->txtKGV,
                            window->txtUnvan};
    focusOn(circle[0]);
    for (std::size_t i = 1; i < std::size(circle); ++i) {
        pressKey(WXK_RETURN);
        EXPECT_EQ(wxWindow::FindFocus(), circle[i]) << "after Enter number " << i;
    }
    typeKeys("x");  // other keys reach the field
    EXPECT_EQ(window->txtUnvan->GetValue().Last(), 'x');
}

}  // namespace
}  // namespace kovrel::uitest

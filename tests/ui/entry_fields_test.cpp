#include <gtest/gtest.h>

#include "window_harness.h"

namespace kovrel::uitest {
namespace {

// A window showing the new-enterprise fields: income tax without a declaration yet.
class EntryFieldsTest : public testing::Test {
  protected:
    void SetUp() override {
        window = &harness.start(harness.copyExample("gelir"));
        ASSERT_FALSE(window->ended());
        ASSERT_TRUE(window->txtKar->IsShownOnScreen());
    }

    WindowHarness harness;
    ui::FormMain* window = nullptr;
};

TEST_F(EntryFieldsTest, AmountsTypedKeyByKeyAreNormalisedWithTheCaretBehindTheLastKey) {
    struct Typed {
        const char* keys;
        const char* text;
        long caret;
    };
    const Typed cases[] = {
        {"1234,56", "1234.56", 7}, {"12,5", "12.5", 4},  {"0,5", "0.5", 3},    {",5", ".5", 2},
        {"1.234", "1234", 4},      {"1,000", "1000", 4}, {"1.500", "1500", 4}, {"1.2.3", "12.3", 4},
        {"12.5,", "125.", 4},      {"ab,c", "ab.c", 4},
    };
    for (wxTextCtrl* field : {window->txtKar, window->txtZarar}) {
        for (const Typed& typed : cases) {
            SCOPED_TRACE(std::string(typed.keys) +
                         (field == window->txtKar ? " in Kar" : " in Zarar"));
            field->Clear();
            focusOn(field);
            typeKeys(typed.keys);
            EXPECT_EQ(field->GetValue().utf8_string(), typed.text);
            EXPECT_EQ(field->GetInsertionPoint(), typed.caret);
        }
    }
}

TEST_F(EntryFieldsTest, TypingInTheMiddleKeepsTheCaretBehindTheKeyTyped) {
    window->txtKar->SetValue("1234");
    focusOn(window->txtKar);
    window->txtKar->SetInsertionPoint(2);
    typeKeys(",");
    EXPECT_EQ(window->txtKar->GetValue(), "12.34");
    EXPECT_EQ(window->txtKar->GetInsertionPoint(), 3);
}

TEST_F(EntryFieldsTest, PastedAmountsAreNormalisedAndOnlyProfitAndLossAre) {
    struct Pasted {
        wxTextCtrl* field;
        const char* text;
        const char* shown;
    };
    const Pasted cases[] = {
        {window->txtKar, "1.234,56", "1234.56"},
        {window->txtZarar, "1,234", "1234"},
        {window->txtKar, "Ağaç", "Ağaç"},
        {window->txtZarar, "Şü,5", "Şü.5"},
        {window->txtPayOrani, "1.234,56", "1.234,56"},
        {window->txtKGV, "1,234", "1,234"},
    };
    for (const Pasted& pasted : cases) {
        SCOPED_TRACE(pasted.text);
        pasted.field->SetValue(wxString::FromUTF8(pasted.text));
        EXPECT_EQ(pasted.field->GetValue().utf8_string(), pasted.shown);
    }
}

TEST_F(EntryFieldsTest, EnterMovesRoundTheCircleOfTheNewEnterpriseFields) {
    wxTextCtrl* circle[] = {window->txtUnvan, window->txtFaaliyetK, window->txtPayOrani,
                            window->txtKar,   window->txtZarar,     window->txtKGV,
                            window->txtUnvan};
    focusOn(circle[0]);
    for (std::size_t i = 1; i < std::size(circle); ++i) {
        pressKey(WXK_RETURN);
        EXPECT_EQ(wxWindow::FindFocus(), circle[i]) << "after Enter number " << i;
    }
    // Other keys reach the field untouched.
    typeKeys("x");
    EXPECT_EQ(window->txtUnvan->GetValue().Last(), 'x');
}

TEST_F(EntryFieldsTest, HiddenFieldsKeepWhatWasTyped) {
    harness.convert(window->infoFilePath(), conversion::Mode::CreateNew, "A");
    window->selectDrive(0);  // now the file lists "A"
    window->selectOption(0);
    window->txtPayOrani->SetValue("25");
    window->selectEnterprise(2);
    ASSERT_FALSE(window->fraNew->IsShown());
    window->selectEnterprise(0);
    EXPECT_TRUE(window->txtPayOrani->IsShownOnScreen());
    EXPECT_EQ(window->txtPayOrani->GetValue(), "25");
}

}  // namespace
}  // namespace kovrel::uitest

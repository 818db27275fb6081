// The text entry field and its formatter.
#include "BackendTestSupport.h"
#include "CocoaFormatter.h"
#include "IParam.h"

namespace {

TEST(CocoaFormatter, EachKindTakesOnlyItsCharactersUpToItsLength)
{
    const struct {
        int type;
        int maxLength;
        std::string text;
        bool valid;
    } cases[] = {
        {IParam::kTypeInt, 16, "1.", false},  // an int field refuses the period
        {IParam::kTypeInt, 16, "+-0123456789", true},
        {IParam::kTypeBool, 16, "a", false},
        {IParam::kTypeDouble, 16, "-1.5", true},
        {IParam::kTypeNone, 16, "1", false},
        {IParam::kTypeText, 16, "ABCDEFGHIJKLMNOP", true},
        {IParam::kTypeText, 16, "ABCDEFGHIJKLMNOPQ", false},
        {IParam::kTypeText, 0, std::string(40, 'a'), true},
        {IParam::kTypeText, 0, "Pad 1! \"#$%&/'+-*()[],.", true},
        {IParam::kTypeText, 0, "a:b", false},
        {IParam::kTypeText, 0, "a_b", false},
        {IParam::kTypeText, 0, "\xC3\xA9", false},  // é
    };
    for (const auto& c : cases) {
        CocoaFormatter_vZelto2X_64_au formatter;
        formatter.setAcceptableCharacterSet(CocoaFormatter_vZelto2X_64_au::CharactersForParamType(c.type));
        formatter.setMaximumLength(c.maxLength);
        EXPECT_EQ(c.valid, formatter.isPartialStringValid(c.text)) << c.type << " " << c.text;
    }
}

class TextEntryTest : public OpenViewTest {
protected:
    void SetUp() override
    {
        OpenViewTest::SetUp();
        param.InitInt("Cutoff", 0, -100, 100);
    }
    void openField(const char* text, IParam* withParam)
    {
        graphics->CreateTextEntry(control, control->GetText(), &fieldRect, text, withParam);
    }
    IRECT fieldRect{10, 20, 60, 36};
    IParam param;
};

TEST_F(TextEntryTest, FieldSitsOnTheConvertedRectWithMonacoAtNineTenthsOfTheSize)
{
    IText text(12);
    text.mAlign = IText::kAlignFar;
    graphics->CreateTextEntry(control, &text, &fieldRect, "42", &param);
    const platform::ViewRect& field = window()->TextFieldRect();
    EXPECT_EQ((std::vector<double> {10, kHeight - 1 - 36, 51, 17}),  // y upward, one pixel larger
              (std::vector<double> {field.x, field.y, field.w, field.h}));
    const platform::TextFieldStyle& style = window()->TextFieldStyleUsed();
    EXPECT_TRUE(style.fontName == "Monaco" && style.fontSize == 10 && style.alignment == platform::TextAlignment::Right)
        << style.fontName << " " << style.fontSize;
    EXPECT_EQ("42", window()->TextFieldText());
    openField("2", nullptr);  // a second request while open is ignored
    EXPECT_EQ("42", window()->TextFieldText());
}

TEST_F(TextEntryTest, ReturnOrALeftClickCommitsTheValueBeforeTheClickArrivesAndWithoutParameterAnyText)
{
    openField("", &param);
    window()->InjectText("50");
    window()->InjectReturn();
    EXPECT_FALSE(window()->HasTextField());
    EXPECT_DOUBLE_EQ(param.GetNormalized(50.0), control->GetValue());

    openField("", &param);
    window()->InjectText("-50");
    window()->InjectMouse(mouse(platform::MouseEventKind::Down, 150, 300));
    EXPECT_FALSE(window()->HasTextField());
    EXPECT_DOUBLE_EQ(param.GetNormalized(-50.0), control->GetValue());
    EXPECT_EQ(1u, control->events.size());

    openField("", nullptr);  // without a parameter any text goes to the control
    window()->InjectText("My_Patch: 1");
    window()->InjectReturn();
    EXPECT_EQ("My_Patch: 1", control->enteredText);
}

TEST_F(TextEntryTest, WheelClosesTheFieldWithoutTakingItsTextThenScrolls)
{
    openField("", &param);
    window()->InjectText("77");
    window()->InjectMouse(mouse(platform::MouseEventKind::Dragged, 50, 50));
    EXPECT_TRUE(control->events.empty());  // drags wait while the field is open
    window()->InjectMouse(wheel(50, 50, 1));
    EXPECT_EQ(std::tuple(false, 0.0, std::vector<int> {1}),
              std::tuple(window()->HasTextField(), control->GetValue(), control->wheelSteps));
}

}  // namespace

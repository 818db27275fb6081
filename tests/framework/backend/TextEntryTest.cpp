// The text entry field and its formatter.
#include "BackendTestSupport.h"
#include "CocoaFormatter.h"
#include "IParam.h"

namespace {

CocoaFormatter_vZelto2X_64_au formatterFor(int type, int maxLength = 16)
{
    CocoaFormatter_vZelto2X_64_au formatter;
    formatter.setAcceptableCharacterSet(CocoaFormatter_vZelto2X_64_au::CharactersForParamType(type));
    formatter.setMaximumLength(maxLength);
    return formatter;
}

TEST(CocoaFormatter, IntFieldRefusesPeriodAndTakesSignedDigits)
{
    const CocoaFormatter_vZelto2X_64_au formatter = formatterFor(IParam::kTypeInt);
    EXPECT_FALSE(formatter.isPartialStringValid("1."));
    EXPECT_TRUE(formatter.isPartialStringValid("-15"));
    EXPECT_TRUE(formatter.isPartialStringValid("+0123456789"));
    EXPECT_FALSE(formatterFor(IParam::kTypeBool).isPartialStringValid("a"));
    EXPECT_TRUE(formatterFor(IParam::kTypeDouble).isPartialStringValid("-1.5"));
}

TEST(CocoaFormatter, SixteenCharactersAtMost)
{
    const CocoaFormatter_vZelto2X_64_au formatter = formatterFor(IParam::kTypeText);
    EXPECT_TRUE(formatter.isPartialStringValid("ABCDEFGHIJKLMNOP"));
    EXPECT_FALSE(formatter.isPartialStringValid("ABCDEFGHIJKLMNOPQ"));
    EXPECT_TRUE(formatterFor(IParam::kTypeText, 0).isPartialStringValid(std::string(40, 'a')));
}

TEST(CocoaFormatter, TextFieldTakesItsPunctuationOnly)
{
    const CocoaFormatter_vZelto2X_64_au formatter = formatterFor(IParam::kTypeText, 0);
    EXPECT_TRUE(formatter.isPartialStringValid("Pad 1! \"#$%&/'+-*()[],."));
    EXPECT_FALSE(formatter.isPartialStringValid("a:b"));
    EXPECT_FALSE(formatter.isPartialStringValid("a_b"));
    EXPECT_FALSE(formatter.isPartialStringValid("\xC3\xA9"));  // é
}

TEST(CocoaFormatter, KindNoneRefusesEveryCharacterAndNoSetTakesAll)
{
    EXPECT_FALSE(formatterFor(IParam::kTypeNone).isPartialStringValid("1"));
    CocoaFormatter_vZelto2X_64_au any;
    EXPECT_TRUE(any.isPartialStringValid("_:;\xC3\xA9"));
    any.setMaximumValue(100);
    EXPECT_TRUE(any.isPartialStringValid("100"));
    EXPECT_FALSE(any.isPartialStringValid("101"));
}

class TextEntryTest : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        control = attach(IRECT(0, 0, kWidth, kHeight));
        param.InitInt("Cutoff", 0, -100, 100);
        openView();
    }
    RecordingControl* control = nullptr;
    IParam param;
};

TEST_F(TextEntryTest, TypingOnePeriodFiveIntoAnIntFieldLeavesFifteen)
{
    IRECT r(10, 20, 60, 36);
    graphics->CreateTextEntry(control, control->GetText(), &r, "", &param);
    ASSERT_TRUE(window()->HasTextField());
    window()->InjectText("1.5");
    EXPECT_EQ("15", window()->TextFieldText());
}

TEST_F(TextEntryTest, FieldSitsOnTheConvertedRectWithMonacoAtNineTenthsOfTheSize)
{
    IText text(12);
    text.mAlign = IText::kAlignFar;
    IRECT r(10, 20, 60, 36);
    graphics->CreateTextEntry(control, &text, &r, "42", &param);
    const platform::ViewRect& field = window()->TextFieldRect();
    EXPECT_EQ(10, field.x);
    EXPECT_EQ(kHeight - 1 - 36, field.y);
    EXPECT_EQ(51, field.w);
    EXPECT_EQ(17, field.h);
    EXPECT_EQ("Monaco", window()->TextFieldStyleUsed().fontName);
    EXPECT_EQ(10, window()->TextFieldStyleUsed().fontSize);
    EXPECT_EQ(platform::TextAlignment::Right, window()->TextFieldStyleUsed().alignment);
    EXPECT_EQ("42", window()->TextFieldText());
}

TEST_F(TextEntryTest, ReturnCommitsTheValueAndClosesTheField)
{
    IRECT r(10, 20, 60, 36);
    graphics->CreateTextEntry(control, control->GetText(), &r, "", &param);
    window()->InjectText("50");
    window()->InjectReturn();
    EXPECT_FALSE(window()->HasTextField());
    EXPECT_DOUBLE_EQ(param.GetNormalized(50.0), control->GetValue());
}

TEST_F(TextEntryTest, LeftClickInTheViewCommitsTheFieldBeforeTheClickArrives)
{
    IRECT r(10, 20, 60, 36);
    graphics->CreateTextEntry(control, control->GetText(), &r, "", &param);
    window()->InjectText("50");
    window()->InjectMouse(mouse(platform::MouseEventKind::Down, 150, 300));
    EXPECT_FALSE(window()->HasTextField());
    EXPECT_DOUBLE_EQ(param.GetNormalized(50.0), control->GetValue());
    EXPECT_EQ(1u, control->events.size());
}

TEST_F(TextEntryTest, FieldWithoutParameterTakesAnyTextAndHandsItToTheControl)
{
    IRECT r(10, 20, 60, 36);
    graphics->CreateTextEntry(control, control->GetText(), &r, "", nullptr);
    window()->InjectText("My_Patch: 1");
    window()->InjectReturn();
    EXPECT_EQ("My_Patch: 1", control->enteredText);
}

TEST_F(TextEntryTest, SecondRequestWhileOpenIsIgnored)
{
    IRECT r(10, 20, 60, 36);
    graphics->CreateTextEntry(control, control->GetText(), &r, "1", &param);
    graphics->CreateTextEntry(control, control->GetText(), &r, "2", nullptr);
    EXPECT_EQ("1", window()->TextFieldText());
    graphics->CreateTextEntry(nullptr, control->GetText(), &r, "3", &param);
    EXPECT_EQ("1", window()->TextFieldText());
}

TEST_F(TextEntryTest, WheelClosesTheFieldWithoutTakingItsTextThenScrolls)
{
    IRECT r(10, 20, 60, 36);
    graphics->CreateTextEntry(control, control->GetText(), &r, "", &param);
    window()->InjectText("77");
    window()->InjectMouse(mouse(platform::MouseEventKind::Dragged, 50, 50));
    EXPECT_TRUE(control->events.empty());  // drags wait while the field is open
    platform::MouseEvent wheel = mouse(platform::MouseEventKind::Wheel, 50, 50);
    wheel.deltaY = 1;
    window()->InjectMouse(wheel);
    EXPECT_FALSE(window()->HasTextField());
    EXPECT_EQ(0.0, control->GetValue());
    EXPECT_EQ((std::vector<int>{1}), control->wheelSteps);
}

}  // namespace

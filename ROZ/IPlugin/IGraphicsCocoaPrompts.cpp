// The view's prompts: the text entry field and popup menus.
#include "CocoaFormatter.h"
#include "IControl.h"
#include "IGraphicsCocoa.h"
#include "IGraphicsMac.h"
#include "IGraphicsNSMenu.h"
#include "IParam.h"
#include "IPopupMenu.h"

namespace {

const char kEntryFont[] = "Monaco";

void toUnitColor(const IColor& c, float out[4])
{
    out[0] = c.R / 255.0f;
    out[1] = c.G / 255.0f;
    out[2] = c.B / 255.0f;
    out[3] = c.A / 255.0f;
}

platform::TextFieldStyle entryStyleFor(const IText* text)
{
    platform::TextFieldStyle style;
    style.fontName = kEntryFont;
    style.fontSize = text ? static_cast<int>(text->mSize * 0.9) : 10;
    const int align = text ? text->mAlign : IText::kAlignNear;
    style.alignment = align == IText::kAlignCenter ? platform::TextAlignment::Center
                      : align == IText::kAlignFar  ? platform::TextAlignment::Right
                                                   : platform::TextAlignment::Left;
    toUnitColor(text ? text->mTextEntryFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR, style.foreground);
    toUnitColor(text ? text->mTextEntryBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR, style.background);
    return style;
}

}  // namespace

// ---- Text entry

void IGraphicsCocoa_vZelto2X_64_au::createTextEntry(IControl* control, IParam* param, IText* text,
                                                    const platform::ViewRect& rect, const char* str)
{
    if (!control || mTextFieldView || !mWindow)
        return;
    std::unique_ptr<CocoaFormatter_vZelto2X_64_au> formatter;
    if (param) {
        formatter = std::make_unique<CocoaFormatter_vZelto2X_64_au>();
        formatter->setAcceptableCharacterSet(CocoaFormatter_vZelto2X_64_au::CharactersForParamType(param->Type()));
        formatter->setMaximumLength(control->GetTextEntryLength());
    }
    mFormatter = std::move(formatter);
    if (!mWindow->OpenTextField(rect, entryStyleFor(text), str ? str : "", this)) {
        mFormatter.reset();
        return;
    }
    mTextFieldView = true;
    mWindow->MakeKeyAndOrderFront();
    mEdParam = param;
    mEdControl = control;
}

bool IGraphicsCocoa_vZelto2X_64_au::IsPartialStringValid(const std::string& text)
{
    return !mFormatter || mFormatter->isPartialStringValid(text);
}

void IGraphicsCocoa_vZelto2X_64_au::controlTextDidEndEditing(const std::string& text)
{
    if (!mTextFieldView)
        return;
    if (mGraphics && mEdControl) {
        if (mEdParam)
            mGraphics->SetFromStringAfterPrompt(mEdControl, mEdParam, text.c_str());
        else
            mEdControl->TextFromTextEntry(text.c_str());
    }
    endUserInput();
    if (mWindow)
        mWindow->SetNeedsDisplayInRect(platform::ViewRect{0, 0, double(mWindow->Width()), double(mWindow->Height())});
}

void IGraphicsCocoa_vZelto2X_64_au::closeTextField()
{
    if (mTextFieldView && mWindow)
        mWindow->CloseTextField();
    mTextFieldView = false;
    mFormatter.reset();
    mEdControl = nullptr;
    mEdParam = nullptr;
}

void IGraphicsCocoa_vZelto2X_64_au::endUserInput()
{
    const bool wasOpen = mTextFieldView;
    closeTextField();
    if (wasOpen && mWindow)
        mWindow->SetArrowCursor();
}

// ---- Popup menus

IPopupMenu* IGraphicsCocoa_vZelto2X_64_au::createIPopupMenu(IPopupMenu* menu, const platform::ViewRect& rect)
{
    if (!menu || !mWindow)
        return nullptr;
    IGraphicsMenuRcvr_vZelto2X_64_au receiver(rect);
    IGraphicsNSMenu_vZelto2X_64_au nativeMenu;
    nativeMenu.initWithIPopupMenuAndReciever(menu, &receiver);
    platform::MenuChoice choice;
    if (mWindow->PopUpContextMenu(nativeMenu, rect, &choice))
        receiver.OnMenuSelection(choice);
    const platform::MenuChoice* chosen = receiver.MenuItem();
    if (!chosen)
        return nullptr;
    const auto* holder = dynamic_cast<const IGraphicsNSMenu_vZelto2X_64_au*>(chosen->menu);
    IPopupMenu* result = holder ? holder->AssociatedIPopupMenu() : nullptr;
    if (!result || chosen->index < 0)
        return nullptr;
    result->SetChosenItemIdx(chosen->index);
    return result;
}

#include "PromptTextControl.h"

#include "IGraphics.h"
#include "IParam.h"

PromptTextControl::PromptTextControl(IPluginBase* plug, IRECT rect, int paramIdx, IText* text,
    const std::string& prompt)
    : ICaptionControl(plug, rect, paramIdx, text, true), m_prompt(prompt)
{
}

void PromptTextControl::OnMouseDown(int, int, IMouseMod* mod)
{
    if (mod && (mod->L || mod->R))
        openEntry();
}

void PromptTextControl::OnMouseDblClick(int, int, IMouseMod*)
{
    openEntry();
}

void PromptTextControl::openEntry()
{
    IParam* param = GetParam();
    IGraphics* graphics = GetGUI();
    if (IsGrayed() || GetPromptDisabled() || !param || !graphics)
        return;
    // The entered text travels in display text 0 (IGraphics::SetFromStringAfterPrompt).
    std::string text = param->GetDisplayText(0);
    if (text == m_prompt)
        text.clear();
    graphics->CreateTextEntry(this, GetText(), &mRECT, text.c_str(), param);
}

#pragma once
// A text field that shows a prompt ("search...") while it holds no text of
// its own: a click opens the entry empty, so the prompt is never typed over
// nor handed back as if the user had entered it.
//
// Threads: mouse on the main thread; drawing as ICaptionControl.

#include <string>

#include "IControl.h"

class PromptTextControl : public ICaptionControl {
public:
    PromptTextControl(IPluginBase* plug, IRECT rect, int paramIdx, IText* text, const std::string& prompt);

    // ---- IControl ----
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;

private:
    void openEntry();

    std::string m_prompt;
};

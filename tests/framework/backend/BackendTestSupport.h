#pragma once
// A back-end surface on the headless window system, and a control that
// remembers what reached it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "IControl.h"
#include "IGraphicsCocoa.h"
#include "IGraphicsMac.h"
#include "platform/HeadlessWindowSystem.h"
#include "ViewEventMakers.h"

class RecordingControl : public IControl {
public:
    struct Event { std::string kind; int x, y; IMouseMod mod; };
    RecordingControl(IRECT r, const IColor& colour = COLOR_RED) : IControl(nullptr, r), mColour(colour) {}

    bool Draw(IGraphics* graphics) override { return graphics->FillIRect(&mColour, GetRECT()); }
    void OnMouseDown(int x, int y, IMouseMod* mod) override { events.push_back({"down", x, y, *mod}); }
    void OnMouseUp(int x, int y, IMouseMod* mod) override { events.push_back({"up", x, y, *mod}); }
    void OnMouseDrag(int x, int y, int, int, IMouseMod* mod) override { events.push_back({"drag", x, y, *mod}); }
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override { events.push_back({"double", x, y, *mod}); }
    void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override
    {
        events.push_back({"wheel", x, y, *mod});
        wheelSteps.push_back(d);
    }
    bool OnKeyDown(int, int, int key) override
    {
        keys.push_back(key);
        return acceptKeys;
    }
    bool IsDirty() override
    {
        ++dirtyQueries;
        return IControl::IsDirty();
    }
    void TextFromTextEntry(const char* text) override { enteredText = text; }
    void SetColour(const IColor& colour) { mColour = colour; }

    std::vector<Event> events;
    std::vector<int> wheelSteps;
    std::vector<int> keys;
    bool acceptKeys = true;
    int dirtyQueries = 0;
    std::string enteredText;

private:
    IColor mColour;
};

class BackendTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 757;

    void SetUp() override
    {
        auto system = std::make_unique<platform::HeadlessWindowSystem>();
        headless = system.get();
        platform::WindowSystem::SetShared(std::move(system));
        graphics = std::make_unique<IGraphicsMac>(nullptr, kWidth, kHeight);
        graphics->PrepDraw();
    }
    void TearDown() override
    {
        graphics.reset();
        platform::WindowSystem::SetShared(nullptr);
    }

    // Opens the view and draws its first frame.
    void openView()
    {
        graphics->OpenWindow(nullptr);
        headless->ProcessEvents(0);
    }
    platform::HeadlessWindow* window() const
    {
        return static_cast<platform::HeadlessWindow*>(headless->FrontWindow());
    }
    RecordingControl* attach(IRECT r, const IColor& colour = COLOR_RED)
    {
        auto* control = new RecordingControl(r, colour);
        graphics->AttachControl(control);
        return control;
    }

    platform::HeadlessWindowSystem* headless = nullptr;
    std::unique_ptr<IGraphicsMac> graphics;
};

// An open view whose whole surface is one recording control.
class OpenViewTest : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        control = attach(IRECT(0, 0, kWidth, kHeight));
        openView();
    }
    RecordingControl* control = nullptr;
};

// The GTK window translates what the user does into the events a Mac view
// gets: key characters as typed with shift, the command key, double clicks,
// wheel steps, and a text field whose formatter refuses characters. The GTK
// window system belongs to the thread that opened the display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ViewEventMakers.h"
#include "platform/GtkWindowSystem.h"

namespace {

using platform::KeyEvent;
using platform::MouseEvent;
using platform::MouseEventKind;

class RecordingView : public platform::WindowClient, public platform::TextFieldClient {
public:
    void DrawRect(const platform::ViewRect&) override {}
    void HandleMouse(const MouseEvent& event) override { mice.push_back(event); }
    bool HandleKeyDown(const KeyEvent& event) override
    {
        keys.push_back(event);
        return true;
    }
    void WindowShouldClose() override {}
    bool IsPartialStringValid(const std::string& text) override { return text.find('.') == std::string::npos; }
    void TextDidEndEditing(const std::string& text) override { committed.push_back(text); }

    std::vector<MouseEvent> mice;
    std::vector<KeyEvent> keys;
    std::vector<std::string> committed;
};

class GtkWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        system = platform::MakeGtkWindowSystem();
        ASSERT_NE(nullptr, system);
        window = system->MakeWindow(200, 100, "test", &view, 0);
        ASSERT_NE(nullptr, window);
        system->ProcessEvents(50);
    }
    RecordingView view;
    std::unique_ptr<platform::WindowSystem> system;
    std::unique_ptr<platform::NativeWindow> window;
};

TEST_F(GtkWindowTest, KeysAndClicksArriveAsTheViewExpectsThem)
{
    window->InjectKey(key(platform::kKeyCodeNone, "!"));
    window->InjectKey(key(platform::kKeyCodeLeftArrow, ""));
    ASSERT_EQ(2u, view.keys.size());
    EXPECT_EQ(platform::kKeyCodeLeftArrow, view.keys[1].keyCode);
    EXPECT_EQ("! \xEF\x9C\x82", view.keys[0].characters + " " + view.keys[1].characters);  // "!", not "1": as shifted

    window->InjectMouse(mouse(MouseEventKind::Down, 10, 30, 1, platform::ModifierKeys {false, false, false, true}));
    window->InjectMouse(mouse(MouseEventKind::Up, 10, 30));
    window->InjectMouse(mouse(MouseEventKind::Down, 10, 30, 2));
    window->InjectMouse(wheel(10, 30, -1));
    ASSERT_EQ(4u, view.mice.size());
    EXPECT_EQ((std::vector<double> {1, 1, 10, 30, 2, -1}),
              (std::vector<double> {double(view.mice[0].mods.command), double(view.mice[0].clickCount), view.mice[0].x,
                                    view.mice[0].y, double(view.mice[2].clickCount), view.mice[3].deltaY}));
    EXPECT_TRUE(view.mice[1].kind == MouseEventKind::Up && view.mice[3].kind == MouseEventKind::Wheel);
}

TEST_F(GtkWindowTest, TextFieldRefusesWhatTheFormatterRefusesAndReturnOrAClickCommits)
{
    platform::TextFieldStyle style;
    style.fontName = "Monaco";
    ASSERT_TRUE(window->OpenTextField(platform::ViewRect{10, 10, 80, 20}, style, "", &view));
    window->InjectText("1.5");
    window->InjectReturn();
    window->CloseTextField();
    EXPECT_FALSE(window->HasTextField());
    window->InjectKey(key(platform::kKeyCodeNone, "z"));  // the view has the keys again
    ASSERT_FALSE(view.keys.empty());
    EXPECT_EQ("z", view.keys.back().characters);

    ASSERT_TRUE(window->OpenTextField(platform::ViewRect{10, 10, 80, 20}, style, "42", &view));
    window->InjectKey(key(platform::kKeyCodeNone, "."));  // the field opens with its text selected
    window->InjectMouse(mouse(MouseEventKind::Down, 150, 80));
    window->CloseTextField();

    ASSERT_TRUE(window->OpenTextField(platform::ViewRect{10, 10, 80, 20}, style, "", &view));
    for (const char* typed : {"1", "2"})  // each key adds to what was typed before it
        window->InjectKey(key(platform::kKeyCodeNone, typed));
    window->InjectReturn();
    window->CloseTextField();
    EXPECT_EQ((std::vector<std::string>{"15", "42", "12"}), view.committed);
}

// Records each command with the field's text at that moment; a close ends the run.
class DialogOwner : public platform::DialogClient {
public:
    void DialogCommand(int id) override
    {
        commands.push_back(id);
        texts.push_back(dialog->ItemText(5));
        if (id == platform::kDialogCommandClose)
            dialog->EndModal();
    }
    platform::NativeDialog* dialog = nullptr;
    std::vector<int> commands;
    std::vector<std::string> texts;
};

TEST_F(GtkWindowTest, DialogButtonReturnAndCloseBoxReachTheOwnerUntilItEndsTheRun)
{
    platform::DialogRequest request;
    request.title = "Name";
    request.width = 200;
    request.height = 90;
    request.items = {{platform::DialogItemKind::Edit, "Bank 1", 5, 10, 10, 180, 26},
                     {platform::DialogItemKind::Button, "&OK  ", 9, 100, 50, 80, 30}};
    DialogOwner owner;
    std::unique_ptr<platform::NativeDialog> dialog = system->MakeDialog(request, &owner);
    ASSERT_NE(nullptr, dialog);
    owner.dialog = dialog.get();
    dialog->SetFrame(40, 30, 200, 90);
    for (const char* answer : {"OK", "return", "close"})
        system->QueueDialogAnswer(answer);
    dialog->RunModal();
    EXPECT_EQ((std::vector<int>{9, platform::kDialogCommandReturn, platform::kDialogCommandClose}), owner.commands);
    EXPECT_EQ((std::vector<std::string>{"Bank 1", "Bank 1", "Bank 1"}), owner.texts);
}

TEST_F(GtkWindowTest, OtherThreadsAreRefusedWithoutTouchingGtk)
{
    platform::AlertResponse alert = platform::AlertResponse::Default;
    bool panel = true, cursor = true, windowMade = true, dialogMade = true;
    std::thread worker([&] {
        // Shown from here, the alert would wait for a click that never comes.
        alert = system->RunAlert(platform::AlertRequest{"Question", "Shown from a worker?", "", "", ""});
        std::string path;
        panel = system->RunFilePanel(platform::FilePanelRequest{}, &path);
        cursor = system->HideCursor();
        windowMade = system->MakeWindow(100, 100, "worker", nullptr, 0) != nullptr;
        DialogOwner owner;
        dialogMade = system->MakeDialog(platform::DialogRequest{}, &owner) != nullptr;
        system->ProcessEvents(10);
    });
    worker.join();
    EXPECT_EQ(platform::AlertResponse::None, alert);
    EXPECT_FALSE(panel || cursor || windowMade || dialogMade);
}

}  // namespace

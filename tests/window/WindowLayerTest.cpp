// The window-system layer: memory drawing contexts, fonts and modal dialogs.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "dovor/dovor.h"
#include "platform/HeadlessWindowSystem.h"

namespace {

// Row padding is the raster library's bitmaps' to check.
TEST(MemoryDC, ContextsStartZeroedKeepTheirPixelsAtTheSameSizeAndEmptyOnesHaveNone)
{
    HDC dc = DOVOR_CreateMemoryDC(5, 3);
    ASSERT_NE(dc, nullptr);
    DOVOR_BitmapContext* context = dc->bitmapContext;
    for (int i = 0; i < 8 * 3; ++i)
        ASSERT_EQ(context->pixels[i], 0u);
    context->pixels[0] = 7;
    EXPECT_TRUE(DOVOR_ResizeMemoryDC(dc, 5, 3));
    EXPECT_EQ(context->pixels[0], 7u);  // same size keeps the pixels
    EXPECT_TRUE(DOVOR_ResizeMemoryDC(dc, 0, -4));
    EXPECT_EQ(context->pixels, nullptr);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(nullptr) || DOVOR_ResizeMemoryDC(nullptr, 1, 1));
}

TEST(Fonts, CellHeightIsTheRequestedOneAndAMissingCharacterRendersNothing)
{
    HGDIOBJ font = CreateFont(20, 0, 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Lucida Grande");
    ASSERT_NE(font, nullptr);
    DOVOR_FontMetrics metrics;
    ASSERT_TRUE(DOVOR_GetFontMetrics(font, &metrics));
    EXPECT_EQ(std::pair(20, 20), std::pair(metrics.lineHeight, metrics.ascent + metrics.descent));
    DOVOR_Glyph glyph;
    ASSERT_TRUE(DOVOR_RenderGlyph(font, 'A', &glyph));
    EXPECT_GT(glyph.advanceX64, 0);
    EXPECT_EQ(glyph.coverage.size(), size_t(glyph.width * glyph.height));
    EXPECT_FALSE(DOVOR_RenderGlyph(font, 0x4E00, &glyph));
    EXPECT_EQ(std::pair(0, true), std::pair(int(glyph.advanceX64), glyph.coverage.empty()));
    EXPECT_FALSE(DOVOR_RenderGlyph(nullptr, 'A', &glyph) || DOVOR_GetFontMetrics(nullptr, &metrics));
    EXPECT_TRUE(DeleteObject(font));
}

// A procedure that records what it gets and does what the dialog's user data says.
struct ProcScript {
    bool endOnInit = false;
    bool handleClose = false;
    std::vector<UINT> messages;
};

INT_PTR scriptedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    static ProcScript* script = nullptr;
    if (message == WM_INITDIALOG)
        script = reinterpret_cast<ProcScript*>(lParam);
    script->messages.push_back(message == WM_COMMAND ? 1000 + static_cast<UINT>(LOWORD(wParam)) : message);
    if (message == WM_INITDIALOG && script->endOnInit)
        EndDialog(hwnd, 7);
    return script->handleClose ? 1 : 0;
}

void addButton(HWND dialog) { DOVOR_AddDialogItem(dialog, DOVOR_DialogItemClass::Button, "&Go  ", 40, 0, 0, 9, 9); }

TEST(Dialogs, ARunEndsByItsProcedureByAnUnhandledCloseOrWhenNobodyIsLeftToAnswer)
{
    auto* headless = new platform::HeadlessWindowSystem;
    platform::WindowSystem::SetShared(std::unique_ptr<platform::WindowSystem>(headless));
    DOVOR_DialogResourceIndex templ{77, "T", 50, 20, addButton, nullptr};
    const struct {
        bool endOnInit, handleClose;
        const char* answers[2];
        INT_PTR result;
        std::vector<UINT> messages;
        size_t shown;
    } cases[] = {
        {true, false, {}, 7, {WM_INITDIALOG}, 0},
        {false, false, {"Go", "close"}, IDCANCEL, {WM_INITDIALOG, 1040, 1002}, 1},
        {false, false, {"return", "nothing"}, IDCANCEL, {WM_INITDIALOG, 1001, 1002}, 1},
        {false, true, {"40"}, 0, {WM_INITDIALOG, 1040, 1002}, 1},
    };
    for (const auto& c : cases) {
        ProcScript script{c.endOnInit, c.handleClose, {}};
        for (const char* answer : c.answers)
            if (answer)
                headless->QueueDialogAnswer(answer);
        headless->shownDialogs.clear();
        EXPECT_EQ(DOVOR_DialogBox(&templ, 77, nullptr, scriptedProc, reinterpret_cast<LPARAM>(&script)), c.result);
        EXPECT_EQ(script.messages, c.messages);
        EXPECT_EQ(headless->shownDialogs.size(), c.shown);
    }
    EXPECT_EQ(DOVOR_DialogBox(&templ, 78, nullptr, scriptedProc, 0), -1);
    EXPECT_EQ(DOVOR_DialogBox(&templ, 77, nullptr, nullptr, 0), -1);
    platform::WindowSystem::SetShared(nullptr);
}

TEST(Dialogs, SetWindowPosKeepsWhatItsFlagsSayAndCenteringNeedsAParent)
{
    HWND parent = DOVOR_CreateWindow(nullptr, 10, 20, 100, 51);
    HWND child = DOVOR_CreateWindow(parent, 0, 0, 31, 10);
    RECT r;
    const auto rectOf = [&r](HWND window) {
        EXPECT_TRUE(GetWindowRect(window, &r));
        return std::vector<int> {r.left, r.top, r.right, r.bottom};
    };
    SetWindowPos(child, nullptr, 5, 6, 70, 80, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(rectOf(child), (std::vector<int>{5, 6, 36, 16}));
    SetWindowPos(child, nullptr, 0, 0, 70, 80, SWP_NOMOVE);
    CenterWindow(child);  // 10 + 50 - 35, 20 + 25 - 40
    EXPECT_EQ(rectOf(child), (std::vector<int>{25, 5, 95, 85}));
    CenterWindow(parent);
    EXPECT_EQ(rectOf(parent), (std::vector<int>{10, 20, 110, 71}));
    EXPECT_FALSE(GetWindowRect(nullptr, &r));
    EXPECT_TRUE(DestroyWindow(child) && DestroyWindow(parent));
}

}  // namespace

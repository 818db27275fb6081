// The view inside a window the test made on the X server, and the child
// window over a host's window, read back from the X server: the window tree,
// geometry, borders and stacking.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "IControl.h"
#include "IGraphicsMac.h"

// After our headers: Xlib defines names such as None as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 100;

void* asParent(Window window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

// The whole surface in red, so the X server shows where the view is.
class RedFill : public IControl {
public:
    RedFill() : IControl(nullptr, IRECT(0, 0, kWidth, kHeight)) {}
    bool Draw(IGraphics* graphics) override { return graphics->FillIRect(&COLOR_RED, GetRECT()); }
};

class ViewEmbedding : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        ASSERT_STREQ("gtk", platform::WindowSystem::Shared().Name());
        display = XOpenDisplay(nullptr);
        ASSERT_NE(nullptr, display);
        graphics = std::make_unique<IGraphicsMac>(nullptr, kWidth, kHeight);
        graphics->AttachControl(new RedFill());
        graphics->PrepDraw();
    }
    void TearDown() override
    {
        graphics.reset();
        if (display)
            XCloseDisplay(display);
    }

    Window makeWindow(int x, int y, int width, int height)
    {
        const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, width, height, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }
    std::vector<Window> childrenOf(Window window)
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        std::vector<Window> list;
        if (XQueryTree(display, window, &root, &parent, &children, &count)) {
            list.assign(children, children + count);  // bottom of the stack first
            XFree(children);
        }
        return list;
    }
    // x, y (from the parent's corner), width, height, viewable
    std::vector<int> geometryOf(Window window)
    {
        XWindowAttributes a {};
        if (!XGetWindowAttributes(display, window, &a))
            return {};
        return {a.x, a.y, a.width, a.height, a.map_state == IsViewable};
    }
    // The windows on the screen that stay in front of host.
    std::vector<Window> childWindowsOf(Window host)
    {
        std::vector<Window> found;
        for (Window w : childrenOf(DefaultRootWindow(display))) {
            Window owner = 0;
            if (XGetTransientForHint(display, w, &owner) && owner == host)
                found.push_back(w);
        }
        return found;
    }
    // Whether the X server shows the view's red at the middle of the window.
    bool showsTheView(Window window)
    {
        XImage* image = XGetImage(display, window, kWidth / 2, kHeight / 2, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return false;
        const unsigned long pixel = XGetPixel(image, 0, 0);
        const bool red = (pixel & image->red_mask) == image->red_mask
                         && (pixel & (image->green_mask | image->blue_mask)) == 0;
        XDestroyImage(image);
        return red;
    }
    bool borderless(Window window)
    {
        const Atom hints = XInternAtom(display, "_MOTIF_WM_HINTS", False);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, hints, 0, 5, False, AnyPropertyType, &type, &format, &count, &after,
                               &data) != Success || !data)
            return false;
        const auto* fields = reinterpret_cast<const long*>(data);  // flags, functions, decorations, ...
        const bool none = count >= 3 && (fields[0] & 2) && fields[2] == 0;
        XFree(data);
        return none;
    }
    // Runs the window loop until done() or 5 seconds passed; done()'s last answer.
    bool waitFor(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (;;) {
            platform::WindowSystem::Shared().ProcessEvents(10);
            XSync(display, False);
            if (done() || std::chrono::steady_clock::now() > deadline)
                return done();
        }
    }

    Display* display = nullptr;
    std::unique_ptr<IGraphicsMac> graphics;
};

TEST_F(ViewEmbedding, ViewOpensInsideTheParentAtItsCornerAndLeavesItWhenClosedOrWhenTheParentGoes)
{
    const Window parent = makeWindow(10, 10, 400, 300);
    ASSERT_NE(nullptr, graphics->OpenWindow(asParent(parent)));
    ASSERT_TRUE(waitFor([&] { return childrenOf(parent).size() == 1 && geometryOf(childrenOf(parent)[0])[4]; }));
    EXPECT_EQ((std::vector<int> {0, 0, kWidth, kHeight, 1}), geometryOf(childrenOf(parent)[0]));
    EXPECT_TRUE(waitFor([&] { return showsTheView(childrenOf(parent)[0]); }));
    graphics->CloseWindow();
    EXPECT_TRUE(waitFor([&] { return childrenOf(parent).empty(); }));

    ASSERT_NE(nullptr, graphics->OpenWindow(asParent(parent)));
    XDestroyWindow(display, parent);  // the host takes its window away
    EXPECT_TRUE(waitFor([&] { return !graphics->WindowIsOpen(); }));
    EXPECT_EQ(nullptr, graphics->OpenWindow(asParent(parent)));  // no such window any more
}

TEST_F(ViewEmbedding, ChildWindowIsBorderlessAtTheHostsOriginCentredWhenTheHostIsWiderAndInFrontOfIt)
{
    const struct {
        int x, y, width, height;
        std::vector<int> expected;  // the child window's frame on the screen
    } hosts[] = {
        {100, 50, 600, 400, {300, 350, kWidth, kHeight}},  // the Mac's origin: the bottom-left corner
        {40, 30, kWidth + 2, kHeight, {41, 30, kWidth, kHeight}},
        {40, 30, kWidth + 1, kHeight, {40, 30, kWidth, kHeight}},
        {40, 30, kWidth - 50, kHeight, {40, 30, kWidth, kHeight}},
    };
    for (const auto& h : hosts) {
        const Window host = makeWindow(h.x, h.y, h.width, h.height);
        graphics->AttachSubWindow(asParent(host));
        ASSERT_TRUE(waitFor([&] { return childWindowsOf(host).size() == 1; })) << h.width;
        const Window child = childWindowsOf(host)[0];
        EXPECT_TRUE(waitFor([&] { return geometryOf(child).size() == 5 && geometryOf(child)[4] == 1; }));
        std::vector<int> frame = geometryOf(child);
        frame.pop_back();
        EXPECT_EQ(h.expected, frame) << h.width;
        EXPECT_TRUE(borderless(child));
        const std::vector<Window> stack = childrenOf(DefaultRootWindow(display));
        EXPECT_GT(std::find(stack.begin(), stack.end(), child), std::find(stack.begin(), stack.end(), host));
        // The view fills it.
        const std::vector<Window> content = childrenOf(child);
        EXPECT_EQ(1, std::count_if(content.begin(), content.end(), [&](Window w) {
                      return geometryOf(w) == std::vector<int> {0, 0, kWidth, kHeight, 1};
                  }));
        EXPECT_TRUE(graphics->WindowIsOpen());
        EXPECT_TRUE(waitFor([&] { return showsTheView(child); }));

        graphics->RemoveSubWindow();
        EXPECT_TRUE(waitFor([&] { return childWindowsOf(host).empty(); }));
        EXPECT_FALSE(graphics->WindowIsOpen());
        EXPECT_EQ(1, geometryOf(host)[4]);  // the host's window stays
        XDestroyWindow(display, host);
    }
}

}  // namespace

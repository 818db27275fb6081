// The window system without a display.
#include "platform/HeadlessWindowSystem.h"

#include <algorithm>
#include <cmath>

namespace platform {

class HeadlessTimer : public RepeatingTimer {
public:
    HeadlessTimer(HeadlessWindowSystem* system, int id) : mSystem(system), mId(id) {}
    ~HeadlessTimer() override { mSystem->removeTimer(mId); }

private:
    HeadlessWindowSystem* mSystem;
    int mId;
};

namespace {

void describeInto(const Menu& menu, int depth, std::string* out)
{
    for (const MenuItem& item : menu.items) {
        out->append(static_cast<size_t>(depth) * 2, ' ');
        if (item.separator && !item.submenu) {
            out->append("---\n");
            continue;
        }
        out->append(item.title);
        if (item.checked)
            out->append(" [x]");
        if (!item.enabled)
            out->append(" (disabled)");
        if (item.submenu)
            out->append(" >");
        out->append("\n");
        if (item.submenu)
            describeInto(*item.submenu, depth + 1, out);
    }
}

// Top-left pixel bounds of a view rectangle in a view of the given height.
void toPixelBounds(const ViewRect& r, int width, int height, int bounds[4])
{
    bounds[0] = std::max(0, static_cast<int>(std::floor(r.x)));
    bounds[1] = std::max(0, static_cast<int>(std::floor(height - (r.y + r.h))));
    bounds[2] = std::min(width, static_cast<int>(std::ceil(r.x + r.w)));
    bounds[3] = std::min(height, static_cast<int>(std::ceil(height - r.y)));
}

bool emptyBounds(const int b[4]) { return b[2] <= b[0] || b[3] <= b[1]; }

}  // namespace

std::string DescribeMenu(const Menu& menu)
{
    std::string out;
    describeInto(menu, 0, &out);
    return out;
}

// ---- HeadlessWindow

HeadlessWindow::HeadlessWindow(HeadlessWindowSystem* system, int width, int height, std::string title,
                               WindowClient* client, WindowId parent)
    : mSystem(system), mWidth(std::max(0, width)), mHeight(std::max(0, height)), mTitle(std::move(title)),
      mClient(client), mParent(parent), mPixels(static_cast<size_t>(mWidth) * mHeight, 0)
{
}

HeadlessWindow::~HeadlessWindow() { mSystem->removeWindow(this); }

void HeadlessWindow::SetContentSize(int width, int height)
{
    mWidth = std::max(0, width);
    mHeight = std::max(0, height);
    mPixels.assign(static_cast<size_t>(mWidth) * mHeight, 0);
    std::fill(mPending, mPending + 4, 0);
}

void HeadlessWindow::SetNeedsDisplayInRect(const ViewRect& rect)
{
    int b[4];
    toPixelBounds(rect, mWidth, mHeight, b);
    if (emptyBounds(b))
        return;
    if (emptyBounds(mPending)) {
        std::copy(b, b + 4, mPending);
        return;
    }
    mPending[0] = std::min(mPending[0], b[0]);
    mPending[1] = std::min(mPending[1], b[1]);
    mPending[2] = std::max(mPending[2], b[2]);
    mPending[3] = std::max(mPending[3], b[3]);
}

void HeadlessWindow::PendingRect(int* x0, int* y0, int* x1, int* y1) const
{
    *x0 = mPending[0];
    *y0 = mPending[1];
    *x1 = mPending[2];
    *y1 = mPending[3];
}

void HeadlessWindow::DisplayIfNeeded()
{
    if (emptyBounds(mPending) || !mClient)
        return;
    int clip[4];
    std::copy(mPending, mPending + 4, clip);
    std::fill(mPending, mPending + 4, 0);
    ViewRect r;
    r.x = clip[0];
    r.y = mHeight - clip[3];
    r.w = clip[2] - clip[0];
    r.h = clip[3] - clip[1];
    mClip = clip;
    ++mDrawCount;
    mClient->DrawRect(r);
    mClip = nullptr;
}

bool HeadlessWindow::DrawImage(const uint32_t* pixels, int rowSpan, int width, int height)
{
    if (!mClip || !pixels)
        return false;
    const int x1 = std::min({mClip[2], width, mWidth});
    const int y1 = std::min({mClip[3], height, mHeight});
    for (int y = mClip[1]; y < y1; ++y)
        for (int x = mClip[0]; x < x1; ++x)
            mPixels[static_cast<size_t>(y) * mWidth + x] = pixels[static_cast<size_t>(y) * rowSpan + x];
    return true;
}

uint32_t HeadlessWindow::PixelAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
        return 0;
    return mPixels[static_cast<size_t>(y) * mWidth + x];
}

bool HeadlessWindow::OpenTextField(const ViewRect& rect, const TextFieldStyle& style, const std::string& text,
                                   TextFieldClient* client)
{
    if (mFieldClient || !client)
        return false;
    mFieldClient = client;
    mFieldRect = rect;
    mFieldStyle = style;
    mFieldText = text;
    return true;
}

void HeadlessWindow::CloseTextField()
{
    mFieldClient = nullptr;
    mFieldText.clear();
}

bool HeadlessWindow::InjectText(const std::string& text)
{
    if (!mFieldClient)
        return false;
    // One UTF-8 character at a time, as typing would deliver them.
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        const std::string candidate = mFieldText + text.substr(i, length);
        if (mFieldClient->IsPartialStringValid(candidate))
            mFieldText = candidate;
        i += length;
    }
    return true;
}

bool HeadlessWindow::InjectReturn()
{
    if (!mFieldClient)
        return false;
    const std::string text = mFieldText;
    mFieldClient->TextDidEndEditing(text);
    DisplayIfNeeded();
    return true;
}

bool HeadlessWindow::PopUpContextMenu(const Menu& menu, const ViewRect&, MenuChoice* choice)
{
    return mSystem->showMenu(menu, choice);
}

void HeadlessWindow::InjectMouse(const MouseEvent& event)
{
    // A left click takes the focus from the field, which ends its editing first.
    if (event.kind == MouseEventKind::Down && mFieldClient)
        mFieldClient->TextDidEndEditing(std::string(mFieldText));
    if (mClient)
        mClient->HandleMouse(event);
    mSystem->displayAll();
}

void HeadlessWindow::InjectKey(const KeyEvent& event)
{
    if (mClient && !mClient->HandleKeyDown(event))
        ++mUnhandledKeys;
    mSystem->displayAll();
}

void HeadlessWindow::InjectClose()
{
    if (mClient)
        mClient->WindowShouldClose();  // may destroy this window
}

bool HeadlessWindow::CaptureToPNG(const std::string& path)
{
    DisplayIfNeeded();
    return WriteScreenPNG(path, mPixels.data(), mWidth, mWidth, mHeight);
}

// ---- HeadlessWindowSystem

std::unique_ptr<NativeWindow> HeadlessWindowSystem::MakeWindow(int width, int height, const std::string& title,
                                                               WindowClient* client, WindowId parent)
{
    auto window = std::make_unique<HeadlessWindow>(this, width, height, title, client, parent);
    mWindows.push_back(window.get());
    return window;
}

namespace {

// Ids of child windows' contents, apart from any a test gives its host windows.
constexpr WindowId kFirstContentId = 0x7000000;

class HeadlessChildWindow : public ChildWindow {
public:
    HeadlessChildWindow(HeadlessWindowSystem* system, size_t index) : mSystem(system), mIndex(index) {}
    ~HeadlessChildWindow() override { mSystem->childWindows[mIndex].open = false; }
    WindowId ContentId() const override { return mSystem->childWindows[mIndex].content; }
    void OrderFront() override { ++mSystem->childWindows[mIndex].timesBroughtToFront; }

private:
    HeadlessWindowSystem* mSystem;
    size_t mIndex;
};

}  // namespace

bool HeadlessWindowSystem::GetWindowFrame(WindowId window, ScreenFrame* frame)
{
    const auto found = hostWindows.find(window);
    if (found == hostWindows.end())
        return false;
    *frame = found->second;
    return true;
}

std::unique_ptr<ChildWindow> HeadlessWindowSystem::MakeChildWindow(WindowId parent, const ScreenFrame& frame)
{
    if (!hostWindows.count(parent))
        return nullptr;
    ShownChildWindow shown;
    shown.parent = parent;
    shown.content = kFirstContentId + childWindows.size();
    shown.frame = frame;
    childWindows.push_back(shown);
    return std::make_unique<HeadlessChildWindow>(this, childWindows.size() - 1);
}

void HeadlessWindowSystem::removeWindow(HeadlessWindow* window)
{
    mWindows.erase(std::remove(mWindows.begin(), mWindows.end(), window), mWindows.end());
}

std::unique_ptr<RepeatingTimer> HeadlessWindowSystem::ScheduleRepeatingTimer(double intervalSeconds,
                                                                             std::function<void()> onFire)
{
    const auto interval = std::max<int64_t>(1, std::llround(intervalSeconds * 1000.0));
    const int id = mNextTimerId++;
    mTimers[id] = Timer{interval, mNow + interval, std::move(onFire)};
    return std::make_unique<HeadlessTimer>(this, id);
}

int HeadlessWindowSystem::LiveTimerCount() const { return static_cast<int>(mTimers.size()); }

void HeadlessWindowSystem::AdvanceClock(int milliseconds)
{
    const int64_t target = mNow + std::max(0, milliseconds);
    for (;;) {
        auto next = mTimers.end();
        for (auto it = mTimers.begin(); it != mTimers.end(); ++it)
            if (it->second.due <= target && (next == mTimers.end() || it->second.due < next->second.due))
                next = it;
        if (next == mTimers.end())
            break;
        mNow = std::max(mNow, next->second.due);
        next->second.due += next->second.interval;
        // The callback may destroy this timer or make others: copy it first.
        std::function<void()> onFire = next->second.onFire;
        onFire();
        displayAll();
    }
    mNow = std::max(mNow, target);
}

void HeadlessWindowSystem::displayAll()
{
    const std::vector<HeadlessWindow*> windows = mWindows;
    for (HeadlessWindow* window : windows)
        if (std::find(mWindows.begin(), mWindows.end(), window) != mWindows.end())
            window->DisplayIfNeeded();
}

bool HeadlessWindowSystem::showMenu(const Menu& menu, MenuChoice* choice)
{
    shownMenus.push_back(DescribeMenu(menu));
    // The menu stays open for a while; the loop (and so every timer) goes on meanwhile.
    AdvanceClock(mMenuOpenTime);
    bool chosen = false;
    MenuChoice answer;
    if (!TakeMenuAnswer(menu, &chosen, &answer) || !chosen)
        return false;
    *choice = answer;
    return true;
}

AlertResponse HeadlessWindowSystem::RunAlert(const AlertRequest& request)
{
    alerts.push_back(request);
    AlertResponse response = AlertResponse::Default;
    TakeAlertAnswer(request, &response);
    return response;
}

// A dialog answers what the script says, one command after another; with
// nothing more to say the user closes it, and a dialog that its owner keeps
// open even then ends by itself, as nobody could end it here.
class HeadlessDialog : public NativeDialog {
public:
    HeadlessDialog(HeadlessWindowSystem* system, DialogRequest request, DialogClient* client)
        : mSystem(system), mRequest(std::move(request)), mClient(client)
    {
        mShown.width = mRequest.width;
        mShown.height = mRequest.height;
    }
    void SetFrame(int x, int y, int width, int height) override
    {
        mShown.x = x;
        mShown.y = y;
        mShown.width = width;
        mShown.height = height;
    }
    void RunModal() override
    {
        if (mEnded)
            return;
        mShown.request = mRequest;
        mSystem->shownDialogs.push_back(mShown);
        int command = kDialogCommandClose;
        while (!mEnded && mSystem->TakeDialogAnswer(mRequest, &command))
            mClient->DialogCommand(command);
        if (!mEnded)
            mClient->DialogCommand(kDialogCommandClose);
        mEnded = true;
    }
    void EndModal() override { mEnded = true; }
    std::string ItemText(int id) const override
    {
        for (const DialogItem& item : mRequest.items)
            if (item.id == id)
                return item.text;
        return "";
    }

private:
    HeadlessWindowSystem* mSystem;
    DialogRequest mRequest;
    DialogClient* mClient;
    ShownDialog mShown;
    bool mEnded = false;
};

std::unique_ptr<NativeDialog> HeadlessWindowSystem::MakeDialog(const DialogRequest& request, DialogClient* client)
{
    if (!client)
        return nullptr;
    return std::make_unique<HeadlessDialog>(this, request, client);
}

bool HeadlessWindowSystem::RunFilePanel(const FilePanelRequest& request, std::string* chosenPath)
{
    filePanels.push_back(request);
    bool ok = false;
    std::string path;
    if (!TakeFilePanelAnswer(&ok, &path) || !ok)
        return false;
    *chosenPath = request.save ? WithAllowedExtension(path, request.types) : path;
    return true;
}

bool HeadlessWindowSystem::OpenURL(const std::string& url)
{
    if (!urlOpenerPresent)
        return false;
    openedURLs.push_back(url);
    return true;
}

bool HeadlessWindowSystem::HideCursor()
{
    cursorHidden = true;
    return true;
}

bool HeadlessWindowSystem::ShowCursor()
{
    cursorHidden = false;
    return true;
}

bool HeadlessWindowSystem::GetPointerPosition(int* x, int* y)
{
    *x = pointerX;
    *y = pointerY;
    return true;
}

bool HeadlessWindowSystem::WarpPointer(int x, int y)
{
    pointerX = x;
    pointerY = y;
    return true;
}

NativeWindow* HeadlessWindowSystem::FrontWindow() { return mWindows.empty() ? nullptr : mWindows.back(); }

void HeadlessWindowSystem::RunUntilAllWindowsClosed()
{
    // No user can close a window here: draw what is pending and return.
    displayAll();
}

void HeadlessWindowSystem::ProcessEvents(int milliseconds)
{
    AdvanceClock(milliseconds);
    displayAll();
}

}  // namespace platform

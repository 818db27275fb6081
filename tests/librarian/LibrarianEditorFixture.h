#pragma once
// The librarian in the editor on the headless window system. LibrarianEditorTest:
// an editor over a temporary library of two bank files, the bank lists and
// librarian popups built, a librarian view at (100, 200) at scale 1, and the
// window open so menus and panels take scripted answers. What the editor sends
// reaches the simulated Zelto 2 in-process, in virtual time, once a test opens the output.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "IPopupMenuControl.h"
#include "LibrarianViewControl.h"
#include "LibraryTestSupport.h"
#include "ParameterTable.h"
#include "ProgressIndicator.h"
#include "Zelto2X.h"
#include "messaging/WorkerFixture.h"
#include "platform/HeadlessWindowSystem.h"

class LibrarianEditorTest : public WorkerFixture {
protected:
    static constexpr int kViewX = 100, kViewY = 200;

    void SetUp() override
    {
        using namespace librarytest;
        // Alpha: ALPHA 1.. ALPHA 100 in categories 1..10; Beta: BETA 1.. in category 3.
        std::vector<Bytes> alpha, beta;
        for (int i = 0; i < 100; ++i) {
            alpha.push_back(alphaDump(i));
            beta.push_back(currentDump(500 + i, "BETA " + std::to_string(i + 1), 3));
        }
        writeFile(data.patches() + "/Alpha.zt2", concat(alpha));
        writeFile(data.patches() + "/Beta.zt2", concat(beta));
        diskBefore = soundsOnDisk(data.root);

        platform::WindowSystem::SetShared(std::make_unique<platform::HeadlessWindowSystem>());
        headless = static_cast<platform::HeadlessWindowSystem*>(&platform::WindowSystem::Shared());
        WorkerFixture::SetUp();
        editor->midiOutSet = false;
        editor->GetParam(kMainTab)->InitDouble("tab", 2.0, 0.0, 3.0, 1.0);
        library = editor->patchLibrarian;
        editor->patchTypeChanged(0, 0, true);
        editor->createProgressOverlay();
        editor->createLibrarianMenus();
        if (!editor->librarianView) {
            IBitmap none;
            editor->librarianView = new LibrarianViewControl(editor.get(), kViewX, kViewY, kLibrarianArea, &none,
                IRECT(kViewX, kViewY, kViewX + 1300, kViewY + 460), library, 1.0);
            graphics()->AttachControl(editor->librarianView);
        }
        view = editor->librarianView;
        view->dragEnabled = true;
        // The status display's two lines, the UNSAVED light and the tab buttons.
        const std::pair<ITextControl**, int> probes[] = {{&nameLine, kControlDisplayName},
            {&valueLine, kControlDisplayValue}, {&unsavedLight, kBankEditUnsaved}, {&tabButtons, kMainTab}};
        IText style;
        for (const auto& [probe, paramIdx] : probes) {
            *probe = new ITextControl(editor.get(), IRECT(0, 0, 100, 20), &style, "-");
            (*probe)->SetParamIdx(paramIdx);
            graphics()->AttachControl(*probe);
        }
        editor->rememberControls();
        editor->statusText = nameLine;
        editor->patchTypeChanged(0, 0, false);
        graphics()->OpenWindow(nullptr);
        headless->ProcessEvents(0);
    }

    void TearDown() override
    {
        WorkerFixture::TearDown();
        platform::WindowSystem::SetShared(nullptr);
    }

    static librarytest::Bytes alphaDump(int i) { return librarytest::currentDump(i, "ALPHA " + std::to_string(i + 1), 1 + i % 10); }
    IGraphics* graphics() const { return editor->GetGUI(); }
    // A parameter set and handled as the panel's control would.
    void command(int paramIdx, double n)
    {
        editor->GetParam(paramIdx)->Set(n);
        editor->OnParamChange(paramIdx);
    }
    // Opens a popup with its answer queued first.
    void choose(IControl* menu, const std::string& answer)
    {
        headless->QueueMenuAnswer(answer);
        IMouseMod left(true);
        menu->OnMouseDown(0, 0, &left);
    }

    // The centre of a slot's rectangle.
    std::pair<int, int> slotCentre(int list, int slot) const
    {
        const IRECT r = view->slotRect(list, slot);
        return {(r.L + r.R) / 2, (r.T + r.B) / 2};
    }
    void click(int list, int slot, bool right = false)
    {
        const auto [x, y] = slotCentre(list, slot);
        IMouseMod mod(!right, right);
        graphics()->OnMouseDown(x, y, &mod);
        graphics()->OnMouseUp(x, y, &mod);
    }
    // Right click on a slot with the menu answer queued first.
    void rightClickChoosing(int list, int slot, const std::string& answer)
    {
        headless->QueueMenuAnswer(answer);
        click(list, slot, true);
    }
    void drag(int fromList, int fromSlot, int toList, int toSlot)
    {
        const auto [x0, y0] = slotCentre(fromList, fromSlot);
        const auto [x1, y1] = slotCentre(toList, toSlot);
        IMouseMod left(true);
        graphics()->OnMouseDown(x0, y0, &left);
        graphics()->OnMouseDrag(x0 + 1, y0, &left);
        graphics()->OnMouseDrag(x1, y1, &left);
        graphics()->OnMouseUp(x1, y1, &left);
    }

    const LibrarianPatch& upperSlot(int slot) const
    {
        return library->bankFiles[static_cast<size_t>(library->upperSelection)]->patches[static_cast<size_t>(slot)];
    }
    const std::vector<unsigned char>& upperBytes(int slot) const { return upperSlot(slot).messages.at(0).bytes; }
    double value(int index) const { return editor->paramValue(index); }
    // The bank marked unsaved, its light lit.
    bool markedUnsaved() const { return value(kBankEditUnsaved) == 1.0 && unsavedLight->GetValue() > 0.0; }
    std::string status() const { return nameLine->GetTextString() + "|" + valueLine->GetTextString(); }
    // The library on disk is what it was at start.
    void expectDiskUnchanged() const { EXPECT_EQ(diskBefore, librarytest::soundsOnDisk(data.root)); }

    librarytest::TempDataFolder data;
    std::multiset<std::string> diskBefore;
    platform::HeadlessWindowSystem* headless = nullptr;
    PatchLibrarian* library = nullptr;
    LibrarianViewControl* view = nullptr;
    ITextControl *nameLine = nullptr, *valueLine = nullptr, *unsavedLight = nullptr, *tabButtons = nullptr;
};

// The real editor (no window, no configuration) over a library of 1,000 bank
// files in ten folders: rebuilding the list parameters, the three tree menus
// and both lists after a change of what the lower list shows, and drawing the
// librarian view's 200 slot names.

#include "LibrarianScenario.h"

#include <benchmark/benchmark.h>

#include "IGraphics.h"
#include "IParam.h"
#include "LibrarianViewControl.h"
#include "ParameterTable.h"
#include "Zelto2X.h"

using namespace librarytest;

namespace {

constexpr int kFiles = 1000;

struct Editor {
    Editor()
    {
        writeLargeLibrary(data.patches(), kFiles);
        editor = std::make_unique<Zelto2X>(IPluginInstanceInfo());
        givePlainRanges(*editor);
        editor->patchTypeChanged(0, 0, true);
        IBitmap none;
        view = new LibrarianViewControl(editor.get(), 100, 200, kLibrarianArea, &none, IRECT(100, 200, 1400, 660),
            editor->patchLibrarian, 1.0);
        editor->GetGUI()->AttachControl(view);
        editor->librarianView = view;
        editor->GetGUI()->PrepDraw();
    }
    TempDataFolder data;
    std::unique_ptr<Zelto2X> editor;
    LibrarianViewControl* view = nullptr;
};

Editor& shared()
{
    static Editor editor;
    return editor;
}

void BM_ListsAndMenusAfterTheLowerListChanged(benchmark::State& state)
{
    Editor& e = shared();
    for (auto _ : state)
        e.editor->patchTypeChanged(0, 0, false);
    state.counters["banks"] = kFiles;
}
BENCHMARK(BM_ListsAndMenusAfterTheLowerListChanged)->Unit(benchmark::kMillisecond);

void BM_DrawTheLibrarianView(benchmark::State& state)
{
    Editor& e = shared();
    IGraphics* graphics = e.editor->GetGUI();
    for (auto _ : state)
        e.view->Draw(graphics);
}
BENCHMARK(BM_DrawTheLibrarianView)->Unit(benchmark::kMicrosecond);

}  // namespace

// The editor with its real configuration (the bundle's resources, found through a marker module in a copy of the
// bundle's layout): every layer the start-up looks up exists, the first run shows its notice, a saved state comes back,
// and the editor closes cleanly (AddressSanitizer).
#include <dlfcn.h>

#include "ControlLayer.h"
#include "EditorCoreSupport.h"
#include "ProgressIndicator.h"

using namespace coretest;

TEST(EditorConfigured, StartsWithEveryLayerRoundTripsItsStateAndClosesCleanly)
{
    ASSERT_NE(nullptr, dlopen(ZELTO2X_MARKER_MODULE, RTLD_NOW | RTLD_LOCAL)) << dlerror();
    DataFolder folder;
    folder.write(kSettingsFile, "normal\nnormal\nno\n\n");
    std::unique_ptr<Zelto2X> editor;
    const std::string out = quietly([&] { editor = std::make_unique<Zelto2X>(IPluginInstanceInfo()); });
    EXPECT_EQ(std::string::npos, out.find("missing from the configuration")) << out;
    ASSERT_TRUE(editor->findLayer("firstRunNotification") && editor->findLayer("aboutWindow"));
    EXPECT_TRUE(editor->findLayer("firstRunNotification")->IsVisible() &&
                !editor->findLayer("aboutWindow")->IsVisible());
    ASSERT_NE(nullptr, editor->paramTextControl(kControlDisplayName));
    EXPECT_EQ("Marnvik Zelto2X Plug-in", editor->paramTextControl(kControlDisplayName)->GetTextString());
    EXPECT_DOUBLE_EQ(1.0, editor->paramValue(kUserInterfaceSize));

    ByteChunk saved;
    editor->SetParameterFromGUI(kFilterCutoff, 0.25);
    const double cutoff = editor->paramValue(kFilterCutoff);
    editor->SerializeState(&saved);
    EXPECT_LT(3900, saved.Size());
    editor->SetParameterFromGUI(kFilterCutoff, 0.75);
    quietly([&] { EXPECT_EQ(saved.Size(), editor->UnserializeState(&saved, 0)); });
    EXPECT_DOUBLE_EQ(cutoff, editor->paramValue(kFilterCutoff));
    quietly([&] { editor.reset(); });
}

// The progress overlay's picture is the image table's copy at the interface
// size: it covers the whole large view, and the picture is decoded only once.
TEST(EditorConfigured, ProgressOverlayPictureIsTheTablesCopyCoveringTheLargeView)
{
    ASSERT_NE(nullptr, dlopen(ZELTO2X_MARKER_MODULE, RTLD_NOW | RTLD_LOCAL)) << dlerror();
    DataFolder folder;
    folder.write(kSettingsFile, "normal\nlarge\nyes\n\n");
    std::unique_ptr<Zelto2X> editor;
    quietly([&] { editor = std::make_unique<Zelto2X>(IPluginInstanceInfo()); });
    ASSERT_NE(nullptr, editor->progressIndicator);
    const IBitmap& picture = static_cast<ProgressIndicator*>(editor->progressIndicator)->overlay;
    EXPECT_EQ((std::pair<int, int> {1875, 946}), (std::pair<int, int> {picture.W, picture.H}));
    EXPECT_EQ(editor->GetGUI()->getImageById(118).mData, picture.mData);
    quietly([&] { editor.reset(); });
}

TEST(EditorConfigured, APatchesFolderThatCannotBeMadeIsToldOnceTheEditorIsReady)
{
    ASSERT_NE(nullptr, dlopen(ZELTO2X_MARKER_MODULE, RTLD_NOW | RTLD_LOCAL)) << dlerror();
    DataFolder folder;
    folder.write("Patches", "a file where the library folder belongs");
    std::unique_ptr<Zelto2X> editor;
    quietly([&] { editor = std::make_unique<Zelto2X>(IPluginInstanceInfo()); });
    EXPECT_EQ("Patches folder NOT created!|Check folder rights",
        editor->paramTextControl(kControlDisplayName)->GetTextString() + "|" +
            editor->paramTextControl(kControlDisplayValue)->GetTextString());
    quietly([&] { editor.reset(); });
}

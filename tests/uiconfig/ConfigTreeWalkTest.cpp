// The walk over the UI configuration: layers, copies, overlays, parameter
// indexes and which elements build what.
#include "ConfigTestSupport.h"

namespace {

using TreeWalk = ConfigFixture;

TEST_F(TreeWalk, MultilayerOfThreeBuildsThreeLayersBoundToConsecutiveParameters)
{
    loadUi("<multilayer create=\"3\" name=\"timbre\">"
           "<switch paramId=\"kSectionLockOsc1\" name=\"Lock\" imageId=\"BTN_ON_OFF_ARP_ID\" position=\"0,0\"/>"
           "</multilayer>");
    ASSERT_EQ(gui->NLayers(), 3);
    for (int i = 0; i < 3; ++i) {
        ControlLayer* layer = config.getLayerByName("timbre" + std::to_string(i));
        ASSERT_TRUE(layer && layer == gui->GetLayer(i) && layer->GetID() == i && layer->NControls() == 1) << i;
        EXPECT_EQ(layer->GetControl(0)->ParamIdx(), kSectionLockOsc1 + i);
        EXPECT_EQ(std::string(param(kSectionLockOsc1 + i)->GetParamGroupForHost()), "Timbre " + std::to_string(i + 1));
    }
}

TEST_F(TreeWalk, OutermostLayerDecidesTheOverlayFlagOfEveryLayerInside)
{
    loadUi("<layer name=\"outerOn\" overlay=\"true\"><layer name=\"innerOff\" overlay=\"false\"/></layer>"
           "<layer name=\"outerOff\"><fxlayer name=\"innerOn\" overlay=\"true\"/></layer>"
           "<modseq3layer name=\"alone\" overlay=\"true\" id=\"7\"/>");
    for (const auto& [name, overlay] : std::initializer_list<std::pair<const char*, bool>>{
             {"outerOn", true}, {"innerOff", true}, {"outerOff", false}, {"innerOn", false}, {"alone", true}})
        EXPECT_EQ(config.getLayerByName(name)->GetIgnoreHiddenWhenUpdatingScreen(), overlay) << name;
    EXPECT_EQ(config.getLayerByName("alone")->GetID(), 7);
    EXPECT_EQ(config.getLayerByName("outerOn")->GetLayer(0), config.getLayerByName("innerOff"));
}

TEST_F(TreeWalk, CommentsListsAndUnknownElementsAreSkippedAndTheLaterLayerOfANameWins)
{
    loadUi("<valueLists><list name=\"l\"><value>a</value></list></valueLists>"
           "<!-- a comment -->"
           "<layer name=\"twice\" id=\"1\"/>"
           "<unknown paramId=\"kArpOnOff\"/>"
           "<layer name=\"twice\" id=\"2\"/>");
    EXPECT_EQ(gui->NLayers(), 2);  // both stay in the tree
    EXPECT_EQ(config.getLayerByName("twice")->GetID(), 2);
    EXPECT_EQ(gui->NControls(), 0);
}

TEST_F(TreeWalk, ParameterIndexAddsPlusNumberAndCopyOffsetAndUnknownOrPastTableIndexesBindNothing)
{
    const auto sw = [](const char* id) {
        return std::string("<switch paramId=\"") + id + "\" imageId=\"BTN_ON_OFF_ARP_ID\" position=\"0,0\"/>";
    };
    loadUi(sw("kSectionLockOsc1+3") + sw("+") + sw("kTimbreLED+1") + "<multilayer create=\"3\" name=\"m\">" +
           sw("kPatternStep01+2") + sw("kNoSuchName+2") + sw("kTimbreLED") + "</multilayer>");
    EXPECT_NE(config.getFirstControlForParam(kSectionLockOsc1 + 3), nullptr);
    EXPECT_EQ(gui->NControls(), 1);
    for (int index = 0; index < 5; ++index)
        EXPECT_EQ(config.getFirstControlForParam(index), nullptr);
    EXPECT_EQ(config.getLayerByName("m2")->GetControl(0)->ParamIdx(), kPatternStep01 + 2 + 2);
    EXPECT_EQ(config.getLayerByName("m0")->NControls(), 2);  // 306 + 0 is the last index
    EXPECT_EQ(config.getLayerByName("m1")->NControls(), 1);  // 306 + 1 is past it
    EXPECT_NE(output.find("parameter kNoSuchName NOT FOUND!!"), std::string::npos);
    EXPECT_NE(output.find("kTimbreLED+1 gives index 307"), std::string::npos);
}

TEST_F(TreeWalk, ElementNameOfAControlDoesNotMatterOnlyItsType)
{
    loadUi("<buttoncontrol type=\"seKnob\" paramId=\"kFilterCutoff\" imageId=\"KNOB_ID127\" position=\"10,20,0,0\" "
           "valueBounds=\"0,0,127,1\" sysexIndex=\"0\" changingByte=\"7\"/>"
           "<knobcontrol type=\"noSuchType\" paramId=\"kVolume\" imageId=\"KNOB_ID127\" position=\"0,0\"/>");
    IControl* knob = config.getFirstControlForParam(kFilterCutoff);
    ASSERT_NE(dynamic_cast<IKnobMultiControl*>(knob), nullptr);
    EXPECT_EQ(*knob->GetRECT(), IRECT(10, 20, 50, 60));
    EXPECT_EQ(config.getFirstControlForParam(kVolume), nullptr);
}

TEST_F(TreeWalk, PositionsAndSizesAreScaledAndTruncated)
{
    loadUi("<knobcontrol type=\"ccKnob\" paramId=\"kVolume\" imageId=\"KNOB_ID127\" position=\"101,51\" "
           "valueBounds=\"0,0,127,1\" ccNumber=\"7\"/>"
           "<background imageId=\"BTN_ON_OFF_ARP_ID\" position=\"3,5\"/>"
           "<display paramId=\"kControlDisplayName\" bounds=\"10,10,101,13\" displaySize=\"2,9\"/>",
        kSysEx, 1.25);
    EXPECT_EQ(*config.getFirstControlForParam(kVolume)->GetRECT(), IRECT(126, 63, 176, 113));
    EXPECT_EQ(*gui->GetControl(1)->GetRECT(), IRECT(3, 6, 28, 31));  // one 25 x 25 frame of the 2-frame image
    IControl* display = config.getFirstControlForParam(kControlDisplayName);
    EXPECT_EQ(*display->GetRECT(), IRECT(12, 12, 138, 28));
    // Reached through the action, not bound by index.
    EXPECT_TRUE(display->ParamIdx() == -1 && action(kControlDisplayName)->controls.front() == display);
}

TEST_F(TreeWalk, PatchBrowserGetsItsScaledRectangleFromTheEditorsFactory)
{
    IRECT seen;
    config.setLibrarianViewFactory([&](int x, int y, IBitmap*, IRECT rect) -> IControl* {
        seen = rect;
        return new ProbeControl(&plug, rect, x + y >= 0 ? kLibrarianArea : -1);
    });
    loadUi("<layer name=\"lib\"><patchBrowser imageId=\"BG_ID_BROWSER\" bounds=\"10,20,100,40\"/></layer>", kSysEx,
        1.25);
    EXPECT_EQ(seen, IRECT(12, 25, 137, 75));
    EXPECT_EQ(config.librarianView(), config.getLayerByName("lib")->GetControl(0));
}

TEST_F(TreeWalk, DeviceMenuIgnoresItsNameAndSitsOnTheSurface)
{
    loadUi("<layer name=\"setup\"><dropMenu type=\"deviceSelection\" name=\"ignored\" paramId=\"kDeviceOutSelection\" "
           "bounds=\"0,0,100,13\" inputDev=\"0\"/></layer>");
    EXPECT_EQ(std::string(param(kDeviceOutSelection)->GetNameForHost()), "Device Selection");
    EXPECT_TRUE(config.getLayerByName("setup")->NControls() == 0 && gui->NControls() == 1);
    EXPECT_EQ(param(kDeviceOutSelection)->GetDisplayText(0), "OFF");
}

}  // namespace

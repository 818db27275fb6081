// The walk over the UI configuration (layers, copies, overlays, parameter
// indexes, which elements build what), the control actions and the factories:
// message lists, the channel rule, links, shared parameters, menus, the radio group.
#include "ConfigTestSupport.h"

#include "ICustomRadioButtonsControl.h"

namespace {

using TreeWalk = ConfigFixture;
using Factories = ConfigFixture;

std::string knob(const char* type, const char* paramId, const char* extra)
{
    return std::string("<knobcontrol type='") + type + "' paramId='" + paramId +
           "' imageId='KNOB_ID127' position='0,0,60' " + extra + "/>";
}

TEST_F(TreeWalk, OutermostLayerDecidesTheOverlayFlagAndListsCommentsAndUnknownElementsAreSkipped)
{
    loadUi("<layer name='outerOn' overlay='true'><layer name='innerOff' overlay='false'/></layer>"
           "<layer name='outerOff'><fxlayer name='innerOn' overlay='true'/></layer>"
           "<modseq3layer name='alone' overlay='true' id='7'/><valueLists><list name='l'><value>a</value></list>"
           "</valueLists><!-- a comment --><layer name='twice' id='1'/><unknown paramId='kArpOnOff'/>"
           "<layer name='twice' id='2'/>");
    for (const auto& [name, overlay] : std::initializer_list<std::pair<const char*, bool>>{
             {"outerOn", true}, {"innerOff", true}, {"outerOff", false}, {"innerOn", false}, {"alone", true}})
        EXPECT_EQ(layer(name)->GetIgnoreHiddenWhenUpdatingScreen(), overlay) << name;
    EXPECT_EQ(layer("outerOn")->GetLayer(0), layer("innerOff"));
    // Both layers named "twice" stay in the tree; the later is found by name.
    EXPECT_EQ(std::tuple(layer("alone")->GetID(), gui->NLayers(), layer("twice")->GetID(), gui->NControls()),
        std::tuple(7, 5, 2, 0));
}

TEST_F(TreeWalk, ParameterIndexAddsPlusNumberAndCopyOffsetAndUnknownOrPastTableIndexesBindNothing)
{
    const auto sw = [](const char* id) {
        return std::string("<switch paramId='") + id + "' imageId='BTN_ON_OFF_ARP_ID' position='0,0'/>";
    };
    loadUi(sw("kSectionLockOsc1+3") + sw("+") + sw("kTimbreLED+1") + "<multilayer create='3' name='m'>" +
           sw("kPatternStep01+2") + sw("kNoSuchName+2") + sw("kTimbreLED") + "</multilayer>");
    EXPECT_TRUE(control(kSectionLockOsc1 + 3) && gui->NControls() == 1);
    for (int index = 0; index < 5; ++index)
        EXPECT_EQ(control(index), nullptr);
    // Each copy's id is its number; 306 + 0 is the last index, 306 + 1 past it.
    EXPECT_EQ(std::tuple(layer("m2")->GetControl(0)->ParamIdx(), layer("m2")->GetID(), layer("m0")->NControls(),
                  layer("m1")->NControls()), std::tuple(kPatternStep01 + 2 + 2, 2, 2, 1));
    EXPECT_TRUE(logged("parameter kNoSuchName NOT FOUND!!") && logged("kTimbreLED+1 gives index 307")) << output;
}

TEST_F(TreeWalk, PositionsAndSizesAreScaledAndTruncatedAndThePatchBrowserGetsItsRectangleFromTheEditorsFactory)
{
    IRECT seen;
    config.setLibrarianViewFactory([&](int x, int y, IBitmap*, IRECT rect) -> IControl* {
        seen = rect;
        return new ProbeControl(&plug, rect, x + y >= 0 ? kLibrarianArea : -1);
    });
    loadUi("<knobcontrol type='ccKnob' paramId='kVolume' imageId='KNOB_ID127' position='101,51' "
           "valueBounds='0,0,127,1' ccNumber='7'/><background imageId='BTN_ON_OFF_ARP_ID' position='3,5'/>"
           "<display paramId='kControlDisplayName' bounds='10,10,101,13' displaySize='2,9'/>"
           "<layer name='lib'><patchBrowser imageId='BG_ID_BROWSER' bounds='10,20,100,40'/></layer>",
        kSysEx, 1.25);
    EXPECT_EQ(*control(kVolume)->GetRECT(), IRECT(126, 63, 176, 113));
    EXPECT_EQ(*gui->GetControl(1)->GetRECT(), IRECT(3, 6, 28, 31));  // one 25 x 25 frame of the 2-frame image
    IControl* display = control(kControlDisplayName);
    EXPECT_EQ(*display->GetRECT(), IRECT(12, 12, 138, 28));
    // Reached through the action, not bound by index.
    EXPECT_TRUE(display->ParamIdx() == -1 && action(kControlDisplayName)->controls.front() == display);
    EXPECT_EQ(seen, IRECT(12, 25, 137, 75));
    EXPECT_EQ(config.librarianView(), layer("lib")->GetControl(0));
}

TEST_F(TreeWalk, DeviceMenuIgnoresItsNameAndSitsOnTheSurface)
{
    loadUi("<layer name='setup'><dropMenu type='deviceSelection' name='ignored' paramId='kDeviceOutSelection' "
           "bounds='0,0,100,13' inputDev='0'/></layer>");
    EXPECT_EQ(std::tuple(std::string(param(kDeviceOutSelection)->GetNameForHost()), layer("setup")->NControls(),
                  gui->NControls(), param(kDeviceOutSelection)->GetDisplayText(0)),
        std::tuple("Device Selection", 0, 1, "OFF"));
}

TEST_F(TreeWalk, LayerCopiesStopAtFourThousandNinetySixForTheWholeConfiguration)
{
    loadUi("<multilayer create='4095' name='a'/><multilayer create='1' name='b'/>"
           "<multilayer create='1' name='c'/><multilayer create='2147483647' name='d'/>");
    EXPECT_TRUE(gui->NLayers() == 4096 && layer("b0") && !layer("c0"));
    EXPECT_TRUE(logged("multilayer 'c' wants 1 copies: nothing built")
        && logged("multilayer 'd' wants 2147483647 copies")) << output;
}

// Every number attribute the walk reads, absent (or not beginning with a number), as 0: what the panel relies on,
// such as a menu not drawn white and a layer copied no time unless the configuration says so.
TEST_F(TreeWalk, AbsentNumberAttributesReadAsZero)
{
    const std::string image = "imageId='KNOB_ID127' position='0,0' valueBounds='0,0,127,1' ";
    loadUi("<layer name='plain'/><multilayer name='copy'/>"
           "<layer name='miniMixer'><knobcontrol type='ccKnob' paramId='kVolume' ccNumber='x' " + image + "/></layer>"
           "<knobcontrol type='msbLsbKnob' paramId='kPanning' " + image + "/>"
           "<knobcontrol type='seKnob' paramId='kFilterCutoff' changingByte='7' " + image + "/>"
           "<knobcontrol type='seKnob' paramId='kFilterResonance' " + image + "/>"
           "<slidercontrol type='seSliderHor' paramId='kArpSwing' changingByte='7' " + image + "/>"
           "<dropMenu type='nameSelection' paramId='kPatchName' bounds='0,0,100,13'/>"
           "<multiFx type='Menu' paramId='kLibSyncTimer' position='0,0,30,13' valueBounds='0,0,12' valueDisplay='0:12'/>"
           "<multiFx type='Menu' paramId='kArpRange' position='0,0,30,13' valueBounds='0,0,5' valueDisplay='0:5' "
           "visible='1'/><radio paramId='kPatternStep01Event' imageId='BUTTON_LOCK_WHITE_ID' position='0,0'/>");
    const std::tuple<const char*, int, int> rows[] = {
        {"layer id", layer("plain")->GetID(), 0}, {"multilayer create: copies", layer("copy0") != nullptr, 0},
        {"ccNumber 'x'", action(kVolume)->ccNumber, 0}, {"channel in a mixer layer", action(kVolume)->channel, 0},
        {"ccNumber", action(kPanning)->ccNumber, 0}, {"msbValue", action(kPanning)->msbValue, 0},
        {"lsbValue", action(kPanning)->lsbValue, 0}, {"lsbControl", action(kPanning)->lsbControl, 0},
        {"sysexIndex: the template's third byte", action(kFilterCutoff)->sysEx.messages.at(0).at(2), 0x58},
        {"changingByte: messages", int(action(kFilterResonance)->sysEx.messages.size()), 0},
        {"msgZeroVal: the first value sent", action(kArpSwing)->sysEx.messages.at(0).at(6), 0},
        {"length", control(kArpSwing)->GetRECT()->W(), 0}, {"nameLen", control(kPatchName)->GetTextEntryLength(), 0},
        {"visible: alpha", control(kLibSyncTimer)->GetText()->mColor.A, 0},
        {"white: not light grey", control(kArpRange)->GetText()->mColor != IColor(255, 255, 173, 0), 0},
        {"buttons: radios built", control(kPatternStep01Event) != nullptr, 0}};
    for (const auto& [attribute, got, expected] : rows)
        EXPECT_EQ(got, expected) << attribute;
}

TEST_F(Factories, SysExKnobFromTenToTwentyHasElevenMessagesIndexedByValueMinusMinimum)
{
    loadUi(knob("seKnob", "kFilterCutoff", "valueBounds='12,10,20,1' sysexIndex='0' changingByte='7'") +
           knob("seKnob", "kVolume", "valueBounds='0,0,3,1' sysexIndex='1' changingByte='5'"));
    ControlAction* a = action(kFilterCutoff);
    ASSERT_EQ(a->sysEx.messages.size(), 11u);
    EXPECT_EQ(a->sysEx.messages.front(), (SysExMessage{0x3E, 0x16, 0x58, 0x41, 0x00, 0x05, 10}));
    for (int value : {9, 15, 21})  // below, inside, above
        EXPECT_EQ(a->sysExMessageFor(value, 10) ? (*a->sysExMessageFor(value, 10))[6] : -1, value == 15 ? 15 : -1);
    EXPECT_EQ(param(kFilterCutoff)->GetMin(), 10.0);
    // Found again by the address bytes 58 41 00 05 of an incoming message.
    EXPECT_EQ(config.sysExControls.findControl(0x58, 0x41, 0x00, 0x05, 0), control(kFilterCutoff));
    // Changing byte other than 7: the address is bytes 3..6.
    EXPECT_EQ(config.sysExControls.findControl(0x58, 0x00, 0x02, 0x00, 0), control(kVolume));
}

TEST_F(Factories, MessageListsFollowTheTemplateCountStartWrapAndTimbreOffset)
{
    const struct {
        const char *name, *tmpl;
        int changingByte, count, start, offset;
        std::vector<SysExMessage> expected;
    } cases[] = {
        {"template first at start -1", "01 02 05", 3, 3, -1, -1, {{1, 2, 5}, {1, 2, 5}, {1, 2, 6}}},
        {"count 0", "01 02 05", 3, 0, 0, -1, {}},
        {"count 0 at start -1 keeps the template", "01 02 05", 3, 0, -1, -1, {{1, 2, 5}}},
        {"after 127 the value wraps to 0", "00", 1, 3, 126, -1, {{126}, {127}, {0}}},
        {"second timbre moves bytes 4 and 5", "00 00 00 00 70 02 00", 7, 1, 9, 1, {{0, 0, 0, 0, 0, 3, 9}}},
        {"second timbre below the wrap", "00 00 00 00 10 7F 00", 7, 1, 9, 1, {{0, 0, 0, 0, 0x20, 0, 9}}},
        {"offsets other than 1 keep the address", "00 00 00 00 70 02 00", 7, 1, 9, 2, {{0, 0, 0, 0, 0x70, 2, 9}}},
        {"values are kept to 7 bits", "00 00", 2, 1, 200, -1, {{0, 200 & 0x7F}}},
        {"changing byte past the template", "01 02", 3, 2, 0, -1, {}},
        {"changing byte 0", "01 02", 0, 2, 0, -1, {}},
        {"template too short for the timbre address", "01 02 03 04 05", 1, 1, 0, 1, {}},
        {"empty template", " ", 1, 2, 0, -1, {}},
    };
    for (const auto& c : cases) {
        ControlActionSysExMessage out;
        out.messages.push_back({99});
        quietly([&] { config.calculateSysexWithChangingByte(c.tmpl, c.changingByte, c.count, &out, c.start, c.offset); });
        EXPECT_EQ(out.messages, c.expected) << c.name;
    }
}

TEST_F(Factories, SysExSliderStartsAtItsZeroValueAndButtonAlwaysHasTwoMessages)
{
    loadUi("<slidercontrol type='seSliderHor' paramId='kArpSwing' imageId='KNOB_PERCENTAGE_ID' "
           "position='0,0' length='80' valueBounds='0,0,63,1' msgZeroVal='64' sysexIndex='0' changingByte='7'/>"
           "<buttoncontrol type='seButton' paramId='kArpOnOff' imageId='BTN_ON_OFF_ARP_ID' position='0,0' "
           "valueBounds='1,0,5' sysexIndex='0' changingByte='7'/>");
    const auto& slider = action(kArpSwing)->sysEx.messages;
    ASSERT_EQ(slider.size(), 64u);
    EXPECT_TRUE(slider.front()[6] == 64 && slider.back()[6] == 127 && control(kArpSwing)->GetRECT()->W() == 80);
    ASSERT_EQ(action(kArpOnOff)->sysEx.messages.size(), 2u);
    EXPECT_TRUE(action(kArpOnOff)->kind == kActionSysExSwitch && action(kArpOnOff)->sysEx.messages[1][6] == 1);
    EXPECT_EQ(param(kArpOnOff)->Value(), 1.0);
}

TEST_F(Factories, ChannelRuleFilesMixerControlsUnderTheirChannelAndOthersUnderTheirCopy)
{
    loadUi("<layer name='miniMixer'>" + knob("ccKnob", "kOscillator1Level", "ccNumber='20' channel='3'") +
           "<buttoncontrol type='ccButton' paramId='kOscillator2Level' imageId='BTN_ON_OFF_ARP_ID' "
           "position='0,0' ccNumber='21' channel='3' valueBounds='0,64,65'/></layer>"
           "<multilayer create='3' name='page'>" + knob("ccKnob", "kPatternStep01", "ccNumber='22' channel='9'") +
           "</multilayer>" + knob("ccKnob", "kVolume", "ccNumber='7' channel='5'") +
           "<layer name='additionalSettingsPart3'>"
           "<buttoncontrol type='msbLsbButton' paramId='kArpRange' imageId='BTN_ON_OFF_ARP_ID' position='0,0' "
           "ccNumber='6' msbValue='1' lsbValue='2' lsbControl='3' channel='4' valueBounds='0,0,1'/>" +
           knob("msbLsbKnob", "kArpTempo", "ccNumber='6' msbValue='1' lsbValue='2' lsbControl='4' channel='4'") +
           "</layer>");
    // {param, channel, group}: a mixer knob and button; the third copy (offset 2 + 1); the top level (offset
    // -1 + 1); an NRPN button (the additional pages count as mixer layers) and an NRPN knob there (they do not).
    const int cases[][3] = {{kOscillator1Level, 3, 1}, {kOscillator2Level, 3, 0}, {kPatternStep01 + 2, 3, 0},
        {kVolume, 0, 0}, {kArpRange, 4, 0}, {kArpTempo, 0, 0}};
    for (const auto& [index, channel, group] : cases)
        EXPECT_EQ(std::pair(action(index)->channel, action(index)->ccGroup), std::pair(channel, group)) << index;
    EXPECT_EQ(config.ccControls.findControl(3, 20, 1), control(kOscillator1Level));
    EXPECT_EQ(config.ccControls.findControl(3, 22, 0), control(kPatternStep01 + 2));
    EXPECT_EQ(config.nrpnControls.findControl(4, 1, 2, 3, 0), control(kArpRange));
    EXPECT_EQ(config.nrpnControls.findControl(0, 1, 2, 4, 0), control(kArpTempo));
    EXPECT_EQ(std::pair(action(kOscillator2Level)->zeroValue, action(kOscillator2Level)->onValue), std::pair(64, 65));
    EXPECT_EQ(std::string(param(kPatternStep01 + 1)->GetNameForHost()), "[2] ");
}

TEST_F(Factories, LinkIsRecordedOnBothParametersWithTheOffsetAddedOnceAndNeverPastTheTable)
{
    loadUi(knob("ccKnob", "kArpTempo", "ccNumber='1' biDirectLink='kArpClock,kArpMode,4'") +
           "<multilayer create='2' name='m'>" +
           knob("ccKnob", "kPatternStep01", "ccNumber='2' biDirectLink='kPatternStep01Event,kPatternStep01Time'") +
           knob("ccKnob", "kArpDelay", "ccNumber='4' biDirectLink='kTimbreLED,kArpMode'") + "</multilayer>");
    EXPECT_EQ(action(kArpTempo)->link.number, 4);
    ControlAction* linked = action(kArpClock);
    ASSERT_NE(linked, nullptr);
    // Made for the link: sends nothing.
    EXPECT_TRUE(linked->kind == kActionSysEx && linked->sysEx.messages.empty() && linked->link.first == kArpTempo
        && linked->link.second == kArpMode);
    EXPECT_EQ(std::pair(action(kPatternStep01Event + 1)->link.first, action(kPatternStep01 + 1)->link.second),
              std::pair(kPatternStep01 + 1, kPatternStep01Time + 1));
    // The first copy links index 306; the second would link 307: not linked.
    EXPECT_EQ(std::tuple(action(kArpDelay)->link.first, action(kArpDelay + 1)->link.first), std::tuple(kTimbreLED, -1));
    EXPECT_TRUE(logged("names index 307 out of range")) << output;
}

// Only the CC knob steps by its fourth number; a plain control after it on one parameter leaves one action of kind none.
TEST_F(Factories, OnlyTheCCKnobStepsByItsFourthNumberAndAPlainControlAfterItSilencesItsAction)
{
    loadUi(knob("ccKnob", "kVolume", "ccNumber='7' valueBounds='0,0,126,2'") +
           "<switch paramId='kVolume' imageId='BTN_ON_OFF_ARP_ID' position='50,0'/>" +
           knob("ccKnob", "kLFO2Speed", "ccNumber='8' valueBounds='0,0,126,2'") +
           knob("msbLsbKnob", "kPanning", "valueBounds='0,0,126,2'") +
           knob("seKnob", "kFilterCutoff", "valueBounds='0,0,126,2' sysexIndex='0' changingByte='7'"));
    EXPECT_EQ((std::vector<double>{param(kLFO2Speed)->GetStep(), param(kPanning)->GetStep(),
                  param(kFilterCutoff)->GetStep()}), (std::vector<double>{2, 1, 1}));
    ControlAction* a = action(kVolume);
    EXPECT_TRUE(a->kind == kActionNone && a->ccNumber == 7 && a->controls.size() == 2
        && a->controls[0] == control(kVolume));
}

TEST_F(Factories, GroupAndNameTextsOfNoCopyCarryNoTimbreNorTheTextOfTheCallBefore)
{
    EXPECT_EQ(config.getParamGroup(1, "Osc"), "Timbre 2:Osc");
    EXPECT_EQ(config.getParamGroup(-1, ""), "");  // called in this order on purpose
    EXPECT_EQ(config.getParamGroup(-1, "Osc"), "Osc");
    EXPECT_EQ(UIConfigManager::displayName(-1, "Cutoff"), "Cutoff");
}

TEST_F(Factories, MenuTextsComeFromAListOfExactlyNTextsOrFromTheDisplayNumbers)
{
    loadUi("<valueLists><list name='five'><value>a</value><value>b</value><value>c</value><value>d</value>"
           "<value>e</value></list></valueLists>"
           "<menucontrol type='ccMenu' paramId='kLFO1Shape' position='0,0,60' valueBounds='0,0,5' "
           "valueList='five' ccNumber='1'/>"
           "<menucontrol type='ccMenu' paramId='kArpRange' position='0,0,60' valueBounds='0,0,5' "
           "valueDisplay='1:5' ccNumber='2'/>"
           "<menucontrol type='msbLsbMenu' paramId='kGlobalMidiChannel' position='0,0,60' valueBounds='0,0,16' "
           "valueDisplay='1:16'/>"
           "<menucontrol type='ccMenu' name='Lonely' paramId='kArpMode' position='0,0,60' valueBounds='0,0,5' "
           "valueDisplay='3:3' ccNumber='3'/>"
           "<multiFx type='Menu' paramId='kCurrentPatch' position='0,0,30,13' valueBounds='0,0,99' "
           "valueDisplay='0:99' visible='1'/>"
           "<multiFx type='Menu' paramId='kLibSyncTimer' position='0,0,30,13' valueBounds='0,0,12' "
           "valueDisplay='0:12' visible='0'/>");
    const std::tuple<int, int, const char*> texts[] = {{kLFO1Shape, 4, "e"}, {kArpRange, 0, "1"}, {kArpRange, 3, "4"},
        {kGlobalMidiChannel, 15, "16"}, {kCurrentPatch, 9, "09"}, {kCurrentPatch, 10, "10"}, {kLibSyncTimer, 9, " 9"}};
    for (const auto& [index, value, text] : texts)
        EXPECT_EQ(param(index)->GetDisplayText(value), text) << index;
    EXPECT_EQ(std::tuple(param(kGlobalMidiChannel)->GetNDisplayTexts(), control(kArpMode),
                  logged("Values for Lonely not defined!\n"), param(kCurrentPatch)->GetNDisplayTexts()),
        std::tuple(16, nullptr, true, 99));
    IControl* hidden = control(kLibSyncTimer);
    EXPECT_TRUE(hidden->GetText()->mColor.A == 0 && !hidden->GetPromptDisabled());
    EXPECT_EQ(control(kCurrentPatch)->GetText()->mColor, IColor(255, 10, 10, 10));
}

TEST_F(Factories, NameDisplaysStartWithTheirTextAndLimitTheTypedLength)
{
    loadUi("<dropMenu type='nameSelection' name='Name' paramId='kPatchName' bounds='0,0,100,13' nameLen='16'/>"
           "<dropMenu type='nameSelection' name='Find' paramId='kPatchSearchString' bounds='0,0,100,13' nameLen='20'/>"
           "<dropMenu type='textSelection' name='Pick' paramId='kDataType' bounds='0,0,100,13'/>");
    EXPECT_EQ(std::tuple(param(kPatchName)->GetDisplayText(0), control(kPatchName)->GetTextEntryLength(),
                  param(kPatchSearchString)->GetDisplayText(0), param(kDataType)->GetDisplayText(0)),
        std::tuple("-- INIT --", 16, "search...", "----"));
    EXPECT_TRUE(param(kPatchName)->Type() == IParam::kTypeText && control(kDataType)->GetPromptDisabled());
    EXPECT_EQ(control(kPatchSearchString)->GetText()->mColor, IColor(255, 225, 225, 225));
}

// The active cell is drawn from the second frame of the strip.
TEST_F(Factories, RadioDrawsTheActiveCellLeftClicksSelectAndPushTwiceAndRightOrMissedClicksOnlyPushTheValue)
{
    loadUi("<radio paramId='kPatternStep01Event' imageId='BUTTON_LOCK_WHITE_ID' position='0,0' buttons='4'/>"
           "<radio paramId='kPatternStep02Event' imageId='BUTTON_LOCK_WHITE_ID' position='0,40' buttons='1'/>"
           "<radio paramId='kPatternStep04Event' imageId='BUTTON_LOCK_WHITE_ID' position='0,120' buttons='4097'/>");
    auto* radio = dynamic_cast<ICustomRadioButtonsControl*>(control(kPatternStep01Event));
    ASSERT_TRUE(radio && radio->NButtons() == 4);
    EXPECT_EQ(std::pair(*radio->GetRECT(), *radio->GetButtonRECT(3)),
        std::pair(IRECT(0, 0, 200, 30), IRECT(150, 0, 200, 30)));
    EXPECT_EQ(param(kPatternStep01Event)->GetMax(), 3.0);
    IMouseMod left(true), right(false, true);
    const size_t before = plug.fromGUI.size();
    radio->OnMouseDown(120, 10, &left);
    EXPECT_DOUBLE_EQ(radio->GetValue(), 2.0 / 3.0);
    const size_t pushes = plug.fromGUI.size();
    ASSERT_EQ(pushes, before + 2);  // a left click pushes twice
    EXPECT_EQ(action(kPatternStep01Event)->kind, kActionNone);  // so nothing reaches the synth twice
    radio->OnMouseDown(10, 10, &right);
    radio->OnMouseDblClick(10, 10, &left);
    EXPECT_DOUBLE_EQ(radio->GetValue(), 2.0 / 3.0);
    EXPECT_EQ(plug.fromGUI.size(), pushes + 1);
    IRECT all(0, 0, 1500, 757);
    gui->Draw(&all);
    for (int cell = 0; cell < 4; ++cell)
        EXPECT_EQ(gui->GetPoint(25 + 50 * cell, 15), radioCellColour(cell == 2 ? 1 : 0, cell)) << cell;

    auto* single = dynamic_cast<ICustomRadioButtonsControl*>(control(kPatternStep02Event));
    ASSERT_NE(single, nullptr);
    single->SetValue(1.0);
    single->OnMouseDown(10, 50, &left);
    EXPECT_TRUE(single->GetValue() == 0.0 && !control(kPatternStep04Event) && logged("has 4097 buttons")) << output;
}

TEST_F(Factories, ClearingTheImageCacheKeepsTheTableAndRefreshesTheBitmapsControlsHold)
{
    loadUi("<radio paramId='kPatternStep01Event' imageId='BUTTON_LOCK_WHITE_ID' position='0,0' buttons='4'/>");
    const IBitmap strip = config.getImageByName(gui, "BUTTON_LOCK_WHITE_ID");
    ZUVE_FillRect(strip.mData, 0, 0, strip.W, strip.H, 0, 1.0f, ZUVE_BLIT_MODE_COPY);  // spoilt under the control
    const size_t images = config.imageCount();
    quietly([&] { config.ClearImageCache(); });
    EXPECT_EQ(config.imageCount(), images);
    EXPECT_EQ(config.getImageByName(gui, "BUTTON_LOCK_WHITE_ID").mData, strip.mData);
    // A knob strip's frame count and the arpeggiator radio's side-by-side frames still reach the bitmap a control
    // gets by name; an unknown name gets an empty one-frame bitmap.
    for (const auto& [name, id, frames, horizontal] : {std::tuple("KNOB_ID127", 123, 128, false),
             std::tuple("BTN_RADIO_ARP_ID", 140, 2, true), std::tuple("NO_SUCH_IMAGE", 0, 1, false)}) {
        IBitmap got;
        quietly([&, imageName = name] { got = config.getImageByName(gui, imageName); });
        ZUVE_IBitmap* const data = id ? gui->getImageById(id).mData : nullptr;
        EXPECT_TRUE(got.mData == data && (data || !id) && got.N == frames && got.mFramesAreHorizontal == horizontal)
            << name;
    }
    IRECT all(0, 0, 1500, 757);
    gui->Draw(&all);
    EXPECT_EQ(gui->GetPoint(25, 15), radioCellColour(1, 0));  // value 0: the first cell is the active one
}

TEST_F(Factories, AutoOffSwitchIsReturnedAndScaledOnce)
{
    loadUi("", kSysEx, 1.25);
    IControl* button = config.createAutoOffSwitchControl("Cancel", kCancelDataRequestParam, 100, 40,
        "BTN_ON_OFF_ARP_ID", -1, nullptr, "");
    ASSERT_NE(dynamic_cast<IContactControl*>(button), nullptr);
    EXPECT_EQ(std::tuple(*button->GetRECT(), action(kCancelDataRequestParam)->kind),
        std::tuple(IRECT(125, 50, 150, 75), kActionNone));
}

}  // namespace

#pragma once
// The UI configuration manager: reads the two enciphered configuration
// resources once, while the editor is constructed, and builds from them the
// editor's parameters, layers, controls, value lists, SysEx templates, images
// and the MIDI binding (ControlAction) of every control. It also holds the
// four control-lookup containers the incoming MIDI paths search.
//
// Threads: everything is built on the host's main thread inside the editor's
// constructor, before any MIDI worker exists and before the window opens.
// Afterwards the tables, the templates and the three control containers are
// only read (main, MIDI input, host MIDI and worker threads) without a lock;
// the patch-data container guards itself (see patchDataContainer.h).

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CCControlContainer.h"
#include "ControlAction.h"
#include "IGraphicsStructs.h"
#include "NRPNControlContainer.h"
#include "SysExContainer.h"
#include "SysExControlContainer.h"
#include "patchDataContainer.h"

class ControlLayer;
class DebuggerOutput;
class IControl;
class IGraphics;
class IParam;
class IPluginBase;
class PatchLibrarian;
class Zelto2X;
namespace tinyxml2 {
class XMLDocument;
class XMLElement;
class XMLNode;
}

// An image of the image table: its resource id, its frame count and whether
// the frames lie side by side.
struct ImageInfo {
    int id;
    int frames;
    bool horizontal;
};

class UIConfigManager {
public:
    // Builds the librarian view of the `patchBrowser` element at (x, y) in rect
    // with its bitmap; the editor supplies it because the view is the
    // librarian's class. Returns the control (the caller attaches it) or null.
    using LibrarianViewFactory = std::function<IControl*(int x, int y, IBitmap* bitmap, IRECT rect)>;

    UIConfigManager() = default;
    ~UIConfigManager();
    UIConfigManager(const UIConfigManager&) = delete;
    UIConfigManager& operator=(const UIConfigManager&) = delete;

    // Where LOG lines go; nothing is written while enabled is false.
    void setDebugLog(DebuggerOutput* output, bool enabled, const std::string& logFilePath);

    // ---- Parameter name table (main thread) ----
    // Registers every parameter name of the editor.
    void initParams();
    // Adds name -> index; a name already present keeps its first index.
    void mapParamToString(const std::string& name, int index);
    // The index of name (exact spelling), or -1.
    int getParamByName(const std::string& name);
    std::size_t paramNameCount() const { return m_paramNames.size(); }

    // ---- Configuration (main thread, once, from the editor's constructor) ----
    // Reads the SysEx map, the images and the panel configuration and builds
    // every parameter, layer and control on the graphics surface.
    void readUIConfig(IGraphics* graphics, Zelto2X* editor, PatchLibrarian* librarian, int colourScheme, double scale);
    // The same for any plug-in (the editor's form calls it): resources are
    // loaded through graphics, parameters are those of plug.
    void readConfiguration(IGraphics* graphics, IPluginBase* plug, double scale);
    // Set before readUIConfig; without it a `patchBrowser` element builds nothing.
    void setLibrarianViewFactory(LibrarianViewFactory factory) { m_librarianViewFactory = std::move(factory); }
    // The librarian view built from the configuration, or null.
    IControl* librarianView() const { return m_librarianView; }
    PatchLibrarian* librarian() const { return m_librarian; }
    double scale() const { return m_scale; }

    // ---- Lookups for the editor (main thread after start-up; read-only) ----
    // The layer the configuration built under that name, or null.
    ControlLayer* getLayerByName(const std::string& name) const;
    const std::map<std::string, ControlLayer*>& layerTable() const { return m_layerTable; }
    // The first control the configuration bound to the parameter, or null.
    IControl* getFirstControlForParam(int paramIdx) const;
    // The parameter's MIDI binding, or null (also for an index out of range).
    ControlAction* getControlAction(int paramIdx) const;
    // The named value list; a name not in the table gets an empty list (main thread only).
    const std::vector<std::string>& getValueList(const std::string& name);
    // Read-only look-up for other threads: null when the list is not there.
    const std::vector<std::string>* findValueList(const std::string& name) const;
    const std::vector<SysExContainer>& sysExTemplates() const { return m_sysExTemplates; }

    // ---- Images ----
    void initImages(IGraphics* graphics);
    void preloadImage(IGraphics* graphics, int id, const char* name, const char* file, int frames, bool horizontal);
    // The bitmap of an image of the table, or an empty one (1 frame, 0 x 0) and a printed line.
    IBitmap getImageByName(IGraphics* graphics, const std::string& name);
    // The table entry of name, or null.
    const ImageInfo* findImageInfo(const std::string& name) const;
    std::size_t imageCount() const { return m_images.size(); }
    // Main thread. Decodes every image of the table again into the bitmap the
    // cache holds for it, in place: controls keep drawing the same bitmaps
    // (never a freed one) and the table keeps every name.
    void ClearImageCache();

    // ---- Reading (reader files) ----
    // "resources/sysex.tea" into the SysEx template list.
    void readSysexValues();
    // The `valueLists` of the parsed UI configuration into the value-list table.
    void readReasources(tinyxml2::XMLDocument* document);
    // Handles node and every sibling element after it with the same layer and offset.
    void processXMLElement(tinyxml2::XMLNode* node, ControlLayer* layer, int layerOffset);
    // Loads a resource through the surface and deciphers it: the plain text,
    // ending at its first zero byte. Empty when the resource cannot be loaded.
    std::string loadConfigText(int id, const char* name);

    // ---- Text parsers ----
    // Appends the maximal runs of characters not in delimiters.
    static void Tokenize(const std::string& text, std::vector<std::string>& tokens, const std::string& delimiters);
    // Up to count comma-separated decimal integers into values; slots that the
    // text does not give (past its last token, or a token that is no number)
    // keep what they held.
    static void getCSValues(const char* text, int* values, int count);
    // Two parameter names and an optional number, comma-separated; both
    // indexes get the offset added once when it is 0 or more; an unknown name
    // stays -1.
    void getBiDirectLinkValues(const char* text, LinkInfo* link, int offset);
    // Blank-separated hexadecimal bytes; a token that is no number gives 0.
    static std::vector<int32_t> convertStringSysextoVector(const std::string& text);

    // ---- Control actions and parameter binding ----
    // "Timbre n[:group]" inside a multilayer copy, the group itself outside.
    std::string getParamGroup(int layerOffset, const std::string& group) const;
    // The parameter's display name: "[n] name" inside a multilayer copy.
    static std::string displayName(int layerOffset, const std::string& name);
    // Fills out->messages with count messages made from the template, the
    // changing byte (counted from 1) running from start (after 127 it wraps to
    // 0 once); start -1 puts the template itself first; inside the second
    // timbre copy (offset 1) the address bytes 4 and 5 move to its address.
    // Every byte written is kept to 7 bits. An empty template, a changing byte
    // outside it, a template too short for the timbre address or a count above
    // 256 gives an empty list and a printed line.
    void calculateSysexWithChangingByte(const std::string& sysexTemplate, int changingByte, int count,
        ControlActionSysExMessage* out, int start, int layerOffset);

    // ---- Knob and slider factories (each returns the control, or null when nothing was built) ----
    IControl* createSysExKnobControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
        double defaultVal, double minVal, double maxVal, double step, int msgZeroVal, int sysexIndex,
        int changingByte, int layerOffset, LinkInfo link, ControlLayer* layer, const std::string& group);
    IControl* createSysExKnobControl2(const std::string& name, int paramIdx, int x, int y, const std::string& image,
        double defaultVal, double minVal, double maxVal, double step, int msgZeroVal, int sysexIndex,
        int changingByte, int layerOffset, LinkInfo link, ControlLayer* layer, const std::string& group);
    IControl* createCCKnobControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x, int y,
        const std::string& image, double defaultVal, double minVal, double maxVal, double step, LinkInfo link,
        int layerOffset, ControlLayer* layer, const std::string& group);
    IControl* createMsbLsbKnobControl(int ccNumber, int msbValue, int lsbValue, int lsbControl, int channel,
        const std::string& name, int paramIdx, int x, int y, const std::string& image, double defaultVal,
        double minVal, double maxVal, double step, LinkInfo link, int layerOffset, ControlLayer* layer,
        const std::string& group);
    IControl* createNoValKnobControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
        double defaultVal, double minVal, double maxVal, double step, int layerOffset, ControlLayer* layer,
        const std::string& group);
    IControl* createCCSliderControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x, int y,
        int length, const std::string& image, double defaultVal, double minVal, double maxVal, LinkInfo link,
        int layerOffset, ControlLayer* layer, const std::string& group, EDirection direction, bool unused);
    IControl* createSysExSliderControl(const std::string& name, int paramIdx, int x, int y, int length,
        const std::string& image, double defaultVal, double minVal, double maxVal, double step, int msgZeroVal,
        int sysexIndex, int changingByte, int layerOffset, LinkInfo link, ControlLayer* layer,
        const std::string& group, EDirection direction, bool unused);

    // ---- Button and switch factories ----
    IControl* createSysExBoolControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
        double defaultVal, int msgZeroVal, int sysexIndex, int changingByte, int layerOffset, LinkInfo link,
        ControlLayer* layer, const std::string& group);
    IControl* createCCBoolControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x, int y,
        const std::string& image, double defaultVal, double offValue, double onValue, LinkInfo link,
        int layerOffset, ControlLayer* layer, const std::string& group);
    IControl* createMsbLsbBoolControl(int ccNumber, int msbValue, int lsbValue, int lsbControl, int channel,
        const std::string& name, int paramIdx, int x, int y, const std::string& image, double defaultVal,
        double offValue, double onValue, LinkInfo link, int layerOffset, ControlLayer* layer,
        const std::string& group);
    IControl* createBoolControl(const std::string& name, int paramIdx, int defaultVal, int x, int y,
        const std::string& image, int layerOffset, ControlLayer* layer, const std::string& group);
    IControl* createSwitchControl(const std::string& name, int paramIdx, int defaultVal, int x, int y,
        const std::string& image, int layerOffset, ControlLayer* layer, const std::string& group);
    // A momentary button the editor builds for itself; null when it cannot be built.
    IControl* createAutoOffSwitchControl(const std::string& name, int paramIdx, int x, int y,
        const std::string& image, int layerOffset, ControlLayer* layer, const std::string& group);
    IControl* createNoValBoolControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
        double defaultVal, int layerOffset, ControlLayer* layer, const std::string& group);
    IControl* createRadioControl(const std::string& name, int paramIdx, int x, int y, const std::string& image,
        int nButtons, int layerOffset, ControlLayer* layer, const std::string& group);

    // ---- Menu and display factories ----
    IControl* createMultiSelectionCCControl(int ccNumber, int channel, const std::string& name, int paramIdx, int x,
        int y, int w, int h, int defaultVal, int minVal, int maxVal, int firstDisplay, int lastDisplay,
        std::vector<std::string> values, int layerOffset, ControlLayer* layer, const std::string& group);
    IControl* createMsbLsbSelectionCCControl(int ccNumber, int msbValue, int lsbValue, int lsbControl, int channel,
        const std::string& name, int paramIdx, int x, int y, int w, int h, int defaultVal, int minVal, int maxVal,
        int firstDisplay, int lastDisplay, std::vector<std::string> values, int layerOffset, ControlLayer* layer,
        const std::string& group);
    IControl* createMultiSelectionSysExControl(const std::string& name, int paramIdx, int x, int y, int w, int h,
        int defaultVal, int minVal, int maxVal, int firstDisplay, int lastDisplay, std::vector<std::string> values,
        int msgZeroVal, int color, int sysexIndex, int changingByte, int layerOffset, ControlLayer* layer,
        const std::string& group);
    IControl* createNoValDropDown(const std::string& name, int paramIdx, int x, int y, int w, int h, int defaultVal,
        int minVal, int maxVal, int firstDisplay, int lastDisplay, int visible, std::vector<std::string> values,
        int layerOffset, ControlLayer* layer, const std::string& group, bool white);
    IControl* createDropDownMenu2(const std::string& name, int paramIdx, int x, int y, int w, int h, int defaultVal,
        int minVal, int maxVal, std::vector<std::string> values, int layerOffset, ControlLayer* layer,
        const std::string& group);
    IControl* createDropDownMenu(const std::string& name, int paramIdx, int x, int y, int w, int h, int layerOffset,
        ControlLayer* layer, const std::string& group);
    IControl* createMIDIDeviceSelectionControl(const std::string& name, int paramIdx, int x, int y, int w, int h,
        int inputFlag, int layerOffset, ControlLayer* layer, const std::string& group);
    IControl* createNameDisplay(const std::string& name, int paramIdx, int x, int y, int w, int h, int nameLength,
        int layerOffset, ControlLayer* layer, const std::string& group);
    IControl* createControlDisplay(const std::string& name, int paramIdx, int x, int y, int w, int h,
        int layerOffset, ControlLayer* layer, const std::string& group, int displayStyle);

    // ---- Control-lookup containers ----
    SysExControlContainer sysExControls;
    NRPNControlContainer nrpnControls;
    CCControlContainer ccControls;
    patchDataContainer patchData;

private:
    void logLine(const std::string& text);

    // Longest message list or menu a control may have: every 7-bit value twice over.
    static constexpr int kMaxMessageCount = 256;
    static constexpr int kMaxValueCount = 4096;
    // Shared steps of the factories.
    int scaled(int v) const;
    // Number of integer values from minVal to maxVal, limited to 0..kMaxValueCount.
    static int valueCount(int minVal, int maxVal);
    IParam* paramFor(int paramIdx, const std::string& name) const;
    // The parameter of a knob or slider, or of a switch, initialised under
    // shownName in group; null when the index is missing.
    IParam* initDoubleParam(int paramIdx, const std::string& name, const std::string& shownName, double defaultVal,
        double minVal, double maxVal, double step, const std::string& group) const;
    IParam* initBoolParam(int paramIdx, const std::string& name, const std::string& shownName, bool defaultVal,
        const std::string& group) const;
    // Appends the control to the layer, or attaches it to the surface without one.
    void place(IControl* control, ControlLayer* layer);
    // Takes or creates the parameter's action with kind, appends the control
    // and stores the action in the parameter.
    ControlAction* bindAction(IParam* param, int kind, IControl* control);
    // Records the link on the action and the reverse link on the linked parameter.
    void recordLink(ControlAction* action, int paramIdx, const LinkInfo& link);
    // The SysEx message list of template sysexIndex; false (and a printed line) when there is none.
    bool buildSysExMessages(int sysexIndex, int changingByte, int count, int start, int layerOffset,
        ControlActionSysExMessage* out);
    void fileSysExControl(const ControlActionSysExMessage& sysEx, int changingByte, IControl* control);
    // Binds an action of kind with count messages from template sysexIndex and
    // files the control under their address.
    ControlAction* bindSysExAction(IParam* param, int kind, IControl* control, int sysexIndex, int changingByte,
        int count, int start, int layerOffset);
    // Binds an action of kind to a CC number, applies the channel rule and
    // files the control under channel, number and group.
    ControlAction* bindCCAction(IParam* param, int kind, IControl* control, const ControlLayer* layer, int ccNumber,
        int channel, int layerOffset, int mixerGroup);
    // The NRPN form: a CC number with its MSB, LSB and LSB-control values.
    struct NRPNAddress {
        int ccNumber, msbValue, lsbValue, lsbControl;
    };
    ControlAction* bindNRPNAction(IParam* param, IControl* control, const ControlLayer* layer,
        const NRPNAddress& address, int channel, int layerOffset, int mixerGroup, bool withAdditionalPages);
    // The channel rule: channel and group of a CC or NRPN control.
    void applyChannelRule(ControlAction* action, const ControlLayer* layer, int channelAttr, int layerOffset,
        int mixerGroup, bool withAdditionalPages) const;
    // Display texts of a menu: the list when it has exactly n texts, else the
    // numbers from firstDisplay (pad one-digit numbers with padChar unless 0).
    // False when neither applies.
    bool setMenuTexts(IParam* param, int n, const std::vector<std::string>& values, int firstDisplay,
        int lastDisplay, bool numbersAllowed, char padChar) const;
    // Where a menu's texts come from (see setMenuTexts).
    struct MenuTexts {
        const std::vector<std::string>& values;
        int firstDisplay, lastDisplay;
        bool numbersAllowed;
        char padChar;
    };
    // The enum parameter of a menu with n entries and their texts; null when
    // the parameter is missing, or when the texts are ("Values for <name> not
    // defined!" and lineEnd printed).
    IParam* initMenuParam(int paramIdx, const std::string& name, const std::string& shownName, int defaultVal,
        int n, const std::string& group, const MenuTexts& texts, const char* lineEnd);
    IControl* buildKnob(const std::string& image, int paramIdx, int x, int y, ControlLayer* layer);
    IControl* buildFader(const std::string& image, int paramIdx, int x, int y, int length, EDirection direction,
        ControlLayer* layer);
    IControl* buildSwitch(const std::string& image, int paramIdx, int x, int y, ControlLayer* layer, bool momentary);
    // A caption; with a prompt, a field that opens empty while it shows the prompt.
    IControl* buildCaption(int paramIdx, int x, int y, int w, int h, const IColor& colour, bool promptEnabled,
        ControlLayer* layer, const char* prompt = nullptr);
    void noteControl(int paramIdx, IControl* control);
    // One element of the tree walk, its shared attributes already read.
    void processControlElement(tinyxml2::XMLElement* element, const std::string& image, int paramIdx,
        const std::string& group, ControlLayer* layer, int layerOffset);
    void processPanelElement(tinyxml2::XMLElement* element, const char* name, const std::string& image, int paramIdx,
        const std::string& group, ControlLayer* layer, int layerOffset);
    void addLayer(ControlLayer* newLayer, ControlLayer* parent);
    // The index a `paramId` names in the current copy: -1 for none, kSkipElement
    // when it lies outside the parameter table.
    static constexpr int kSkipElement = -2;
    int parameterIndexOf(const std::string& paramId, int layerOffset);

    std::map<std::string, int> m_paramNames;
    std::map<std::string, ControlLayer*> m_layerTable;
    std::map<std::string, std::vector<std::string>> m_valueLists;
    std::map<std::string, ImageInfo> m_images;
    std::vector<SysExContainer> m_sysExTemplates;
    std::map<int, IControl*> m_firstControlByParam;
    std::vector<std::unique_ptr<ControlAction>> m_actions;
    double m_scale = 1.0;
    int m_layerCopiesMade = 0;
    bool m_releaseImages = false;  // while set, preloading reloads instead of recording
    IGraphics* m_graphics = nullptr;
    IPluginBase* m_plug = nullptr;
    Zelto2X* m_editor = nullptr;
    PatchLibrarian* m_librarian = nullptr;
    IControl* m_librarianView = nullptr;
    LibrarianViewFactory m_librarianViewFactory;
    DebuggerOutput* m_debugOutput = nullptr;
    bool m_debugEnabled = false;
    std::string m_logFilePath;
};

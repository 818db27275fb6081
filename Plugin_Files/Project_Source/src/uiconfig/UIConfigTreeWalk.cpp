// The walk over the UI configuration tree: layers, multilayer copies, panel
// elements and the MIDI control elements, each handed to its factory.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <tinyxml2.h>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "IPluginBase.h"
#include "UIConfigManager.h"

namespace {

const char* const kLayerElements[] = {
    "layer", "fxlayer", "eg2layer", "lfo1layer", "lfo2layer", "voicelayer", "osccontrollayer",
    "modseq1layer", "modseq2layer", "modseq3layer",
};
const char* const kControlElements[] = {"knobcontrol", "buttoncontrol", "menucontrol", "slidercontrol"};

template <size_t N>
bool isOneOf(const char* name, const char* const (&names)[N])
{
    for (const char* candidate : names) {
        if (std::strcmp(name, candidate) == 0)
            return true;
    }
    return false;
}

std::string text(const tinyxml2::XMLElement* element, const char* attribute)
{
    const char* value = element->Attribute(attribute);
    return value ? value : "";
}

int integer(const tinyxml2::XMLElement* element, const char* attribute)
{
    return element->IntAttribute(attribute, 0);
}

// A comma-separated list attribute: four ints, 0 where the text gives none.
struct Ints {
    int v[4] = {0, 0, 0, 0};
    Ints(const tinyxml2::XMLElement* element, const char* attribute)
    {
        UIConfigManager::getCSValues(element->Attribute(attribute), v, 4);
    }
    int operator[](int i) const { return v[i]; }
};

// The two numbers of a `valueDisplay` text "first:last"; both -1 unless it has exactly two pieces.
void valueDisplay(const tinyxml2::XMLElement* element, int* first, int* last)
{
    *first = *last = -1;
    std::vector<std::string> pieces;
    UIConfigManager::Tokenize(text(element, "valueDisplay"), pieces, ":");
    if (pieces.size() != 2)
        return;
    int* targets[2] = {first, last};
    for (int i = 0; i < 2; ++i) {
        const char* begin = pieces[static_cast<size_t>(i)].c_str();
        char* end = nullptr;
        const long value = std::strtol(begin, &end, 10);
        if (end != begin)
            *targets[i] = static_cast<int>(value);
    }
}

}  // namespace

int UIConfigManager::parameterIndexOf(const std::string& paramId, int layerOffset)
{
    if (paramId.empty())
        return -1;
    std::vector<std::string> pieces;
    Tokenize(paramId, pieces, "+");
    if (pieces.empty())
        return -1;
    const int base = getParamByName(pieces[0]);
    if (base < 0)
        return -1;  // an unknown name names no parameter, whatever offset follows
    long long index = base + (layerOffset >= 0 ? layerOffset : 0);
    if (pieces.size() > 1)
        index += std::strtol(pieces[1].c_str(), nullptr, 10) % (1L << 30);
    if (index < 0 || index >= m_plug->NParams()) {
        std::printf("parameter %s gives index %lld, outside the parameter table: element skipped\n",
            paramId.c_str(), index);
        return kSkipElement;
    }
    return static_cast<int>(index);
}

void UIConfigManager::addLayer(ControlLayer* newLayer, ControlLayer* parent)
{
    if (parent)
        parent->AddLayer(newLayer);
    else
        m_graphics->AttachLayer(newLayer);
}

void UIConfigManager::processXMLElement(tinyxml2::XMLNode* node, ControlLayer* layer, int layerOffset)
{
    tinyxml2::XMLElement* element = node ? node->ToElement() : nullptr;
    if (node && !element)
        element = node->NextSiblingElement();
    // Siblings one after the other; only layers nest deeper.
    for (; element; element = element->NextSiblingElement()) {
        const char* name = element->Name();
        const std::string image = text(element, "imageId");
        const std::string group = text(element, "paramGroup");
        const int paramIdx = parameterIndexOf(text(element, "paramId"), layerOffset);
        if (paramIdx == kSkipElement)
            continue;

        if (std::strcmp(name, "patchBrowser") == 0) {
            const Ints bounds(element, "bounds");
            const int left = scaled(bounds[0]), top = scaled(bounds[1]);
            const IRECT rect(left, top, left + scaled(bounds[2]), top + scaled(bounds[3]));
            IBitmap bitmap = getImageByName(m_graphics, image);
            IControl* view = m_librarianViewFactory ? m_librarianViewFactory(left, top, &bitmap, rect) : nullptr;
            if (!view) {
                std::printf("patchBrowser: no librarian view to build\n");
                continue;
            }
            m_librarianView = view;
            place(view, layer);
        } else if (isOneOf(name, kLayerElements)) {
            auto* newLayer = new ControlLayer(integer(element, "id"), text(element, "name"));
            addLayer(newLayer, layer);
            m_layerTable[newLayer->GetName()] = newLayer;
            processXMLElement(element->FirstChild(), newLayer, layerOffset);
            // After the children: the outermost layer's flag reaches every layer inside it.
            newLayer->setIgnoreHiddenWhenUpdatingScreen(text(element, "overlay") == "true");
        } else if (std::strcmp(name, "multilayer") == 0) {
            const int copies = integer(element, "create");
            const std::string base = text(element, "name");
            // Copies nest and multiply: one budget for the whole configuration
            // keeps a broken count from building layers without end.
            if (copies > kMaxValueCount - m_layerCopiesMade) {
                std::printf("multilayer '%s' wants %d copies: nothing built\n", base.c_str(), copies);
                continue;
            }
            m_layerCopiesMade += copies > 0 ? copies : 0;
            for (int i = 0; i < copies; ++i) {
                auto* copy = new ControlLayer(i, base + std::to_string(i));
                processXMLElement(element->FirstChild(), copy, i);
                m_layerTable[copy->GetName()] = copy;
                addLayer(copy, layer);
            }
        } else if (isOneOf(name, kControlElements)) {
            processControlElement(element, image, paramIdx, group, layer, layerOffset);
        } else {
            processPanelElement(element, name, image, paramIdx, group, layer, layerOffset);
        }
    }
}

void UIConfigManager::processPanelElement(tinyxml2::XMLElement* element, const char* name, const std::string& image,
    int paramIdx, const std::string& group, ControlLayer* layer, int layerOffset)
{
    const std::string label = text(element, "name");
    const std::string type = text(element, "type");
    if (std::strcmp(name, "background") == 0) {
        const Ints position(element, "position");
        IBitmap bitmap = getImageByName(m_graphics, image);
        place(new IBitmapControl(m_plug, scaled(position[0]), scaled(position[1]), -1, &bitmap), layer);
    } else if (std::strcmp(name, "display") == 0) {
        const Ints bounds(element, "bounds");
        createControlDisplay("Display", paramIdx, bounds[0], bounds[1], bounds[2], bounds[3], layerOffset, layer,
            group, Ints(element, "displaySize")[0]);
    } else if (std::strcmp(name, "switch") == 0) {
        const Ints position(element, "position");
        createBoolControl(label, paramIdx, Ints(element, "valueBounds")[0], position[0], position[1], image,
            layerOffset, layer, group);
    } else if (std::strcmp(name, "autooff") == 0) {
        const Ints position(element, "position");
        createSwitchControl(label, paramIdx, 0, position[0], position[1], image, layerOffset, layer, group);
    } else if (std::strcmp(name, "dropMenu") == 0) {
        const Ints b(element, "bounds");
        if (type == "textSelection") {
            createDropDownMenu(label, paramIdx, b[0], b[1], b[2], b[3], layerOffset, layer, group);
        } else if (type == "deviceSelection") {
            createMIDIDeviceSelectionControl("MIDI Setup", paramIdx, b[0], b[1], b[2], b[3],
                Ints(element, "inputDev")[0], layerOffset, layer, group);
        } else if (type == "nameSelection") {
            createNameDisplay(label, paramIdx, b[0], b[1], b[2], b[3], integer(element, "nameLen"), layerOffset,
                layer, group);
        } else if (type == "dropSelection") {
            const Ints vb(element, "valueBounds");
            createDropDownMenu2(label, paramIdx, b[0], b[1], b[2], b[3], vb[0], vb[1], vb[2],
                getValueList(text(element, "valueList")), layerOffset, layer, group);
        }
    } else if (std::strcmp(name, "multiFx") == 0) {
        const Ints p(element, "position");
        const Ints vb(element, "valueBounds");
        if (type == "Knob") {
            createNoValKnobControl(label, paramIdx, p[0], p[1], image, vb[0], vb[1], vb[2], vb[3], layerOffset,
                layer, group);
        } else if (type == "Menu") {
            int first, last;
            valueDisplay(element, &first, &last);
            createNoValDropDown(label, paramIdx, p[0], p[1], p[2], p[3], vb[0], vb[1], vb[2], first, last,
                integer(element, "visible"), getValueList(text(element, "valueList")), layerOffset, layer, group,
                integer(element, "white") != 0);
        } else if (type == "Switch") {
            createNoValBoolControl(label, paramIdx, p[0], p[1], image, vb[0], layerOffset, layer, group);
        }
    } else if (std::strcmp(name, "radio") == 0) {
        const Ints position(element, "position");
        createRadioControl(label, paramIdx, position[0], position[1], image, integer(element, "buttons"),
            layerOffset, layer, group);
    }
    // Any other element name builds nothing.
}

void UIConfigManager::processControlElement(tinyxml2::XMLElement* element, const std::string& image, int paramIdx,
    const std::string& group, ControlLayer* layer, int offset)
{
    const std::string type = text(element, "type");
    const std::string name = text(element, "name");
    const Ints p(element, "position");
    const int length = integer(element, "length");
    const Ints vb(element, "valueBounds");
    const int changingByte = integer(element, "changingByte");
    LinkInfo link;
    getBiDirectLinkValues(element->Attribute("biDirectLink"), &link, offset);
    int first, last;
    valueDisplay(element, &first, &last);
    const std::string listName = text(element, "valueList");
    const int cc = integer(element, "ccNumber");
    const int msb = integer(element, "msbValue");
    const int lsb = integer(element, "lsbValue");
    const int channel = integer(element, "channel");
    const int lsbControl = integer(element, "lsbControl");
    const int sysexIndex = integer(element, "sysexIndex");
    const int zero = integer(element, "msgZeroVal");
    const int color = integer(element, "color");
    const int x = p[0], y = p[1], w = p[2];
    // Menus get the fixed caption height 13, their text size.
    constexpr int kMenuHeight = 13;

    if (type == "seKnob") {
        createSysExKnobControl(name, paramIdx, x, y, image, vb[0], vb[1], vb[2], vb[3], zero, sysexIndex, changingByte,
            offset, link, layer, group);
    } else if (type == "seKnob2") {
        createSysExKnobControl2(name, paramIdx, x, y, image, vb[0], vb[1], vb[2], vb[3], zero, sysexIndex,
            changingByte, offset, link, layer, group);
    } else if (type == "seSliderVer" || type == "seSliderHor") {
        createSysExSliderControl(name, paramIdx, x, y, length, image, vb[0], vb[1], vb[2], vb[3], zero, sysexIndex,
            changingByte, offset, link, layer, group, type == "seSliderVer" ? kVertical : kHorizontal, false);
    } else if (type == "seButton") {
        createSysExBoolControl(name, paramIdx, x, y, image, vb[0], zero, sysexIndex, changingByte, offset, link,
            layer, group);
    } else if (type == "ccSliderVer" || type == "ccSliderHor") {
        createCCSliderControl(cc, channel, name, paramIdx, x, y, length, image, vb[0], vb[1], vb[2], link, offset,
            layer, group, type == "ccSliderVer" ? kVertical : kHorizontal, false);
    } else if (type == "ccKnob") {
        createCCKnobControl(cc, channel, name, paramIdx, x, y, image, vb[0], vb[1], vb[2], vb[3], link, offset,
            layer, group);
    } else if (type == "ccButton") {
        createCCBoolControl(cc, channel, name, paramIdx, x, y, image, vb[0], vb[1], vb[2], link, offset, layer,
            group);
    } else if (type == "msbLsbKnob") {
        createMsbLsbKnobControl(cc, msb, lsb, lsbControl, channel, name, paramIdx, x, y, image, vb[0], vb[1], vb[2],
            vb[3], link, offset, layer, group);
    } else if (type == "msbLsbButton") {
        createMsbLsbBoolControl(cc, msb, lsb, lsbControl, channel, name, paramIdx, x, y, image, vb[0], vb[1], vb[2],
            link, offset, layer, group);
    } else if (type == "msbLsbMenu") {
        createMsbLsbSelectionCCControl(cc, msb, lsb, lsbControl, channel, name, paramIdx, x, y, w, kMenuHeight,
            vb[0], vb[1], vb[2], first, last, getValueList(listName), offset, layer, group);
    } else if (type == "seMenu") {
        createMultiSelectionSysExControl(name, paramIdx, x, y, w, kMenuHeight, vb[0], vb[1], vb[2], first, last,
            getValueList(listName), zero, color, sysexIndex, changingByte, offset, layer, group);
    } else if (type == "ccMenu") {
        createMultiSelectionCCControl(cc, channel, name, paramIdx, x, y, w, kMenuHeight, vb[0], vb[1], vb[2], first,
            last, getValueList(listName), offset, layer, group);
    }
    // Any other type builds nothing.
}

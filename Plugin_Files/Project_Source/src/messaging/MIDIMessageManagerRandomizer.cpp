// The patch randomizer: a table of random bytes folded into the range of
// every unlocked sound parameter of dump bytes 7..114.

#include <algorithm>
#include <chrono>
#include <random>

#include "EditorParameterSource.h"
#include "IParam.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"
#include "debugger.h"

namespace {

using consolelog::log;

constexpr int kArpClockByte = 46;
constexpr int kLFO1ShapeByte = 26;
constexpr int kFirstStepByte = 97;
constexpr int kLastStepByte = 112;
constexpr int kLFO1ClockOffset = 5;  // kLFO1ShapeClock = kLFO1Shape + 5 while synced to the clock

// Seeded once: two randomizations within one second still differ.
std::function<uint32_t()> defaultRandomSource()
{
    auto engine = std::make_shared<std::mt19937>(static_cast<uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ std::random_device {}()));
    return [engine] { return static_cast<uint32_t>((*engine)()); };
}

}  // namespace

void MIDIMessageManager::setRandomSource(std::function<uint32_t()> source)
{
    m_randomSource = std::move(source);
}

void MIDIMessageManager::randomGenerator()
{
    if (!m_randomSource)
        m_randomSource = defaultRandomSource();
    for (int& entry : randomTable)
        entry = static_cast<int>(m_randomSource() % 256);
}

int MIDIMessageManager::foldIntoRange(int parameter, int value) const
{
    const IParam* param = plug->GetParam(parameter);
    if (!param)
        return 0;
    const int minimum = static_cast<int>(param->GetMin());
    const int maximum = static_cast<int>(param->GetMax());
    const int range = static_cast<int>(param->GetMax() - param->GetMin());
    const int step = maximum == 1 ? 2 : maximum;
    int folded = value;
    if (range <= 0 || step <= 0)
        folded = range > 0 ? value % (range + 1) : 0;
    else
        while (folded > range)
            folded -= step;
    return std::clamp(minimum + folded, minimum, std::max(minimum, maximum));
}

int MIDIMessageManager::randomizer(int parameter, int position)
{
    const int value = position >= 0 && position < kRandomTableSize ? randomTable[position] : 0;
    const int result = foldIntoRange(parameter, value);
    const IParam* param = plug->GetParam(parameter);
    log("Randomizer generated value: %i \n", value);
    log("modified value after range check: %i \n", result);
    if (param)
        log("maximum value: %i \t parameter range: %i \n\n", static_cast<int>(param->GetMax()),
            static_cast<int>(param->GetMax() - param->GetMin()));
    return result;
}

void MIDIMessageManager::randomizePatchSettings(int)
{
    const zsysex::SectionLockState locks = zsysex::SectionLockState::read(EditorParameterSource(*plug));
    log("Patch data is being randomized..!\n");
    for (int b = zsysex::kSoundFirstParameterByte; b <= zsysex::kSoundLastParameterByte; ++b) {
        const zsysex::SoundDumpField* field = zsysex::soundDumpField(b);
        if (!field || field->parameter < 0 || b == kArpClockByte || locks.isLocked(field->lock))
            continue;
        if (b >= kFirstStepByte && b <= kLastStepByte) {
            const int step = b - kFirstStepByte + 1;
            const int v = foldIntoRange(kPatternStep01 + step - 1, randomTable[b]);
            lastStepGlide = v / 64;
            lastStepTime = (v % 64) / 16;
            lastStepEvent = v % 16;
            pushParameter(zsysex::patternStepEventParameter(step), lastStepEvent);
            pushParameter(zsysex::patternStepTimeParameter(step), lastStepTime);
            pushParameter(zsysex::patternStepGlideParameter(step), lastStepGlide);
        } else if (b == kLFO1ShapeByte) {
            // The dump sends kLFO1ShapeClock: it follows the new shape and keeps
            // its clock offset.
            const int shape = foldIntoRange(kLFO1Shape, randomTable[b]);
            const bool synced = plug->paramValue(kLFO1ShapeClock) >= kLFO1ClockOffset;
            pushParameter(kLFO1Shape, shape);
            pushParameter(kLFO1ShapeClock, shape + (synced ? kLFO1ClockOffset : 0));
        } else {
            pushParameter(field->parameter, foldIntoRange(field->parameter, randomTable[b]));
        }
    }
}

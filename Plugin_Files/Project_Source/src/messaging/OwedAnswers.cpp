#include "OwedAnswers.h"

#include <algorithm>

#include "SysExProtocol.h"

namespace {

constexpr unsigned short kMostOwed = 0xFFFF;

unsigned short addCapped(unsigned short count, int more)
{
    return static_cast<unsigned short>(std::min<int>(count + more, kMostOwed));
}

bool validDevice(int device)
{
    return device >= 0 && device < OwedAnswers::kDevices;
}

}  // namespace

OwedAnswers::OwedAnswers() : m_owed(static_cast<size_t>(kDevices * kKeys), 0) {}

int OwedAnswers::keyOf(int bank, int program)
{
    return bank * kKeysPerBank + program;
}

// The sound each form names: bank and program bytes, or the slot that
// soundAddress makes of bank x 100 + program.
OwedAnswers::Readings OwedAnswers::readAddress(int high, int low)
{
    Readings readings;
    if (high == zsysex::kEditBufferAddress.high && low == zsysex::kEditBufferAddress.low) {
        readings.keys[0] = kEditBufferKey;
        return readings;
    }
    if (high <= zsysex::kSoundBankMax && low < zsysex::kProgramsPerBank)
        readings.keys[0] = keyOf(high, low);
    const int slot = high * 128 + low;
    const int bank = slot / zsysex::kProgramsPerBank;
    const int program = slot % zsysex::kProgramsPerBank;
    if (bank > zsysex::kSoundBankMax)
        return readings;
    const zsysex::SoundAddress address = zsysex::soundAddress(bank, program);
    if (address.high == high && address.low == low && keyOf(bank, program) != readings.keys[0])
        readings.keys[readings.keys[0] == kNone ? 0 : 1] = keyOf(bank, program);
    return readings;
}

void OwedAnswers::beginRequest(int bank, int program)
{
    const int key = bank < 0 ? kEditBufferKey
                             : keyOf(std::min(bank, zsysex::kSoundBankMax), std::clamp(program, 0, kKeysPerBank - 1));
    endRequest();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_awaitedKey = key;
}

void OwedAnswers::requestSent(int device)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_awaitedKey != kNone && validDevice(device))
        m_sent[static_cast<size_t>(device)] = addCapped(m_sent[static_cast<size_t>(device)], 1);
}

void OwedAnswers::endRequest()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_awaitedKey == kNone)
        return;
    if (m_answeringDevice != kNone) {
        const size_t d = static_cast<size_t>(m_answeringDevice);
        noteOwed(m_answeringDevice, m_sent[d] - m_answered[d]);
    } else {
        for (int device = 0; device < kDevices; ++device)
            noteOwed(device, m_sent[static_cast<size_t>(device)]);
    }
    m_awaitedKey = kNone;
    m_answeringDevice = kNone;
    m_sent.fill(0);
    m_answered.fill(0);
}

void OwedAnswers::noteOwed(int device, int answers)
{
    if (answers > 0)
        owed(device, m_awaitedKey) = addCapped(owed(device, m_awaitedKey), answers);
}

bool OwedAnswers::takesOwedAnswer(int device, int high, int low)
{
    if (!validDevice(device))
        return false;
    const Readings readings = readAddress(high, low);
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int key : readings.keys) {
        if (key == kNone || key == m_awaitedKey)
            continue;
        if (owed(device, key) > 0) {
            --owed(device, key);
            return true;
        }
    }
    if (m_awaitedKey == kNone)
        return false;
    const bool readsAsAwaited = readings.keys[0] == m_awaitedKey || readings.keys[1] == m_awaitedKey;
    if (readsAsAwaited && owed(device, m_awaitedKey) > 0)
        takeEarlierAnswer(device);
    else if (readsAsAwaited || m_awaitedKey == kEditBufferKey)
        takeOwnAnswer(device);
    return false;
}

void OwedAnswers::takeEarlierAnswer(int device)
{
    --owed(device, m_awaitedKey);
    m_answeringDevice = device;
}

void OwedAnswers::takeOwnAnswer(int device)
{
    const size_t d = static_cast<size_t>(device);
    m_answered[d] = addCapped(m_answered[d], 1);
    m_answeringDevice = device;
    clearDevice(device);
}

void OwedAnswers::deviceAnswered(int device)
{
    if (!validDevice(device))
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    clearDevice(device);
}

void OwedAnswers::clearDevice(int device)
{
    const auto first = m_owed.begin() + device * kKeys;
    std::fill(first, first + kKeys, 0);
}

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

OwedAnswers::Readings OwedAnswers::readAddress(int high, int low)
{
    Readings readings;
    if (high == zsysex::kEditBufferAddress.high && low == zsysex::kEditBufferAddress.low) {
        readings.keys[0] = kEditBufferKey;
        return readings;
    }
    if (high < kBanks && low < zsysex::kProgramsPerBank)
        readings.keys[0] = high * kKeysPerBank + low;
    const int slot = high * 128 + low;
    const int bank = slot / zsysex::kProgramsPerBank;
    // Bank 0 has one form only, the one read above.
    if (bank > 0 && bank < kBanks) {
        const int key = bank * kKeysPerBank + slot % zsysex::kProgramsPerBank;
        readings.keys[readings.keys[0] == kNone ? 0 : 1] = key;
    }
    return readings;
}

void OwedAnswers::beginRequest(int bank, int program)
{
    const int key = bank < 0 ? kEditBufferKey
                             : std::clamp(bank, 0, kBanks - 1) * kKeysPerBank + std::clamp(program, 0, kKeysPerBank - 1);
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
    const auto answering = std::find_if(m_answered.begin(), m_answered.end(), [](unsigned short n) { return n > 0; });
    for (int device = 0; device < kDevices; ++device) {
        const size_t d = static_cast<size_t>(device);
        if (answering != m_answered.end() && d != static_cast<size_t>(answering - m_answered.begin()))
            continue;
        const int left = m_sent[d] - m_answered[d];
        if (left > 0)
            owed(device, m_awaitedKey) = addCapped(owed(device, m_awaitedKey), left);
    }
    m_awaitedKey = kNone;
    m_sent.fill(0);
    m_answered.fill(0);
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
    const bool awaited = m_awaitedKey != kNone
        && std::find(std::begin(readings.keys), std::end(readings.keys), m_awaitedKey) != std::end(readings.keys);
    if (awaited) {
        const size_t d = static_cast<size_t>(device);
        m_answered[d] = addCapped(m_answered[d], 1);
        clearDevice(device);
    }
    return false;
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

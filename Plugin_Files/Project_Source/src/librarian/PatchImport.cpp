#include "PatchImport.h"

#include <algorithm>

#include "PatchLibrarian.h"
#include "SysExProtocol.h"

namespace patchimport {

namespace {

constexpr unsigned char kOlderModel = 0x0B;
constexpr int kShortestMessage = 75;
constexpr int kOlderDumpWithoutName = 76;
constexpr int kNamedUpTo = 77;
constexpr size_t kCurrentDumpWithoutEnd = 136;

}  // namespace

std::string nameFromFilePath(const std::string& path)
{
    if (path.empty())
        return "IMPORTEDSINGLE";
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    // A dump carries printable ASCII only.
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            c = ' ';
    name.resize(zsysex::kSoundNameLength, ' ');
    return name;
}

int readSingleSound(const Bytes& data, int& position, const std::string& path, bool olderModel,
    std::vector<Bytes>& sounds)
{
    return readSingleSound(data.data(), static_cast<int>(data.size()), position, path, olderModel, sounds);
}

int readSingleSound(const unsigned char* data, int length, int& position, const std::string& path, bool olderModel,
    std::vector<Bytes>& sounds)
{
    if (!data || !PatchLibrarian::findByte(data, length, position, zsysex::kManufacturer))
        return position = -1;
    if (position >= length)
        return position = -1;
    const unsigned char model = data[position++];
    if (model != (olderModel ? kOlderModel : zsysex::kModel))
        return position;
    if (position >= length)
        return position = -1;
    const unsigned char device = data[position++];
    const unsigned char* begin = data + position;
    const unsigned char* end = std::find(begin, data + length, zsysex::kEnd);
    if (end == data + length)
        return position = -1;  // an unterminated dump at the end of the file is no sound
    Bytes message {zsysex::kStart, zsysex::kManufacturer, zsysex::kModel, device};
    message.insert(message.end(), begin, end);
    // The byte after F7 belongs to no dump (a dump's own F0 when they follow each other).
    position = static_cast<int>(end - data) + 2;

    const int size = static_cast<int>(message.size());
    if (size < kShortestMessage)
        return position;
    if (!olderModel && message.size() == kCurrentDumpWithoutEnd) {
        // A complete current-model dump: only its end byte was left behind.
        message.push_back(zsysex::kEnd);
        sounds.push_back(std::move(message));
        return position;
    }
    if (size == kShortestMessage)
        message.push_back(0x00);
    if (olderModel && size == kNamedUpTo)
        message.resize(kOlderDumpWithoutName);  // the conversion takes the name at byte 76 from us
    if (static_cast<int>(message.size()) <= kNamedUpTo) {
        const std::string name = nameFromFilePath(path);
        message.insert(message.end(), name.begin(), name.end());
    }
    message.push_back(kCategoryInit);
    message.push_back(zsysex::kEnd);
    if (olderModel) {
        const PatchSysexMessage older {message};
        message = PatchLibrarian::convertPatchToZelto2Format(&older).bytes;
    }
    sounds.push_back(std::move(message));
    return position;
}

std::vector<Bytes> readSingleSounds(const Bytes& data, const std::string& path, bool olderModel)
{
    std::vector<Bytes> sounds;
    int position = 0;
    while (readSingleSound(data, position, path, olderModel, sounds) > 0) {
    }
    return sounds;
}

}  // namespace patchimport

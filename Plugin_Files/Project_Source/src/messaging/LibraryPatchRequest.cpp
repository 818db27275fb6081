#include "LibraryPatchRequest.h"

#include <cctype>

#include "SysExProtocol.h"

bool LibraryPatchRequest::addMessageData(const unsigned char* bytes, int size)
{
    if (!bytes || size <= 0)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    patch.messages.push_back(PatchSysexMessage {std::vector<unsigned char>(bytes, bytes + size)});
    if (size != zsysex::kSoundDumpSize)
        return false;
    complete = 1;
    for (int i = zsysex::kSoundNameByte; i < zsysex::kSoundNameByte + zsysex::kSoundNameLength; ++i)
        patch.name.push_back(static_cast<char>(std::toupper(bytes[i])));
    // The category is read from the dump itself, not from a stray earlier message.
    LibrarianPatch dumpOnly;
    dumpOnly.messages.push_back(patch.messages.back());
    dumpOnly.parseCategory();
    patch.category += dumpOnly.category;
    libraryRequestActive = false;
    return true;
}

LibrarianPatch LibraryPatchRequest::completedSoundPatch() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    LibrarianPatch sound;
    sound.name = patch.name;
    sound.category = patch.category;
    for (const PatchSysexMessage& message : patch.messages)
        if (message.bytes.size() == static_cast<size_t>(zsysex::kSoundDumpSize))
            sound.messages = {message};
    return sound;
}

void LibraryPatchRequest::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    patch.messages.clear();
    patch.name.clear();
    patch.category.clear();
}

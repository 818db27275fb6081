// Category banks and search result banks: in-memory banks of up to 100 slots
// gathered from every bank file, rebuilt on demand and never written to disk.

#include "PatchLibrarian.h"

namespace {

const char* const kSearchFolder = "Patches";

// A derived slot: the source's first message, with name and category made anew.
LibrarianPatch derivedSlot(const LibrarianPatch& source)
{
    LibrarianPatch slot;
    if (source.messages.empty())
        return slot;
    slot.messages.push_back(source.messages.front());
    slot.name = LibrarianPatch::nameFromMessage(slot.messages.front().bytes);
    slot.parseCategory();
    return slot;
}

// Banks of 100 from the collected slots: n/100 + 1 banks, the last possibly empty.
std::vector<std::unique_ptr<PatchFile>> derivedBanks(const std::vector<const LibrarianPatch*>& collected,
                                                     const std::string& namePrefix,
                                                     const std::string& folderName)
{
    std::vector<std::unique_ptr<PatchFile>> banks;
    const size_t count = collected.size();
    for (size_t k = 0; k <= count / kLibraryBankSize; ++k) {
        auto bank = std::make_unique<PatchFile>();
        bank->fileName = namePrefix + " " + std::to_string(k + 1);
        bank->folderName = folderName;
        const size_t first = k * kLibraryBankSize;
        const size_t last = std::min(count, first + kLibraryBankSize);
        bank->patches.reserve(last - first);
        for (size_t i = first; i < last; ++i)
            bank->patches.push_back(derivedSlot(*collected[i]));
        banks.push_back(std::move(bank));
    }
    return banks;
}

// The category bank code whose text the slot's category is, or -1.
int categoryBankCode(const std::string& category)
{
    if (category.size() != 4)  // every category text is four letters
        return -1;
    for (int code = 0; code < kCategoryBankCount; ++code)
        if (category == categoryText(code))
            return code;
    return -1;
}

void placeCategoryBank(FolderTree& tree, PatchFile* bank, const std::string& code)
{
    for (auto& node : tree) {
        for (SubFolderFiles& sub : node->subFolders) {
            if (sub.name == code) {
                sub.files.push_back(bank);
                return;
            }
        }
    }
    SubFolderFiles sub;
    sub.name = code;
    sub.files.push_back(bank);
    tree.push_back(std::make_unique<FolderFiles>(bank->fileName, sub));
}

void placeSearchBank(FolderTree& tree, PatchFile* bank)
{
    if (!tree.empty() && tree.front()->name == kSearchFolder) {
        tree.front()->files.push_back(bank);
        return;
    }
    auto node = std::make_unique<FolderFiles>();
    node->name = kSearchFolder;
    node->files.push_back(bank);
    tree.push_back(std::move(node));
}

}  // namespace

void PatchLibrarian::createNewCategoryPatchFiles()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    // Rebuilt from scratch, so a second build never lists a sound twice.
    clearDataStructures(2);
    categoryFiles.clear();
    // One pass sorts every slot into its category, keeping library order.
    std::vector<const LibrarianPatch*> collected[kCategoryBankCount];
    for (const auto& file : bankFiles)
        for (const LibrarianPatch& slot : file->patches)
            if (const int code = categoryBankCode(slot.category); code >= 0)
                collected[code].push_back(&slot);
    for (int code = 0; code < kCategoryBankCount; ++code) {
        const std::string text = categoryText(code);
        for (std::unique_ptr<PatchFile>& bank : derivedBanks(collected[code], text, text)) {
            bank->number = code;
            PatchFile* placed = bank.get();
            if (bank->patches.empty())
                m_emptyCategoryBanks.push_back(std::move(bank));
            else
                categoryFiles.push_back(std::move(bank));
            placeCategoryBank(categoryFolders, placed, text);
        }
    }
}

void PatchLibrarian::createNewSearchPatchFiles(const std::string& searchText)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    // The tree refers to the banks being released.
    clearDataStructures(3);
    searchFiles.clear();
    std::vector<const LibrarianPatch*> collected;
    for (const auto& file : bankFiles)
        for (const LibrarianPatch& slot : file->patches)
            if (slot.name.find(searchText) != std::string::npos)
                collected.push_back(&slot);
    if (collected.empty())
        return;
    int index = 0;
    for (std::unique_ptr<PatchFile>& bank : derivedBanks(collected, "Search Results", kSearchFolder)) {
        bank->number = index++;
        searchFiles.push_back(std::move(bank));
        placeSearchBank(searchFolders, searchFiles.back().get());
    }
}

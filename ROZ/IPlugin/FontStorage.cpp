#include "FontStorage.h"

#include "zuve/zuve_text.h"

FontStorage s_fontCache;

static std::string faceKey(const char* face) { return std::string(face ? face : "").substr(0, 35); }

FontStorage::~FontStorage()
{
    ROZ_MutexLock lock(&mMutex);
    for (int i = mEntries.GetSize() - 1; i >= 0; --i) {
        delete mEntries.Get(i)->mFont;
        mEntries.Delete(i, true);
    }
}

ZUVE_IFont* FontStorage::Find(int size, int orientation, int style, const char* face)
{
    const std::string key = faceKey(face);
    ROZ_MutexLock lock(&mMutex);
    for (int i = 0; i < mEntries.GetSize(); ++i) {
        const Entry* e = mEntries.Get(i);
        if (e->mSize == size && e->mOrientation == orientation && e->mStyle == style && e->mFace == key)
            return e->mFont;
    }
    return nullptr;
}

void FontStorage::Add(ZUVE_IFont* font, int size, int orientation, int style, const char* face)
{
    ROZ_MutexLock lock(&mMutex);
    mEntries.Add(new Entry{size, orientation, style, faceKey(face), font});
}

int FontStorage::Size()
{
    ROZ_MutexLock lock(&mMutex);
    return mEntries.GetSize();
}

int FontRetryHeight(int size, int requestedHeight, int lineHeight)
{
    if (lineHeight == requestedHeight || lineHeight <= 0) return 0;
    const int square = size < 2 ? 4 : size * size;
    return int(double(square) / lineHeight + 0.5);
}

#include "BitmapStorage.h"

#include "zuve/zuve.h"

BitmapStorage s_bitmapCache;

BitmapStorage::~BitmapStorage()
{
    ROZ_MutexLock lock(&mMutex);
    for (int i = mEntries.GetSize() - 1; i >= 0; --i) {
        delete mEntries.Get(i)->mBitmap;
        mEntries.Delete(i, true);
    }
}

ZUVE_IBitmap* BitmapStorage::Find(int id, double scale)
{
    ROZ_MutexLock lock(&mMutex);
    for (int i = 0; i < mEntries.GetSize(); ++i) {
        Entry* entry = mEntries.Get(i);
        if (entry->mID == id && entry->mScale == scale) return entry->mBitmap;
    }
    return nullptr;
}

ZUVE_IBitmap* BitmapStorage::FindAnyScale(int id)
{
    ROZ_MutexLock lock(&mMutex);
    for (int i = 0; i < mEntries.GetSize(); ++i)
        if (mEntries.Get(i)->mID == id) return mEntries.Get(i)->mBitmap;
    return nullptr;
}

void BitmapStorage::Add(ZUVE_IBitmap* bitmap, int id, double scale)
{
    ROZ_MutexLock lock(&mMutex);
    mEntries.Add(new Entry{id, scale, bitmap});
}

bool BitmapStorage::Remove(ZUVE_IBitmap* bitmap)
{
    ROZ_MutexLock lock(&mMutex);
    for (int i = 0; i < mEntries.GetSize(); ++i) {
        if (mEntries.Get(i)->mBitmap == bitmap) {
            mEntries.Delete(i, true);
            delete bitmap;
            return true;
        }
    }
    return false;
}

int BitmapStorage::Size()
{
    ROZ_MutexLock lock(&mMutex);
    return mEntries.GetSize();
}

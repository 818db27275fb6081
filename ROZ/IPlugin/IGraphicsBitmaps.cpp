// Bitmap and resource loading of the surface, over the shared bitmap cache.
#include "BitmapStorage.h"
#include "IGraphics.h"
#include "zuve/zuve.h"

static IBitmap wrap(ZUVE_IBitmap* bitmap, int nStates, bool horizontal)
{
    if (!bitmap) return IBitmap();
    return IBitmap(bitmap, bitmap->getWidth(), bitmap->getHeight(), nStates, horizontal);
}

ZUVE_IBitmap* IGraphics::loadScaled(int id, const char* name, double scale)
{
    ZUVE_IBitmap* image = OSLoadBitmap(id, name);
    if (!image) return nullptr;
    const int w = int(image->getWidth() * scale);
    const int h = int(image->getHeight() * scale);
    // At the image's own size the decoded pixels are the result: no resampling pass.
    if (w != image->getWidth() || h != image->getHeight()) {
        ZUVE_MemBitmap* scaled = new ZUVE_MemBitmap(w, h, 4);
        ZUVE_ScaledBlit(scaled, image, 0, 0, w, h, 0.f, 0.f, float(image->getWidth()), float(image->getHeight()),
                        1.0f, ZUVE_BLIT_FILTER_BILINEAR);
        delete image;
        image = scaled;
    }
    return image;
}

IBitmap IGraphics::LoadIBitmap(int id, const char* name, double scale, int nStates, bool framesAreHorizontal)
{
    ZUVE_IBitmap* cached = s_bitmapCache.Find(id, scale);
    if (!cached) {
        // The cache lock is not held across the load: two threads loading the
        // same id at once may both add it; look-ups find the first.
        cached = loadScaled(id, name, scale);
        if (!cached) return IBitmap();
        s_bitmapCache.Add(cached, id, scale);
    }
    mImageScales[id] = scale;
    return wrap(cached, nStates, framesAreHorizontal);
}

bool IGraphics::ReloadBitmap(int id, const char* name, double scale)
{
    ZUVE_IBitmap* cached = s_bitmapCache.Find(id, scale);
    if (!cached) return LoadIBitmap(id, name, scale).mData != nullptr;
    ZUVE_IBitmap* fresh = loadScaled(id, name, scale);
    if (!fresh) return false;
    // Controls keep the bitmap's size with their handles: a new size would have them read outside it.
    const bool sameSize = fresh->getWidth() == cached->getWidth() && fresh->getHeight() == cached->getHeight();
    if (sameSize)
        ZUVE_Blit(cached, fresh, 0, 0, 0, 0, fresh->getWidth(), fresh->getHeight(), 1.0f, ZUVE_BLIT_MODE_COPY);
    delete fresh;
    return sameSize;
}

IBitmap IGraphics::getImageById(int id, int nStates, bool framesAreHorizontal)
{
    auto known = mImageScales.find(id);
    ZUVE_IBitmap* bitmap =
        known != mImageScales.end() ? s_bitmapCache.Find(id, known->second) : s_bitmapCache.FindAnyScale(id);
    return wrap(bitmap, nStates, framesAreHorizontal);
}

void IGraphics::RetainBitmap(IBitmap* bitmap)
{
    if (bitmap && bitmap->mData) s_bitmapCache.Add(bitmap->mData, -1, 0.0);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap)
{
    if (bitmap && bitmap->mData) s_bitmapCache.Remove(bitmap->mData);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* bitmap, int w, int h)
{
    if (!bitmap || !bitmap->mData) return IBitmap();
    ZUVE_MemBitmap* scaled = new ZUVE_MemBitmap(w, h, 4);
    ZUVE_ScaledBlit(scaled, bitmap->mData, 0, 0, w, h, 0.f, 0.f, float(bitmap->W), float(bitmap->H), 1.0f,
                    ZUVE_BLIT_FILTER_BILINEAR);
    s_bitmapCache.Add(scaled, -1, 0.0);
    return IBitmap(scaled, w, h, bitmap->N, false);
}

IBitmap IGraphics::CropBitmap(IBitmap* bitmap, IRECT* r)
{
    if (!bitmap || !bitmap->mData || !r) return IBitmap();
    ZUVE_MemBitmap* cropped = new ZUVE_MemBitmap(r->W(), r->H(), 4);
    ZUVE_Blit(cropped, bitmap->mData, 0, 0, r->L, r->T, r->W(), r->H(), 1.0f, ZUVE_BLIT_MODE_COPY);
    s_bitmapCache.Add(cropped, -1, 0.0);
    return IBitmap(cropped, r->W(), r->H(), bitmap->N, false);
}

void* IGraphics::LoadFile(int id, const char* name) { return OSLoadFile(id, name); }

unsigned int* IGraphics::GetBits() { return mDrawBitmap ? mDrawBitmap->getBits() : nullptr; }

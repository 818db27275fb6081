#include "ProgressIndicator.h"

#include <string>

#include "ControlLayer.h"
#include "IGraphics.h"
#include "JobProgress.h"

namespace {

// The panel's own colours: section ground and border, amber titles, light labels.
const IColor kBoxGround(255, 36, 38, 41);
const IColor kBoxBorder(255, 64, 67, 72);
const IColor kAmber(255, 255, 173, 0);
const IColor kLabel(255, 218, 220, 224);
constexpr int kEditorWidth = 1500;
constexpr const char* kFont = "Arial";

}  // namespace

ProgressIndicator::ProgressIndicator(ControlLayer* layer, IPluginBase* plug, int x, int y, int w, int h,
    int paramIdx, IBitmap* bitmap, IRECT targetArea)
    : IBitmapOverlayControl(plug, x, y, paramIdx, bitmap, targetArea), layer(layer),
      overlay(bitmap ? *bitmap : IBitmap()), overlayRect(x, y, x + w, y + h),
      m_scale(static_cast<double>(w) / kEditorWidth),
      m_title(static_cast<int>(14 * m_scale), &kAmber, kFont, IText::kStyleBold, IText::kAlignNear),
      m_count(static_cast<int>(16 * m_scale), &kLabel, kFont, IText::kStyleBold, IText::kAlignCenter)
{
    // The whole window takes the clicks while the overlay shows, whatever size
    // the picture has.
    mTargetRECT = targetArea;
    if (layer) {
        layer->AddControl(this);
        layer->setIgnoreHiddenWhenUpdatingScreen(true);
    }
}

ProgressIndicator::~ProgressIndicator() = default;

void ProgressIndicator::OnMouseDown(int, int, IMouseMod*) {}

void ProgressIndicator::OnMouseDblClick(int, int, IMouseMod*) {}

IRECT ProgressIndicator::scaled(int x, int y, int w, int h) const
{
    const int left = overlayRect.L + static_cast<int>(x * m_scale);
    const int top = overlayRect.T + static_cast<int>(y * m_scale);
    return IRECT(left, top, left + static_cast<int>(w * m_scale), top + static_cast<int>(h * m_scale));
}

bool ProgressIndicator::IsDirty()
{
    const bool countMoved = m_progress && m_progress->word() != m_drawnCount;
    return IBitmapOverlayControl::IsDirty() || (countMoved && !IsHidden());
}

// The box is opaque, so whatever the dimmed panel redraws beneath it never
// runs through its text.
bool ProgressIndicator::Draw(IGraphics* graphics)
{
    if (overlay.mData)
        graphics->DrawBitmap(&overlay, &overlayRect, 0, &mBlend);
    IRECT box = scaled(kBoxX, kBoxY, kBoxW, kBoxH);
    graphics->FillRoundRect(&kBoxBorder, &box, nullptr, static_cast<int>(6 * m_scale), true);
    IRECT inside(box.L + 1, box.T + 1, box.R - 1, box.B - 1);
    graphics->FillRoundRect(&kBoxGround, &inside, nullptr, static_cast<int>(5 * m_scale), true);

    IRECT title = scaled(kBoxX + 14, kBoxY + 6, kBoxW - 28, 20);
    graphics->DrawIText(&m_title, "WORKING WITH THE SYNTH", &title);
    const IRECT rule = scaled(kBoxX + 12, kBoxY + 28, kBoxW - 24, 1);
    graphics->DrawHorizontalLine(&kAmber, rule.T, rule.L, rule.R);

    m_drawnCount = m_progress ? m_progress->word() : 0;
    const std::string count = m_progress ? JobProgress::text(m_progress->get()) : std::string();
    IRECT countRect = scaled(kBoxX, kBoxY + 44, kBoxW, 24);
    graphics->DrawIText(&m_count, count.empty() ? "PLEASE WAIT..." : count.c_str(), &countRect);
    return true;
}

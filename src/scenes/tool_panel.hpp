#pragma once
#include <memory>

namespace qv {

class Hud;
class HudSlider;

// What the tool panels under the world share: their place on the bottom edge
// and the "-" / "+" / slider rows of the eraser and terrain panels.

// A −/+ pair that changes a value continuously while held: the held flags live
// from a press on the button until any release.
struct HeldPair {
  bool minusHeld = false, plusHeld = false;
  void release() { minusHeld = plusHeld = false; }
};

// A tool panel standing on the bottom edge of the interface, centred.
std::shared_ptr<Hud> bottomPanel(float width, float height);
// Where value stands between lo and hi, 0..1, as a slider shows it.
float sliderPosition(float value, float lo, float hi);
// A "-" button, a "+" button and the slider they nudge, on one panel row. Returns the slider.
std::shared_ptr<HudSlider> addStepperRow(Hud& panel, float x, float y, const char* label, int minusId, int plusId,
                                         int sliderId, const char* minusTip, const char* plusTip, float labelShift);

}  // namespace qv

#include "Pictures.h"

#include "KolvaneParams.h"
#include "Paint.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

using paint::kPi;

namespace
{
// Panel colours; each panel's accent is in kPanelStyles.
const LICE_pixel kPanelTop = 0xFF25282D, kPanelBottom = 0xFF1A1C20;
const LICE_pixel kSectionTop = 0xFF30343B, kSectionBottom = 0xFF282B31;
const LICE_pixel kSectionEdge = 0xFF3D424A;
const LICE_pixel kLabel = 0xFFC9CDD3, kDimLabel = 0xFF8A9099;
const LICE_pixel kAmber = 0xFFFFB547, kCyan = 0xFF4FC8F0, kRed = 0xFFFF6A45, kGreen = 0xFF7BD88F,
                 kSilver = 0xFFE2E4E8;
// Transparent pixels carry the dark cap colour, so blended edges never
// fringe towards black or white.
const LICE_pixel kClear = 0x00202328;

// --- Knobs -----------------------------------------------------------------

// Sizes a stacked picture for the canvas's scale, n frames of w x frameH
// layout units, and clears it.
void startFrames(paint::Canvas& out, int w, int frameH, int n)
{
  out.bitmap()->resize(out.pixels(w), out.pixels(frameH) * n);
  LICE_Clear(out.bitmap(), kClear);
}

// One knob frame at (0, oy): a ring track, its lit part (continuous) or its
// position dots (stepped), the cap and the pointer.
struct KnobStyle
{
  double size;         // frame edge
  double ringR, ringW; // track radius and thickness
  double capR;
  LICE_pixel capTop, capBottom, faceTop, faceBottom, rim;
  LICE_pixel track, lit, pointer;
};

void knobFrame(paint::Canvas& canvas, int oy, const KnobStyle& s, double t, int positions)
{
  const double c = s.size / 2.0 - 0.5, cy = oy + c;
  const double angle = paint::sweepAngle(t);
  if (positions == 0)
  {
    paint::arcBand(canvas, c, cy, s.ringR, s.ringW, paint::kSweepStart, paint::kSweepEnd, s.track);
    if (t > 0.0)
      paint::arcBand(canvas, c, cy, s.ringR, s.ringW, paint::kSweepStart, angle, s.lit);
  }
  else
  {
    for (int i = 0; i < positions; ++i)
    {
      const double a = paint::sweepAngle(static_cast<double>(i) / (positions - 1));
      const bool on = std::fabs(a - angle) < 1e-6;
      const double dr = on ? s.ringW * 0.75 + 0.6 : s.ringW * 0.5 + 0.2;
      paint::disc(canvas, c + s.ringR * std::sin(a), cy - s.ringR * std::cos(a), dr,
                  on ? s.lit : s.track, on ? s.lit : s.track);
    }
  }
  // Shadow, cap with a lit rim, and a slightly sunken face.
  paint::glow(canvas, c, cy + s.capR * 0.12, s.capR * 0.9, s.capR + 3.0, 0xFF000000, 150);
  paint::disc(canvas, c, cy, s.capR, s.capTop, s.capBottom);
  paint::circle(canvas, c, cy, s.capR - 0.5, s.rim, 0.6f);
  paint::disc(canvas, c, cy, s.capR * 0.78, s.faceTop, s.faceBottom);
  const double sn = std::sin(angle), cs = std::cos(angle);
  paint::stroke(canvas, c + sn * s.capR * 0.3, cy - cs * s.capR * 0.3, c + sn * s.capR * 0.88,
                cy - cs * s.capR * 0.88, s.size > 50 ? 3.0 : 2.4, s.pointer);
}

void knob(paint::Canvas& out, const KnobStyle& style, int frames, bool stepped)
{
  const int size = static_cast<int>(style.size);
  out.bitmap()->resize(out.pixels(size), out.pixels(size) * frames);
  LICE_Clear(out.bitmap(), kClear);
  for (int f = 0; f < frames; ++f)
  {
    out.frame(f * size, f * out.pixels(size));
    knobFrame(out, f * size, style, static_cast<double>(f) / (frames - 1), stepped ? frames : 0);
  }
}

const KnobStyle kBigKnob = {64,         27.0,       3.0,        21.0,       0xFF666C77, 0xFF2A2E35,
                            0xFF4A505A, 0xFF343840, 0xFF8A919C, 0xFF3A3F47, 0xFFF2E6CF, 0xFFFFFFFF};
const KnobStyle kSmallKnob = {40,         17.0,       2.2,        12.5,
                              0xFF5B8EE6, 0xFF1F4592, 0xFF3F72C9, 0xFF2A58A8,
                              0xFF9CC1FF, 0xFF34404F, 0xFF7CC4FF, 0xFFFFFFFF};

// --- Buttons, switches, LEDs, fader ---------------------------------------------

void bigButton(paint::Canvas& out, Fonts& fonts)
{
  startFrames(out, 128, 128, 2);
  for (int f = 0; f < 2; ++f)
  {
    out.frame(f * 128, f * out.pixels(128));
    const bool held = f == 1;
    const double cx = 63.5, cy = f * 128 + 63.5;
    if (held)
      paint::glow(out, cx, cy, 44, 60, kRed, 200);
    paint::glow(out, cx, cy + 3, 44, 52, 0xFF000000, 170);
    paint::disc(out, cx, cy, 48, 0xFF5A5F68, 0xFF1E2125); // bezel
    paint::disc(out, cx, cy, 44, 0xFF16181B, 0xFF2C3036); // well
    const double press = held ? 1.5 : 0.0;
    if (held)
      paint::disc(out, cx, cy + press, 41, 0xFFFF9A6B, 0xFFE0401F);
    else
      paint::disc(out, cx, cy, 41, 0xFFC8553D, 0xFF7E2617);
    paint::disc(out, cx, cy + press - 1, 35, held ? 0xFFFF8A5C : 0xFFB14A34,
                held ? 0xFFF0532C : 0xFF8E301E);
    fonts.label.drawCentred(out, "PUSH", 17, static_cast<float>(cx),
                            static_cast<int>(cy + press + 6), held ? 0xFFFFFFFF : 0xFFF3D9CF, 1.5f);
  }
}

// The fader's three positions: the lowest notch's y in a frame and the
// distance between notches. The legend beside a fader lines up with them.
const int kFaderLowNotch = 78, kFaderNotchPitch = 28;

void fader(paint::Canvas& out)
{
  startFrames(out, 24, 100, 3);
  for (int f = 0; f < 3; ++f)
  {
    out.frame(f * 100, f * out.pixels(100));
    const int oy = f * 100;
    paint::plate(out, 9, oy + 12, 6, 76, 3, 0xFF0C0D0F, 0xFF1B1D21);
    for (int k = 0; k < 3; ++k)
    {
      const int y = oy + kFaderLowNotch - kFaderNotchPitch * k;
      paint::line(out, 2, y, 5, y, 0xFF6B717B, 1.0f);
      paint::line(out, 18, y, 21, y, 0xFF6B717B, 1.0f);
    }
    const int hy = oy + kFaderLowNotch - kFaderNotchPitch * f;
    paint::glow(out, 12, hy + 2, 6, 11, 0xFF000000, 140);
    paint::plate(out, 2, hy - 7, 20, 14, 3, 0xFFB9BEC6, 0xFF5C626B);
    paint::line(out, 4, hy, 19, hy, 0xFF23262B, 1.0f);
    paint::line(out, 4, hy + 1, 19, hy + 1, 0xFFE9ECEF, 0.6f);
  }
}

// A toggle lever: down and dark when off, up with a lit amber tip when on.
void smallSwitch(paint::Canvas& out)
{
  startFrames(out, 26, 26, 2);
  for (int f = 0; f < 2; ++f)
  {
    out.frame(f * 26, f * out.pixels(26));
    const bool on = f == 1;
    const double cx = 12.5, cy = f * 26 + 12.5;
    paint::plate(out, 1, f * 26 + 1, 24, 24, 5, 0xFF3B4048, 0xFF15171A);
    paint::plate(out, 3, f * 26 + 3, 20, 20, 4, 0xFF111214, 0xFF22252A);
    paint::disc(out, cx, cy, 5.0, 0xFFA5ABB3, 0xFF4E535B);
    const double tipY = on ? cy - 7.5 : cy + 7.5;
    paint::stroke(out, cx, cy, cx, tipY, 3.4, 0xFFC9CED5);
    if (on)
      paint::glow(out, cx, tipY, 2.5, 7.5, kAmber, 170);
    paint::disc(out, cx, tipY, 3.4, on ? 0xFFFFE1A0 : 0xFF8D939B, on ? 0xFFFF9F1C : 0xFF50555D);
  }
}

void stepButton(paint::Canvas& out)
{
  startFrames(out, 25, 43, 2);
  for (int f = 0; f < 2; ++f)
  {
    out.frame(f * 43, f * out.pixels(43));
    const bool on = f == 1;
    const int oy = f * 43;
    paint::plate(out, 0, oy + 1, 25, 42, 4, 0xFF0E0F11, 0xFF0E0F11); // shadow
    if (on)
    {
      paint::plate(out, 1, oy, 23, 40, 4, 0xFFFFC870, 0xFFE07B16);
      paint::plate(out, 3, oy + 3, 19, 6, 2, 0xFFFFF6D8, 0xFFFFE2A0);
    }
    else
    {
      paint::plate(out, 1, oy, 23, 40, 4, 0xFF5D636C, 0xFF353940);
      paint::plate(out, 3, oy + 3, 19, 6, 2, 0xFF2A2D32, 0xFF1F2226);
    }
    paint::line(out, 4, oy + 38, 20, oy + 38, on ? 0xFFB35E0E : 0xFF25282D, 0.8f);
  }
}

// The swing slider: a groove lit in the sequencer's green from its left end
// to the handle, and a small handle; one frame per position.
const int kSliderW = 80, kSliderH = 12, kSliderPositions = 41, kSliderHandleW = 10;

void slider(paint::Canvas& out)
{
  startFrames(out, kSliderW, kSliderH, kSliderPositions);
  for (int f = 0; f < kSliderPositions; ++f)
  {
    out.frame(f * kSliderH, f * out.pixels(kSliderH));
    const int oy = f * kSliderH;
    const int travel = kSliderW - kSliderHandleW - 2;
    const int hx = 1 + (f * travel + (kSliderPositions - 1) / 2) / (kSliderPositions - 1);
    paint::plate(out, 3, oy + 4, kSliderW - 6, 4, 2, 0xFF0C0D0F, 0xFF1B1D21);
    paint::fillRect(out, 4, oy + 5, hx + kSliderHandleW / 2 - 4, 2, kGreen, 0.85f);
    paint::glow(out, hx + kSliderHandleW / 2.0, oy + 7, 3, 7, 0xFF000000, 140);
    paint::plate(out, hx, oy + 1, kSliderHandleW, kSliderH - 2, 2, 0xFFB9BEC6, 0xFF5C626B);
    paint::line(out, hx + kSliderHandleW / 2, oy + 3, hx + kSliderHandleW / 2, oy + 8, 0xFF23262B,
                1.0f);
  }
}

void led(paint::Canvas& out)
{
  startFrames(out, 18, 18, 2);
  for (int f = 0; f < 2; ++f)
  {
    out.frame(f * 18, f * out.pixels(18));
    const bool on = f == 1;
    const double c = 8.5, cy = f * 18 + 8.5;
    if (on)
      paint::glow(out, c, cy, 4.5, 9.0, 0xFF47FF73, 190);
    paint::disc(out, c, cy, 6.6, 0xFF15171A, 0xFF464B53);
    if (on)
      paint::disc(out, c, cy, 5.0, 0xFFB8FFC8, 0xFF1FD14C);
    else
      paint::disc(out, c, cy, 5.0, 0xFF1F3A26, 0xFF12241A);
    paint::disc(out, c - 1.6, cy - 1.8, 1.6, on ? 0xFFFFFFFF : 0xFF4A6A55,
                on ? 0xFFE8FFEE : 0xFF2C4434);
  }
}

// --- Background ------------------------------------------------------------------

// The panels come from the editor layout; their colours are the artwork's.
// Each has an accent by what it shapes: amber for the amplitude, cyan for the
// filter, red for the gate, green for the sequencer, silver for the output.
struct PanelStyle
{
  const char* group;
  LICE_pixel accent;
  bool titled; // false: the product name stands in the title's place
};

const PanelStyle kPanelStyles[] = {
    {"Filter", kCyan, true},     {"Gate", kRed, true},
    {"Mix", kSilver, false},     {"Amp Envelope", kAmber, true},
    {"Amp LFO", kAmber, true},   {"Filter Envelope", kCyan, true},
    {"Filter LFO", kCyan, true}, {"Step Sequencer", kGreen, true},
};

const PanelStyle* styleOf(const char* group)
{
  for (const PanelStyle& s : kPanelStyles)
  {
    if (std::strcmp(s.group, group) == 0)
      return &s;
  }
  return nullptr;
}

// Titles and labels are set in capitals.
std::string upper(const char* text)
{
  std::string s = text;
  for (char& ch : s)
    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

// The control the editor shows parameter param with.
EditorControl controlOf(int param)
{
  return GetEditorControl(kNumStepLeds + param);
}

// Scale marks around a knob's place: fine ticks for a continuous knob, one
// dot per position for a stepped one.
void knobScale(paint::Canvas& canvas, const EditorControl& c, LICE_pixel accent)
{
  const PictureProperties* p = FindPicture(c.picture);
  const int size = p->width;
  const double cx = c.x + size / 2.0 - 0.5, cy = c.y + size / 2.0 - 0.5;
  const bool big = size == 64;
  const double r = big ? 31.0 : 19.5;
  const int positions = (p->frames <= 15) ? p->frames : 11;
  const bool stepped = p->frames <= 15;
  for (int i = 0; i < positions; ++i)
  {
    const double a = paint::sweepAngle(static_cast<double>(i) / (positions - 1));
    const double sn = std::sin(a), cs = std::cos(a);
    if (stepped)
      paint::disc(canvas, cx + sn * r, cy - cs * r, big ? 1.3 : 1.0, accent, accent);
    else
      paint::stroke(canvas, cx + sn * (r - 1.0), cy - cs * (r - 1.0), cx + sn * (r + 1.5),
                    cy - cs * (r + 1.5), 1.2,
                    (i == 0 || i == positions - 1) ? accent
                                                   : paint::mix(kDimLabel, kPanelTop, 0.3));
  }
}

// Saw, square and sine icons, drawn 14 x 8 with their left middle at (x, y).
void waveIcon(paint::Canvas& canvas, int shape, double x, double y, LICE_pixel color)
{
  const double w = 14, h = 4;
  if (shape == 0)
  {
    paint::stroke(canvas, x, y + h, x + w / 2, y - h, 1.3, color);
    paint::stroke(canvas, x + w / 2, y - h, x + w / 2, y + h, 1.3, color);
    paint::stroke(canvas, x + w / 2, y + h, x + w, y - h, 1.3, color);
  }
  else if (shape == 1)
  {
    paint::stroke(canvas, x, y + h, x, y - h, 1.3, color);
    paint::stroke(canvas, x, y - h, x + w / 2, y - h, 1.3, color);
    paint::stroke(canvas, x + w / 2, y - h, x + w / 2, y + h, 1.3, color);
    paint::stroke(canvas, x + w / 2, y + h, x + w, y + h, 1.3, color);
  }
  else
  {
    double px = x, py = y;
    for (int i = 1; i <= 14; ++i)
    {
      const double nx = x + w * i / 14.0, ny = y - h * std::sin(2 * kPi * i / 14.0);
      paint::stroke(canvas, px, py, nx, ny, 1.3, color);
      px = nx;
      py = ny;
    }
  }
}

// Where a control's label goes: under it unless its caption says otherwise.
enum CaptionPlace
{
  kUnder,
  kLeft,       // right-aligned before it, on its middle
  kRight,      // after it, on its middle
  kSwitchEnds, // a lever switch: the label dimmed above, a text at each end
  kInPicture,  // the control's picture carries its own caption
};

// The captions that differ from the usual one, the row's label under its
// control. The legend holds texts for the values, lowest first: a
// selector's positions, a switch's ends or a knob's ends.
struct Caption
{
  int param;
  CaptionPlace place;
  int dy; // nudges the label up where the panel is tight
  const char* legend[3];
  bool waves; // the legend leads each text with its wave shape
};

const Caption kCaptions[] = {
    {kPush, kInPicture, 0, {}, false},
    {kFilterType, kUnder, -1, {"LP", "HP", "BP"}, false},
    {kLFOAmpType, kUnder, -3, {"SAW", "SQR", "SINE"}, true},
    {kLFOFilterType, kUnder, -3, {"SAW", "SQR", "SINE"}, true},
    {kLFOTriple, kLeft, 0, {}, false},
    {kLFOFilterTriple, kLeft, 0, {}, false},
    {kStepOnOff, kSwitchEnds, 0, {"STEP", "MIDI"}, false},
    {kDryWet, kUnder, 0, {"DRY", "WET"}, false},
    {kSeqNoteLen, kUnder, -2, {}, false},
    {kArpIntervall, kUnder, -2, {}, false},
    {kArpSpeed, kRight, 0, {}, false},
    {kSwing, kLeft, 0, {}, false},
};

Caption captionOf(int param)
{
  for (const Caption& c : kCaptions)
  {
    if (c.param == param)
      return c;
  }
  return {param, kUnder, 0, {}, false};
}

// The note one cycle lasts at a power-of-two LFO rate's value: the engine
// makes its rate's number of cycles per half note.
std::string cycleNote(int param, double value)
{
  return "1/" + std::to_string(2 * EngineInt(param, static_cast<int>(value)));
}

// A parameter's scale, label and legend.
void decorate(paint::Canvas& canvas, Fonts& fonts, int param, LICE_pixel accent)
{
  const ParameterProperties& row = parameterProperties[param];
  const EditorControl c = controlOf(param);
  const PictureProperties* p = FindPicture(c.picture);
  const int h = p->FrameHeight();
  const float cx = c.x + p->width / 2.0f;
  const std::string label = upper(row.label);
  const Caption caption = captionOf(param);

  if (c.picture == kPictureStepButton)
  {
    // Numbered above the step's LED, the first of each beat in the accent.
    const EditorControl led = GetEditorControl(param - kStepSeq1);
    const PictureProperties* l = FindPicture(led.picture);
    fonts.label.drawCentred(canvas, label, 8, led.x + l->width / 2.0f, led.y - 2,
                            (param - kStepSeq1) % 4 == 0 ? accent : kDimLabel, 0.0f);
    return;
  }
  const bool knob = c.kind == kControlKnob && c.picture != kPictureFader;
  if (knob)
  {
    knobScale(canvas, c, accent);
    if (row.engine == kEnginePowerOfTwo)
    {
      fonts.label.drawCentred(canvas, cycleNote(param, row.minVal), 7, c.x + 7.0f, c.y + 66,
                              kDimLabel, 0.3f);
      fonts.label.drawCentred(canvas, cycleNote(param, row.maxVal), 7, c.x + p->width - 7.0f,
                              c.y + 66, kDimLabel, 0.3f);
    }
    else if (caption.legend[0])
    {
      fonts.label.drawCentred(canvas, caption.legend[0], 8, c.x + 7.0f, c.y + 63, kDimLabel, 0.5f);
      fonts.label.drawCentred(canvas, caption.legend[1], 8, c.x + p->width - 7.0f, c.y + 63,
                              kDimLabel, 0.5f);
    }
  }
  if (c.picture == kPictureFader)
  {
    // Each position's text beside its notch; position 0 is at the bottom.
    for (int k = 0; k < 3 && caption.legend[k]; ++k)
    {
      const int y = c.y + kFaderLowNotch - kFaderNotchPitch * k;
      double x = c.x + 28;
      if (caption.waves)
      {
        waveIcon(canvas, k, x, y, accent);
        x += 19;
      }
      fonts.label.draw(canvas, caption.legend[k], 8, static_cast<float>(x), y + 3, kLabel, 0.5f);
    }
  }

  // Knobs and selectors take the larger labels, lever switches the smaller.
  const int px = c.kind == kControlKnob ? 9 : 8;
  const float weight = c.kind == kControlKnob ? 0.6f : 0.5f;
  switch (caption.place)
  {
  case kUnder:
    fonts.label.drawCentred(canvas, label, px, cx, c.y + h + 9 + caption.dy, kLabel, weight);
    break;
  case kLeft:
    fonts.label.drawRight(canvas, label, px, c.x - 3.0f, c.y + h / 2 + 4, kLabel, weight);
    break;
  case kRight:
    fonts.label.draw(canvas, label, px, c.x + p->width + 3.0f, c.y + h / 2 + 4, kLabel, weight);
    break;
  case kSwitchEnds:
    // On is the lever up.
    fonts.label.drawCentred(canvas, caption.legend[1], px, cx, c.y - 5, kLabel, weight);
    fonts.label.drawCentred(canvas, caption.legend[0], px, cx, c.y + h + 11, kLabel, weight);
    fonts.label.drawCentred(canvas, label, px, cx, c.y - 16, kDimLabel, weight);
    break;
  case kInPicture:
    break;
  }
}

bool background(paint::Canvas& out, Fonts& fonts)
{
  out.bitmap()->resize(out.pixels(kEditorWidth), out.pixels(kEditorHeight));
  paint::shaded(out, 0, 0, kEditorWidth, kEditorHeight, kPanelTop, kPanelBottom,
                [](LICE_IBitmap* m) { LICE_Clear(m, 0xFFFFFFFF); });
  // A bevelled outer edge.
  paint::line(out, 0, 0, kEditorWidth - 1, 0, 0xFF3A3E45, 1.0f);
  paint::line(out, 0, kEditorHeight - 1, kEditorWidth - 1, kEditorHeight - 1, 0xFF0D0E10, 1.0f);

  for (const EditorPanel& s : editorPanels)
  {
    const PanelStyle* style = styleOf(s.group);
    if (!style)
    {
      std::fprintf(stderr, "kolvane-artwork: no colours for the panel \"%s\"\n", s.group);
      return false;
    }
    paint::plate(out, s.x - 1, s.y - 1, s.width + 2, s.height + 2, 7, kSectionEdge, 0xFF2E3238);
    paint::plate(out, s.x, s.y, s.width, s.height, 6, kSectionTop, kSectionBottom);
    if (style->titled)
    {
      // Title and a short accent rule under it.
      const std::string title = upper(s.group);
      fonts.label.draw(out, title, 10, static_cast<float>(s.x + 9), s.y + 14, style->accent, 1.2f);
      const int tw = fonts.label.measure(title, 10, 1.2f);
      paint::fillRect(out, s.x + 9, s.y + 17, tw, 1, style->accent, 0.55f);
    }
    else
    {
      const float cx = s.x + s.width / 2.0f;
      fonts.brand.drawCentred(out, "KOLVANE", 17, cx, s.y + 26, style->accent, 1.5f);
      fonts.label.drawCentred(out, "RHYTHMIC GATE", 7, cx, s.y + 37, kDimLabel, 0.8f);
    }
  }

  // The steps in groups of four, one beat each, on alternating plates behind
  // their buttons and LEDs.
  const int pitch = controlOf(kStepSeq1 + 1).x - controlOf(kStepSeq1).x;
  for (int g = 0; g < kNumStepLeds / 4; ++g)
  {
    const EditorControl button = controlOf(kStepSeq1 + 4 * g);
    const int top = GetEditorControl(4 * g).y - 10;
    const int bottom = button.y + FindPicture(button.picture)->FrameHeight();
    paint::plate(out, button.x - 5, top, 4 * pitch - 1, bottom - top, 4,
                 g % 2 ? 0xFF30343B : 0xFF373C44, g % 2 ? 0xFF2A2E34 : 0xFF30353C);
  }

  for (int i = 0; i < kNumParams; ++i)
  {
    if (parameterProperties[i].control == kControlNone)
    {
      continue; // nothing of its own to label
    }
    const PanelStyle* style =
        FindPanel(parameterProperties[i].group) ? styleOf(parameterProperties[i].group) : nullptr;
    if (!style)
    {
      std::fprintf(stderr, "kolvane-artwork: \"%s\" sits in no panel (\"%s\")\n",
                   parameterProperties[i].name, parameterProperties[i].group);
      return false;
    }
    decorate(out, fonts, i, style->accent);
  }

  // Corner screws.
  for (int sx : {4, kEditorWidth - 5})
    for (int sy : {4, kEditorHeight - 5})
    {
      paint::disc(out, sx, sy, 2.5, 0xFF6A707A, 0xFF2A2D33);
      paint::line(out, sx - 1, sy + 1, sx + 1, sy - 1, 0xFF15171A, 1.0f);
    }
  return true;
}
} // namespace

bool drawPicture(int id, Fonts& fonts, LICE_MemBitmap& picture, double scale)
{
  paint::Canvas out(&picture, scale);
  switch (id)
  {
  case kPictureBackground:
    return background(out, fonts);
  case kPictureKnob:
    knob(out, kBigKnob, 30, false);
    return true;
  case kPictureKnob8:
    knob(out, kBigKnob, 8, true);
    return true;
  case kPictureSmallKnob9:
    knob(out, kSmallKnob, 9, true);
    return true;
  case kPictureSmallKnob15:
    knob(out, kSmallKnob, 15, true);
    return true;
  case kPictureSmallKnob64:
    knob(out, kSmallKnob, 64, false);
    return true;
  case kPictureBigButton:
    bigButton(out, fonts);
    return true;
  case kPictureFader:
    fader(out);
    return true;
  case kPictureSmallSwitch:
    smallSwitch(out);
    return true;
  case kPictureStepButton:
    stepButton(out);
    return true;
  case kPictureLed:
    led(out);
    return true;
  case kPictureSwingSlider:
    slider(out);
    return true;
  default:
    return false;
  }
}

#include "Pictures.h"

#include "KolvaneParams.h"
#include "Paint.h"

#include <cmath>
#include <string>

using paint::kPi;

namespace
{
// Panel colours. Each section has an accent by what it shapes: amber for
// the amplitude, cyan for the filter, red for the gate, green for the
// sequencer, silver for the output.
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

void knobFrame(LICE_IBitmap* bm, int oy, const KnobStyle& s, double t, int positions)
{
  const double c = s.size / 2.0 - 0.5, cy = oy + c;
  const double angle = paint::sweepAngle(t);
  if (positions == 0)
  {
    paint::arcBand(bm, c, cy, s.ringR, s.ringW, paint::kSweepStart, paint::kSweepEnd, s.track);
    if (t > 0.0)
      paint::arcBand(bm, c, cy, s.ringR, s.ringW, paint::kSweepStart, angle, s.lit);
  }
  else
  {
    for (int i = 0; i < positions; ++i)
    {
      const double a = paint::sweepAngle(static_cast<double>(i) / (positions - 1));
      const bool on = std::fabs(a - angle) < 1e-6;
      const double dr = on ? s.ringW * 0.75 + 0.6 : s.ringW * 0.5 + 0.2;
      paint::disc(bm, c + s.ringR * std::sin(a), cy - s.ringR * std::cos(a), dr,
                  on ? s.lit : s.track, on ? s.lit : s.track);
    }
  }
  // Shadow, cap with a lit rim, and a slightly sunken face.
  paint::glow(bm, c, cy + s.capR * 0.12, s.capR * 0.9, s.capR + 3.0, 0xFF000000, 150);
  paint::disc(bm, c, cy, s.capR, s.capTop, s.capBottom);
  LICE_Circle(bm, static_cast<float>(c), static_cast<float>(cy), static_cast<float>(s.capR - 0.5),
              s.rim, 0.6f, LICE_MODE_COPY, true);
  paint::disc(bm, c, cy, s.capR * 0.78, s.faceTop, s.faceBottom);
  const double sn = std::sin(angle), cs = std::cos(angle);
  paint::stroke(bm, c + sn * s.capR * 0.3, cy - cs * s.capR * 0.3, c + sn * s.capR * 0.88,
                cy - cs * s.capR * 0.88, s.size > 50 ? 3.0 : 2.4, s.pointer);
}

void knob(LICE_MemBitmap& out, const KnobStyle& style, int frames, bool stepped)
{
  const int size = static_cast<int>(style.size);
  out.resize(size, size * frames);
  LICE_Clear(&out, kClear);
  for (int f = 0; f < frames; ++f)
    knobFrame(&out, f * size, style, static_cast<double>(f) / (frames - 1), stepped ? frames : 0);
}

const KnobStyle kBigKnob = {64,         27.0,       3.0,        21.0,       0xFF666C77, 0xFF2A2E35,
                            0xFF4A505A, 0xFF343840, 0xFF8A919C, 0xFF3A3F47, 0xFFF2E6CF, 0xFFFFFFFF};
const KnobStyle kSmallKnob = {40,         17.0,       2.2,        12.5,
                              0xFF5B8EE6, 0xFF1F4592, 0xFF3F72C9, 0xFF2A58A8,
                              0xFF9CC1FF, 0xFF34404F, 0xFF7CC4FF, 0xFFFFFFFF};

// --- Buttons, switches, LEDs, fader ---------------------------------------------

void bigButton(LICE_MemBitmap& out, Fonts& fonts)
{
  out.resize(128, 256);
  LICE_Clear(&out, kClear);
  for (int f = 0; f < 2; ++f)
  {
    const bool held = f == 1;
    const double cx = 63.5, cy = f * 128 + 63.5;
    if (held)
      paint::glow(&out, cx, cy, 44, 60, kRed, 200);
    paint::glow(&out, cx, cy + 3, 44, 52, 0xFF000000, 170);
    paint::disc(&out, cx, cy, 48, 0xFF5A5F68, 0xFF1E2125); // bezel
    paint::disc(&out, cx, cy, 44, 0xFF16181B, 0xFF2C3036); // well
    const double press = held ? 1.5 : 0.0;
    if (held)
      paint::disc(&out, cx, cy + press, 41, 0xFFFF9A6B, 0xFFE0401F);
    else
      paint::disc(&out, cx, cy, 41, 0xFFC8553D, 0xFF7E2617);
    paint::disc(&out, cx, cy + press - 1, 35, held ? 0xFFFF8A5C : 0xFFB14A34,
                held ? 0xFFF0532C : 0xFF8E301E);
    fonts.label.drawCentred(&out, "PUSH", 17, static_cast<float>(cx),
                            static_cast<int>(cy + press + 6), held ? 0xFFFFFFFF : 0xFFF3D9CF, 1.5f);
  }
}

void fader(LICE_MemBitmap& out)
{
  out.resize(24, 300);
  LICE_Clear(&out, kClear);
  for (int f = 0; f < 3; ++f)
  {
    const int oy = f * 100;
    paint::plate(&out, 9, oy + 12, 6, 76, 3, 0xFF0C0D0F, 0xFF1B1D21);
    for (int k = 0; k < 3; ++k)
    {
      const int y = oy + 78 - 28 * k;
      LICE_Line(&out, 2, y, 5, y, 0xFF6B717B, 1.0f, LICE_MODE_COPY, false);
      LICE_Line(&out, 18, y, 21, y, 0xFF6B717B, 1.0f, LICE_MODE_COPY, false);
    }
    const int hy = oy + 78 - 28 * f;
    paint::glow(&out, 12, hy + 2, 6, 11, 0xFF000000, 140);
    paint::plate(&out, 2, hy - 7, 20, 14, 3, 0xFFB9BEC6, 0xFF5C626B);
    LICE_Line(&out, 4, hy, 19, hy, 0xFF23262B, 1.0f, LICE_MODE_COPY, false);
    LICE_Line(&out, 4, hy + 1, 19, hy + 1, 0xFFE9ECEF, 0.6f, LICE_MODE_COPY, false);
  }
}

// A toggle lever: down and dark when off, up with a lit amber tip when on.
void smallSwitch(LICE_MemBitmap& out)
{
  out.resize(26, 52);
  LICE_Clear(&out, kClear);
  for (int f = 0; f < 2; ++f)
  {
    const bool on = f == 1;
    const double cx = 12.5, cy = f * 26 + 12.5;
    paint::plate(&out, 1, f * 26 + 1, 24, 24, 5, 0xFF3B4048, 0xFF15171A);
    paint::plate(&out, 3, f * 26 + 3, 20, 20, 4, 0xFF111214, 0xFF22252A);
    paint::disc(&out, cx, cy, 5.0, 0xFFA5ABB3, 0xFF4E535B);
    const double tipY = on ? cy - 7.5 : cy + 7.5;
    paint::stroke(&out, cx, cy, cx, tipY, 3.4, 0xFFC9CED5);
    if (on)
      paint::glow(&out, cx, tipY, 2.5, 7.5, kAmber, 170);
    paint::disc(&out, cx, tipY, 3.4, on ? 0xFFFFE1A0 : 0xFF8D939B, on ? 0xFFFF9F1C : 0xFF50555D);
  }
}

void stepButton(LICE_MemBitmap& out)
{
  out.resize(25, 86);
  LICE_Clear(&out, kClear);
  for (int f = 0; f < 2; ++f)
  {
    const bool on = f == 1;
    const int oy = f * 43;
    paint::plate(&out, 0, oy + 1, 25, 42, 4, 0xFF0E0F11, 0xFF0E0F11); // shadow
    if (on)
    {
      paint::plate(&out, 1, oy, 23, 40, 4, 0xFFFFC870, 0xFFE07B16);
      paint::plate(&out, 3, oy + 3, 19, 6, 2, 0xFFFFF6D8, 0xFFFFE2A0);
    }
    else
    {
      paint::plate(&out, 1, oy, 23, 40, 4, 0xFF5D636C, 0xFF353940);
      paint::plate(&out, 3, oy + 3, 19, 6, 2, 0xFF2A2D32, 0xFF1F2226);
    }
    LICE_Line(&out, 4, oy + 38, 20, oy + 38, on ? 0xFFB35E0E : 0xFF25282D, 0.8f, LICE_MODE_COPY,
              false);
  }
}

void led(LICE_MemBitmap& out)
{
  out.resize(18, 36);
  LICE_Clear(&out, kClear);
  for (int f = 0; f < 2; ++f)
  {
    const bool on = f == 1;
    const double c = 8.5, cy = f * 18 + 8.5;
    if (on)
      paint::glow(&out, c, cy, 4.5, 9.0, 0xFF47FF73, 190);
    paint::disc(&out, c, cy, 6.6, 0xFF15171A, 0xFF464B53);
    if (on)
      paint::disc(&out, c, cy, 5.0, 0xFFB8FFC8, 0xFF1FD14C);
    else
      paint::disc(&out, c, cy, 5.0, 0xFF1F3A26, 0xFF12241A);
    paint::disc(&out, c - 1.6, cy - 1.8, 1.6, on ? 0xFFFFFFFF : 0xFF4A6A55,
                on ? 0xFFE8FFEE : 0xFF2C4434);
  }
}

// --- Background ------------------------------------------------------------------

struct Section
{
  int x0, y0, x1, y1;
  const char* title;
  LICE_pixel accent;
};

const Section kSections[] = {
    {10, 8, 324, 148, "FILTER", kCyan},
    {332, 8, 540, 148, "GATE", kRed},
    {548, 8, 654, 148, nullptr, kSilver}, // titled by the product name
    {10, 154, 356, 262, "AMP ENVELOPE", kAmber},
    {364, 154, 654, 262, "AMP LFO", kAmber},
    {10, 268, 356, 369, "FILTER ENVELOPE", kCyan},
    {364, 268, 654, 369, "FILTER LFO", kCyan},
    {10, 375, 654, 466, "STEP SEQUENCER", kGreen},
};

// The control the editor shows parameter param with.
EditorControl controlOf(int param)
{
  return GetEditorControl(kNumStepLeds + param);
}

// Scale marks around a knob's place: fine ticks for a continuous knob, one
// dot per position for a stepped one.
void knobScale(LICE_IBitmap* bm, int param, LICE_pixel accent)
{
  const EditorControl c = controlOf(param);
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
      paint::disc(bm, cx + sn * r, cy - cs * r, big ? 1.3 : 1.0, accent, accent);
    else
      paint::stroke(
          bm, cx + sn * (r - 1.0), cy - cs * (r - 1.0), cx + sn * (r + 1.5), cy - cs * (r + 1.5),
          1.2, (i == 0 || i == positions - 1) ? accent : paint::mix(kDimLabel, kPanelTop, 0.3));
  }
}

void labelUnder(LICE_IBitmap* bm, Fonts& fonts, int param, const char* text, int dy = 0)
{
  const EditorControl c = controlOf(param);
  const PictureProperties* p = FindPicture(c.picture);
  const int h = p->height / p->frames;
  fonts.label.drawCentred(bm, text, 9, c.x + p->width / 2.0f, c.y + h + 9 + dy, kLabel, 0.6f);
}

// Saw, square and sine icons, drawn 14 x 8 with their left middle at (x, y).
void waveIcon(LICE_IBitmap* bm, int shape, double x, double y, LICE_pixel color)
{
  const double w = 14, h = 4;
  if (shape == 0)
  {
    paint::stroke(bm, x, y + h, x + w / 2, y - h, 1.3, color);
    paint::stroke(bm, x + w / 2, y - h, x + w / 2, y + h, 1.3, color);
    paint::stroke(bm, x + w / 2, y + h, x + w, y - h, 1.3, color);
  }
  else if (shape == 1)
  {
    paint::stroke(bm, x, y + h, x, y - h, 1.3, color);
    paint::stroke(bm, x, y - h, x + w / 2, y - h, 1.3, color);
    paint::stroke(bm, x + w / 2, y - h, x + w / 2, y + h, 1.3, color);
    paint::stroke(bm, x + w / 2, y + h, x + w, y + h, 1.3, color);
  }
  else
  {
    double px = x, py = y;
    for (int i = 1; i <= 14; ++i)
    {
      const double nx = x + w * i / 14.0, ny = y - h * std::sin(2 * kPi * i / 14.0);
      paint::stroke(bm, px, py, nx, ny, 1.3, color);
      px = nx;
      py = ny;
    }
  }
}

// The three positions of a selector, labelled to its right; position 0 is
// at the bottom.
void faderLegend(LICE_IBitmap* bm, Fonts& fonts, int param, const char* const names[3], bool waves,
                 LICE_pixel accent)
{
  const EditorControl c = controlOf(param);
  for (int k = 0; k < 3; ++k)
  {
    const int y = c.y + 78 - 28 * k;
    double x = c.x + 28;
    if (waves)
    {
      waveIcon(bm, k, x, y, accent);
      x += 19;
    }
    fonts.label.draw(bm, names[k], 8, static_cast<float>(x), y + 3, kLabel, 0.5f);
  }
}

void background(LICE_MemBitmap& out, Fonts& fonts)
{
  out.resize(kEditorWidth, kEditorHeight);
  paint::shaded(&out, 0, 0, kEditorWidth, kEditorHeight, kPanelTop, kPanelBottom,
                [](LICE_IBitmap* m) { LICE_Clear(m, 0xFFFFFFFF); });
  // A bevelled outer edge.
  LICE_Line(&out, 0, 0, kEditorWidth - 1, 0, 0xFF3A3E45, 1.0f, LICE_MODE_COPY, false);
  LICE_Line(&out, 0, kEditorHeight - 1, kEditorWidth - 1, kEditorHeight - 1, 0xFF0D0E10, 1.0f,
            LICE_MODE_COPY, false);

  for (const Section& s : kSections)
  {
    const int w = s.x1 - s.x0, h = s.y1 - s.y0;
    paint::plate(&out, s.x0 - 1, s.y0 - 1, w + 2, h + 2, 7, kSectionEdge, 0xFF2E3238);
    paint::plate(&out, s.x0, s.y0, w, h, 6, kSectionTop, kSectionBottom);
    if (!s.title)
      continue;
    // Title and a short accent rule under it.
    fonts.label.draw(&out, s.title, 10, static_cast<float>(s.x0 + 9), s.y0 + 14, s.accent, 1.2f);
    const int tw = fonts.label.measure(s.title, 10, 1.2f);
    LICE_FillRect(&out, s.x0 + 9, s.y0 + 17, tw, 1, s.accent, 0.55f, LICE_MODE_COPY);
  }

  // Filter.
  for (int p : {8, 9, 40})
    knobScale(&out, p, kCyan);
  labelUnder(&out, fonts, 8, "CUTOFF");
  labelUnder(&out, fonts, 9, "RESONANCE");
  labelUnder(&out, fonts, 40, "ENV AMOUNT");
  {
    const char* const names[3] = {"LP", "HP", "BP"};
    faderLegend(&out, fonts, 17, names, false, kCyan);
    labelUnder(&out, fonts, 17, "TYPE", -1);
  }

  // Gate: the push button and the mode switch (on: MIDI notes open the
  // gate; off: the step pattern does).
  {
    const EditorControl sw = controlOf(36);
    fonts.label.drawCentred(&out, "MIDI", 8, sw.x + 13.0f, sw.y - 5, kLabel, 0.5f);
    fonts.label.drawCentred(&out, "STEP", 8, sw.x + 13.0f, sw.y + 26 + 11, kLabel, 0.5f);
    fonts.label.drawCentred(&out, "MODE", 8, sw.x + 13.0f, sw.y - 16, kDimLabel, 0.5f);
  }

  // Mix, under the product name.
  fonts.brand.drawCentred(&out, "KOLVANE", 17, 601.0f, 34, kSilver, 1.5f);
  fonts.label.drawCentred(&out, "RHYTHMIC GATE", 7, 601.0f, 45, kDimLabel, 0.8f);
  knobScale(&out, 41, kSilver);
  {
    const EditorControl c = controlOf(41);
    fonts.label.drawCentred(&out, "DRY", 8, c.x + 7.0f, c.y + 63, kDimLabel, 0.5f);
    fonts.label.drawCentred(&out, "WET", 8, c.x + 57.0f, c.y + 63, kDimLabel, 0.5f);
    labelUnder(&out, fonts, 41, "MIX");
  }

  // Envelopes.
  const char* const stages[4] = {"ATTACK", "DECAY", "SUSTAIN", "RELEASE"};
  for (int i = 0; i < 4; ++i)
  {
    knobScale(&out, i, kAmber);
    knobScale(&out, 4 + i, kCyan);
    labelUnder(&out, fonts, i, stages[i]);
    labelUnder(&out, fonts, 4 + i, stages[i]);
  }

  // LFOs: depth, rate (one cycle per 1/2 note up to 1/256), triplet, wave.
  const char* const waves[3] = {"SAW", "SQR", "SINE"};
  const struct
  {
    int depth, rate, triplet, wave;
    LICE_pixel accent;
  } lfos[2] = {{10, 11, 12, 18, kAmber}, {13, 14, 15, 19, kCyan}};
  for (const auto& l : lfos)
  {
    knobScale(&out, l.depth, l.accent);
    knobScale(&out, l.rate, l.accent);
    labelUnder(&out, fonts, l.depth, "DEPTH");
    labelUnder(&out, fonts, l.rate, "RATE");
    const EditorControl rate = controlOf(l.rate);
    fonts.label.drawCentred(&out, "1/2", 7, rate.x + 7.0f, rate.y + 66, kDimLabel, 0.3f);
    fonts.label.drawCentred(&out, "1/256", 7, rate.x + 57.0f, rate.y + 66, kDimLabel, 0.3f);
    const EditorControl sw = controlOf(l.triplet);
    fonts.label.drawRight(&out, "TRIPLET", 8, sw.x - 3.0f, sw.y + 17, kLabel, 0.5f);
    faderLegend(&out, fonts, l.wave, waves, true, l.accent);
    labelUnder(&out, fonts, l.wave, "WAVE", -3);
  }

  // Step sequencer: groups of four steps on alternating plates, numbered
  // above their LEDs.
  for (int g = 0; g < 4; ++g)
  {
    const int x = 23 + 128 * g - 5;
    paint::plate(&out, x, 392, 4 * 32 - 1, 71, 4, g % 2 ? 0xFF30343B : 0xFF373C44,
                 g % 2 ? 0xFF2A2E34 : 0xFF30353C);
  }
  for (int k = 0; k < 16; ++k)
  {
    const std::string n = std::to_string(k + 1);
    fonts.label.drawCentred(&out, n, 8, 23 + 32 * k + 9.0f, 400, k % 4 == 0 ? kGreen : kDimLabel,
                            0.0f);
  }
  for (int p : {37, 38, 39})
    knobScale(&out, p, kGreen);
  labelUnder(&out, fonts, 37, "LENGTH", -2);
  labelUnder(&out, fonts, 38, "STEPS", -2);
  {
    const EditorControl speed = controlOf(39);
    fonts.label.draw(&out, "SPEED", 9, speed.x + 43.0f, speed.y + 24, kLabel, 0.6f);
  }

  // Corner screws.
  for (int sx : {4, kEditorWidth - 5})
    for (int sy : {4, kEditorHeight - 5})
    {
      paint::disc(&out, sx, sy, 2.5, 0xFF6A707A, 0xFF2A2D33);
      LICE_Line(&out, sx - 1, sy + 1, sx + 1, sy - 1, 0xFF15171A, 1.0f, LICE_MODE_COPY, false);
    }
}
} // namespace

bool drawPicture(int id, Fonts& fonts, LICE_MemBitmap& out)
{
  switch (id)
  {
  case kPictureBackground:
    background(out, fonts);
    return true;
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
  default:
    return false;
  }
}

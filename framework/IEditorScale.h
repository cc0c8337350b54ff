#pragma once

// The sizes an editor is drawn at, and the rules that every part meeting a
// scale shares: the editor's graphics context, the plug-in's stored state,
// the format adapters and the artwork generator.
//
// A scale of 1 is 100 %: one pixel per layout unit, the units the editor's
// layout is given in. Pictures are drawn for each supported scale; a
// picture's set for a scale is stored under its own resource id.

#include <string>

const int kNumEditorScales = 3;
const double kEditorScales[kNumEditorScales] = {1.0, 1.5, 2.0};

// The supported scale nearest to scale (the smaller of two equally near);
// 1 for anything that is not a positive finite number.
double NearestEditorScale(double scale);
// The position of NearestEditorScale(scale) in kEditorScales.
int EditorScaleIndex(double scale);
// 100, 150 or 200 for the nearest supported scale.
int EditorScalePercent(double scale);

// A length or an edge of n layout units in pixels at the scale: n times the
// scale, rounded half up. Exactly n at 1. Within half a pixel of n times the
// scale, so for every supported scale the length comes back as n through
// LayoutLength.
int ScaledPixels(int n, double scale);
// The layout length of px pixels at the scale: px / scale, rounded half up.
int LayoutLength(int px, double scale);

// The resource id of the set drawn for the scale of the picture stored
// under id at 100 %: id + 1000 at 1.5, id + 2000 at 2. Ids at 100 % stay
// below 1000.
int ScaledPictureId(int id, double scale);
const int kScaledPictureIdStep = 1000;
// The file name of that set: "knob.png" gives "knob@1.5x.png" and
// "knob@2x.png"; at 1 the name itself.
std::string ScaledPictureName(const std::string& name, double scale);

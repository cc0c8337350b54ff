#include "IParam.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void CopyBounded(char* dst, const char* src, int dstSize)
{
  if (!dst || dstSize <= 0)
  {
    return;
  }
  int n = 0;
  if (src)
  {
    while (n < dstSize - 1 && src[n])
    {
      ++n;
    }
    std::memmove(dst, src, static_cast<size_t>(n));
  }
  dst[n] = '\0';
}

double ToNormalizedParam(double nonNormalizedValue, double min, double max, double shape)
{
  return std::pow((nonNormalizedValue - min) / (max - min), 1.0 / shape);
}

double FromNormalizedParam(double normalizedValue, double min, double max, double shape)
{
  return std::pow(normalizedValue, shape) * (max - min) + min;
}

double DBToAmp(double dB)
{
  return std::exp(0.1151292546497 * dB);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label, const char* group)
{
  if (mType == kTypeNone)
  {
    mType = kTypeDouble;
  }
  CopyBounded(mName, name, sizeof mName);
  CopyBounded(mLabel, label, sizeof mLabel);
  CopyBounded(mParamGroup, group, sizeof mParamGroup);
  mValue = mDefault = defaultVal;
  mMin = minVal;
  // A range at least one step wide keeps normalization from dividing by 0.
  mMax = maxVal > minVal + step ? maxVal : minVal + step;
  mStep = step;

  mDisplayPrecision = 0;
  double working = step;
  while (mDisplayPrecision < 6 && working != std::floor(working))
  {
    ++mDisplayPrecision;
    working *= 10.0;
  }
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group)
{
  if (mType == kTypeNone)
  {
    mType = kTypeInt;
  }
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, label, group);
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label,
                      const char* group)
{
  if (mType == kTypeNone)
  {
    mType = kTypeEnum;
  }
  InitInt(name, defaultVal, 0, nEnums - 1, label, group);
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group)
{
  if (mType == kTypeNone)
  {
    mType = kTypeBool;
  }
  InitEnum(name, defaultVal ? 1 : 0, 2, label, group);
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0)
  {
    mShape = shape;
  }
}

void IParam::SetDisplayText(int value, const char* text)
{
  int n = mDisplayTexts.GetSize();
  DisplayText* texts = mDisplayTexts.Resize(n + 1);
  if (!texts)
  {
    return;
  }
  texts[n].mValue = value;
  CopyBounded(texts[n].mText, text, sizeof texts[n].mText);
}

void IParam::Set(double value)
{
  if (!std::isfinite(value))
  {
    return;
  }
  mValue = value < mMin ? mMin : (value > mMax ? mMax : value);
}

double IParam::FromNormalized(double normalizedValue) const
{
  normalizedValue = normalizedValue < 0.0 ? 0.0 : (normalizedValue > 1.0 ? 1.0 : normalizedValue);
  double value = FromNormalizedParam(normalizedValue, mMin, mMax, mShape);
  if (mType != kTypeDouble)
  {
    value = std::floor(value / mStep + 0.5) * mStep;
  }
  return value < mMax ? value : mMax;
}

void IParam::SetNormalized(double normalizedValue)
{
  if (!std::isfinite(normalizedValue))
  {
    return;
  }
  mValue = FromNormalized(normalizedValue);
}

double IParam::GetNormalized() const
{
  return GetNormalized(mValue);
}

double IParam::GetNormalized(double nonNormalizedValue) const
{
  double value = nonNormalizedValue < mMin   ? mMin
                 : nonNormalizedValue > mMax ? mMax
                                             : nonNormalizedValue;
  return ToNormalizedParam(value, mMin, mMax, mShape);
}

int IParam::Int() const
{
  if (mValue >= 2147483647.0)
  {
    return 2147483647;
  }
  if (mValue <= -2147483648.0)
  {
    return -2147483647 - 1;
  }
  return static_cast<int>(mValue);
}

double IParam::DBToAmp() const
{
  return ::DBToAmp(mValue);
}

void IParam::GetBounds(double* pMin, double* pMax) const
{
  if (pMin)
  {
    *pMin = mMin;
  }
  if (pMax)
  {
    *pMax = mMax;
  }
}

const char* IParam::GetLabelForHost() const
{
  if (mFormat)
  {
    // The format's unit follows the value: written afresh at each call.
    GetUnitForHost(mValue, false, mUnit);
    return mUnit;
  }
  return DisplayTextOf(mValue)[0] ? "" : mLabel;
}

void IParam::GetUnitForHost(double value, bool normalized, char* unit) const
{
  if (unit)
  {
    char text[MAX_PARAM_DISPLAY_LEN];
    Describe(value, normalized, true, text, unit);
  }
}

const char* IParam::DisplayTextOf(double value) const
{
  const double kIntLimit = 2147483647.0;
  return value > -kIntLimit && value < kIntLimit ? GetDisplayText(static_cast<int>(value)) : "";
}

int IParam::GetNDisplayTexts() const
{
  return mDisplayTexts.GetSize();
}

const char* IParam::GetDisplayText(int value) const
{
  const DisplayText* texts = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
  {
    if (texts[i].mValue == value)
    {
      return texts[i].mText;
    }
  }
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* pValue) const
{
  if (idx < 0 || idx >= mDisplayTexts.GetSize())
  {
    return "";
  }
  const DisplayText& entry = mDisplayTexts.Get()[idx];
  if (pValue)
  {
    *pValue = entry.mValue;
  }
  return entry.mText;
}

bool IParam::MapDisplayText(const char* str, int* pValue) const
{
  if (!str)
  {
    return false;
  }
  const DisplayText* texts = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
  {
    if (std::strcmp(texts[i].mText, str) == 0)
    {
      if (pValue)
      {
        *pValue = texts[i].mValue;
      }
      return true;
    }
  }
  return false;
}

bool IParam::ParseText(const char* text, double* value) const
{
  if (!text || !value)
  {
    return false;
  }
  double parsed = 0.0;
  if (mFormat)
  {
    if (!mFormat->Parse(text, &parsed) || !std::isfinite(parsed))
    {
      return false;
    }
    *value = parsed;
    return true;
  }
  int mapped = 0;
  if (MapDisplayText(text, &mapped))
  {
    *value = mapped;
    return true;
  }
  // strtod alone would read "abc" as 0 and "nan" or "inf" as numbers, and
  // differently on each runtime.
  char* end = nullptr;
  parsed = std::strtod(text, &end);
  if (end == text || !std::isfinite(parsed))
  {
    return false;
  }
  while (*end == ' ' || *end == '\t')
  {
    ++end;
  }
  const size_t labelLen = std::strlen(mLabel);
  if (labelLen > 0 && std::strncmp(end, mLabel, labelLen) == 0)
  {
    end += labelLen;
  }
  while (*end == ' ' || *end == '\t')
  {
    ++end;
  }
  if (*end)
  {
    return false;
  }
  parsed = mNegateDisplay ? -parsed : parsed;
  // A value shown by a display text is taken by that text only: "2" typed
  // into a list of three could mean its second or its third choice.
  if (DisplayTextOf(parsed)[0])
  {
    return false;
  }
  *value = parsed;
  return true;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* str, bool withDisplayText) const
{
  if (str)
  {
    char unit[MAX_PARAM_LABEL_LEN];
    Describe(value, normalized, withDisplayText, str, unit);
  }
}

void IParam::Describe(double value, bool normalized, bool withDisplayText, char* str,
                      char* unit) const
{
  if (normalized)
  {
    // A host's normalized value may be anything; show it as the nearest end.
    value = FromNormalized(std::isnan(value) ? 0.0 : value);
  }
  str[0] = '\0';
  unit[0] = '\0';
  if (mFormat)
  {
    mFormat->Format(value, str, unit);
    str[MAX_PARAM_DISPLAY_LEN - 1] = '\0';
    unit[MAX_PARAM_LABEL_LEN - 1] = '\0';
    return;
  }
  if (withDisplayText && DisplayTextOf(value)[0])
  {
    CopyBounded(str, DisplayTextOf(value), MAX_PARAM_DISPLAY_LEN);
    return;
  }
  CopyBounded(unit, mLabel, MAX_PARAM_LABEL_LEN);
  // Integer conversions below are only defined inside int's range.
  const double kIntLimit = 2147483647.0;
  bool fitsInt = value > -kIntLimit && value < kIntLimit;
  if (mNegateDisplay)
  {
    value = -value;
  }
  if (mDisplayPrecision > 0 || !fitsInt)
  {
    std::snprintf(str, MAX_PARAM_DISPLAY_LEN, "%.*f", mDisplayPrecision, value);
  }
  else
  {
    std::snprintf(str, MAX_PARAM_DISPLAY_LEN, "%d", static_cast<int>(value));
  }
}

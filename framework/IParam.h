#pragma once

#include "WDL_TypedBuf.h"

// One automatable parameter: its kind, range and step, a response curve
// (the shape) between the host's normalized 0..1 value and the real range,
// its current value in real units, and the texts a host or the editor shows.
//
// Text fields are fixed 32-byte buffers holding up to 31 characters; longer
// input is cut, never overflows. No locking inside: callers hold the plug-in
// mutex where two threads may meet.
//
// Values from outside (host automation, typed text, state chunks, preset
// files) that are not finite numbers leave the parameter as it was, and a
// normalized value outside 0..1 is clamped into it before the curve.

enum EParamType
{
  kTypeNone = 0,
  kTypeBool = 1,
  kTypeInt = 2,
  kTypeEnum = 3,
  kTypeDouble = 4,
};

// Bytes of every text field, the terminator included.
const int MAX_PARAM_NAME_LEN = 32;
const int MAX_PARAM_LABEL_LEN = 32;
const int MAX_PARAM_GROUP_LEN = 32;
const int MAX_PARAM_DISPLAY_LEN = 32;

// How a parameter's values read as text where a plain number does not say
// enough: seconds as "10 ms", levels in percent, choices by name. The
// plug-in supplies one and keeps it alive as long as the parameter; the
// parameter then shows, labels and reads its texts through it, for the host
// and for the editor's text entry alike.
class IParamFormat
{
public:
  // The text for a value in real units, and the unit that goes with it ("ms",
  // "%", or "" when the text says it all), each at most MAX_PARAM_DISPLAY_LEN
  // and MAX_PARAM_LABEL_LEN bytes with the terminator.
  virtual void Format(double value, char* text, char* unit) const = 0;
  // The value in real units for a text a person typed: the forms Format
  // writes, with or without the unit, and plain numbers in real units.
  // False for a text it does not take, value then untouched.
  virtual bool Parse(const char* text, double* value) const = 0;

protected:
  ~IParamFormat() = default;
};

class IParam
{
public:
  struct DisplayText
  {
    int mValue;
    char mText[MAX_PARAM_DISPLAY_LEN];
  };

  IParam() = default;

  // The first Init call fixes the kind; the inner calls it makes keep it.
  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "",
                const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "");

  EParamType Type() const { return mType; }

  // Exponent of the normalization curve, 1 linear; exactly 0 is ignored.
  void SetShape(double shape);
  // Appends one (value, text) record; duplicates are allowed.
  void SetDisplayText(int value, const char* text);
  // Texts through format from now on (null: the display texts and plain
  // numbers). The parameter does not own it.
  void SetFormat(const IParamFormat* format) { mFormat = format; }
  const IParamFormat* GetFormat() const { return mFormat; }

  // Real units, clamped into [min, max]; a non-finite value is ignored.
  void Set(double value);
  // 0..1 (clamped) through the curve; non-double kinds round to their step.
  // A non-finite value is ignored.
  void SetNormalized(double normalizedValue);
  double GetNormalized() const;
  double GetNormalized(double nonNormalizedValue) const;

  double Value() const { return mValue; }
  // The value truncated toward zero, saturating at the ends of int.
  int Int() const;
  bool Bool() const { return mValue >= 0.5; }
  double DBToAmp() const;
  double GetDefault() const { return mDefault; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  int GetPrecision() const { return mDisplayPrecision; }
  void GetBounds(double* pMin, double* pMax) const;
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }

  const char* GetNameForHost() const { return mName; }
  // With a format, the unit of the current value's text; else "" when the
  // current value has a non-empty display text, else the label.
  const char* GetLabelForHost() const;
  // The same for any value, the unit that goes with GetDisplayForHost's
  // text of it, into unit: at most MAX_PARAM_LABEL_LEN bytes with the
  // terminator.
  void GetUnitForHost(double value, bool normalized, char* unit) const;
  const char* GetParamGroupForHost() const { return mParamGroup; }

  int GetNDisplayTexts() const;
  // "" when no record has that value.
  const char* GetDisplayText(int value) const;
  // The record at idx, which must be below GetNDisplayTexts().
  const char* GetDisplayTextAtIdx(int idx, int* pValue = nullptr) const;
  // Exact, case-sensitive match of a record's text.
  bool MapDisplayText(const char* str, int* pValue) const;

  // Formats a value into str, at most MAX_PARAM_DISPLAY_LEN bytes with the
  // terminator: with a format, the format's text; else its display text when
  // it has one (and withDisplayText), else the number at the display
  // precision (truncated to an integer at precision 0). A normalized value
  // is the value SetNormalized would set (clamped into 0..1, NaN as 0, a
  // whole kind at its step), so that what a host is shown for it is what it
  // plays.
  void GetDisplayForHost(char* str) const { GetDisplayForHost(mValue, false, str, true); }
  void GetDisplayForHostNoDisplayText(char* str) const
  {
    GetDisplayForHost(mValue, false, str, false);
  }
  void GetDisplayForHost(double value, bool normalized, char* str,
                         bool withDisplayText = true) const;

  bool DisplayIsNegated() const { return mNegateDisplay; }

  // The value in real units for a text a host or a person gives: with a
  // format, what the format takes; else a display text (exact match), or a
  // plain number, optionally followed by the label, which is negated back
  // where the display negates, for a value that no display text shows. Text that is none of these,
  // and numbers that are not finite, give false and leave *value untouched. The one reading of
  // typed text: the hosts' text calls and the editor's text box both come here, so a text a host
  // shows, typed back, sets that value.
  bool ParseText(const char* text, double* value) const;

private:
  // The real value SetNormalized sets for a finite normalized value.
  double FromNormalized(double normalizedValue) const;
  // The display text of a value: "" for none, and for a value beyond int's
  // range, where the conversion to its whole number is not defined.
  const char* DisplayTextOf(double value) const;
  // The text and the unit of a value, as GetDisplayForHost and
  // GetUnitForHost give them; neither may be null.
  void Describe(double value, bool normalized, bool withDisplayText, char* str, char* unit) const;

  EParamType mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[MAX_PARAM_NAME_LEN] = {};
  char mLabel[MAX_PARAM_LABEL_LEN] = {};
  char mParamGroup[MAX_PARAM_GROUP_LEN] = {};
  bool mNegateDisplay = false;
  WDL_TypedBuf<DisplayText> mDisplayTexts;
  const IParamFormat* mFormat = nullptr;
  mutable char mUnit[MAX_PARAM_LABEL_LEN] = {}; // the format's last unit
};

double ToNormalizedParam(double nonNormalizedValue, double min, double max, double shape);
double FromNormalizedParam(double normalizedValue, double min, double max, double shape);
// Decibels to a linear amplitude factor.
double DBToAmp(double dB);

// Copies src into a dst field of dstSize bytes: at most dstSize - 1
// characters and always a terminator. Null src gives "". The one string
// copy every fixed field and host buffer goes through.
void CopyBounded(char* dst, const char* src, int dstSize);

// The mirror an editor that runs apart from the plug-in works on (the LV2
// UI): what the editor reads of a parameter must be what the plug-in holds,
// or a knob would show one range and the host get another.

#include "KolvaneMirror.h"
#include "Kolvane.h"

#include <gtest/gtest.h>

TEST(KolvaneMirror, ParametersTextsAndReadoutsAreThePluginsOwn)
{
  Kolvane plug;
  KolvaneMirror mirror;
  ASSERT_EQ(plug.NParams(), mirror.NParams());
  ASSERT_EQ(plug.NReadouts(), mirror.NReadouts());
  EXPECT_EQ(plug.NInChannels(), mirror.NInChannels());
  EXPECT_EQ(plug.NOutChannels(), mirror.NOutChannels());
  EXPECT_STREQ(plug.GetReadoutInfo(0).symbol, mirror.GetReadoutInfo(0).symbol);
  EXPECT_EQ(plug.GetReadoutInfo(0).max, mirror.GetReadoutInfo(0).max);
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam* a = plug.GetParam(i);
    const IParam* b = mirror.GetParam(i);
    SCOPED_TRACE(a->GetNameForHost());
    EXPECT_STREQ(a->GetNameForHost(), b->GetNameForHost());
    EXPECT_EQ(a->Type(), b->Type());
    EXPECT_EQ(a->GetMin(), b->GetMin());
    EXPECT_EQ(a->GetMax(), b->GetMax());
    EXPECT_EQ(a->GetDefault(), b->GetDefault());
    EXPECT_EQ(a->Value(), b->Value());
    EXPECT_EQ(a->GetShape(), b->GetShape());
    for (double normalized : {0.0, 0.3, 0.77, 1.0})
    {
      char ta[MAX_PARAM_DISPLAY_LEN], tb[MAX_PARAM_DISPLAY_LEN];
      a->GetDisplayForHost(normalized, true, ta);
      b->GetDisplayForHost(normalized, true, tb);
      EXPECT_STREQ(ta, tb);
    }
  }
}

// The mirror holds no engine and no presets: the LV2 UI's instance is a
// fraction of a processing instance.
TEST(KolvaneMirror, HoldsNoPresets)
{
  KolvaneMirror mirror;
  EXPECT_EQ(0, mirror.Presets().NPresets());
  EXPECT_FALSE(mirror.DoesMidi());
}

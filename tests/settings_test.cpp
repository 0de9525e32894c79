#include "settings/settings.h"

#include <gtest/gtest.h>

#include "settings/conf_file.h"

TEST(SettingsTest, EmptyFileGivesZeroValuesClamped) {
  ConfFile conf;
  conf.Parse("");
  Settings s;
  StartPosition pos = ApplySettings(s, conf, Edition::Full, {0, 0, 1280, 1024});
  EXPECT_EQ(s.viewscale, 1);
  EXPECT_EQ(pos.x, 0);
  EXPECT_EQ(pos.y, 0);
}

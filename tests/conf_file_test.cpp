#include "settings/conf_file.h"

#include <gtest/gtest.h>

TEST(ConfFileTest, ReadsTypedEntries) {
  ConfFile conf;
  conf.Parse("$viewscale = 3\r\n&sd_file = \"a b\"\r\n%ratio = 1.5\r\n");
  EXPECT_EQ(conf.GetInt("viewscale"), 3);
  EXPECT_EQ(conf.strings.at("sd_file"), "\"a b\"");
  EXPECT_DOUBLE_EQ(conf.reals.at("ratio"), 1.5);
}

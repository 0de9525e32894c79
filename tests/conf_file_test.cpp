#include "settings/conf_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cstdio>
#include <sstream>
#include <string>

namespace {

ConfFile Parsed(const std::string& text) {
  ConfFile conf;
  conf.Parse(text);
  return conf;
}

// Each line read from a file by itself yields the entry on its right.
TEST(ConfFileTest, LineForms) {
  struct Row {
    const char* line;
    const char* map;  // "ints", "strings", "reals" or "" for nothing stored
    const char* name;
    const char* value;
  };
  const Row rows[] = {
      {"$view scale = 1 0", "ints", "viewscale", "10"},
      {"   // note", "", "", ""},
      {"\t//$sd = 1", "", "", ""},
      {"$sd = 2 // note", "ints", "sd", "2"},
      {"$sd = 2 ; laugh", "ints", "sd", "2"},
      {"$a 5", "", "", ""},
      {"$a=", "ints", "a", "0"},
      {"$=5", "ints", "", "5"},
      {"$ViewScale = 3", "ints", "ViewScale", "3"},
      {"&viewscale = 3", "strings", "viewscale", "3"},
      {"%ratio = 2.5", "reals", "ratio", "2.5"},
      {"#viewscale = 3", "", "", ""},
      {"$=", "", "", ""},  // fewer than three characters
      {"$a==b", "ints", "a", "0"},
      {"&p = a=b", "strings", "p", "a=b"},
      {"&sd_file = \"C:\\My Sounds\\a b.wav\"", "strings", "sd_file", "\"C:\\My Sounds\\a b.wav\""},
      {"&t = \"a b\" c d", "strings", "t", "\"a b\"cd"},
      {"&t = \"a b c d", "strings", "t", "\"a b c d"},  // blanks after an odd quote stay
      {"&t = \"a;b\" ; remark", "strings", "t", "\"a;b\""},
      {"&t = a;b", "strings", "t", "a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const ConfFile conf = Parsed(row.line);
    const size_t stored = conf.ints.size() + conf.strings.size() + conf.reals.size();
    if (std::string(row.map).empty()) {
      EXPECT_EQ(stored, 0u);
      continue;
    }
    ASSERT_EQ(stored, 1u);
    const std::string map = row.map;
    if (map == "ints") {
      EXPECT_EQ(std::to_string(conf.ints.at(row.name)), row.value);
    } else if (map == "strings") {
      EXPECT_EQ(conf.strings.at(row.name), row.value);
    } else {
      EXPECT_DOUBLE_EQ(conf.reals.at(row.name), std::stod(row.value));
    }
  }
}

TEST(ConfFileTest, FirstLineOfANameWinsInEachMap) {
  const ConfFile conf = Parsed("$sd = 1\n$sd = 3\n&sd = x\n&sd = y\n");
  EXPECT_EQ(conf.GetInt("sd"), 1);
  EXPECT_EQ(conf.strings.at("sd"), "x");
}

TEST(ConfFileTest, AtoiRules) {
  const std::pair<const char*, int32_t> rows[] = {
      {"42", 42},           {"+42", 42},          {"-42", -42},
      {"12abc", 12},        {"0x1F", 0},          {"\"5\"", 0},
      {"", 0},              {"-", 0},             {"+-3", 0},
      {"2147483647", INT32_MAX},                  {"-2147483648", INT32_MIN},
      {"2147483648", INT32_MAX},                  {"-2147483649", INT32_MIN},
      {"99999999999999999999999", INT32_MAX},     {"000000000000000000007", 7},
      {"\r5", 5},  // a lone CR is white space to atoi
  };
  for (const auto& [text, expected] : rows) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ConfAtoi(text), expected);
    EXPECT_EQ(Parsed(std::string("$v=") + text).GetInt("v"), expected);
  }
}

TEST(ConfFileTest, LineEnds) {
  // CR LF and LF end lines; a lone CR does not; the last line needs no LF.
  const ConfFile conf = Parsed("$a=1\r\n$b=2\n$c=3\r$d=4\n$e=5");
  EXPECT_EQ(conf.GetInt("a"), 1);
  EXPECT_EQ(conf.GetInt("b"), 2);
  EXPECT_EQ(conf.GetInt("c"), 3);
  EXPECT_EQ(conf.ints.count("d"), 0u);
  EXPECT_EQ(conf.GetInt("e"), 5);
  // A CR before the value's end is text of a string value.
  EXPECT_EQ(Parsed("&s=ab\r\r\n").strings.at("s"), "ab\r");
}

TEST(ConfFileTest, OddBytesAreText) {
  const std::string text("$a=1\0$b=2\n\x1a$c=3\n&s=\"x\0y\"\n$d\xff=4\n", 31);
  const ConfFile conf = Parsed(text);
  EXPECT_EQ(conf.GetInt("a"), 1);
  EXPECT_EQ(conf.ints.count("c"), 0u);  // the line begins with 0x1A
  EXPECT_EQ(conf.strings.at("s"), std::string("\"x\0y\"", 5));
  EXPECT_EQ(conf.GetInt("d\xff"), 4);
}

TEST(ConfFileTest, StreamAndBufferAgreeAcrossChunkBoundaries) {
  // Put a CR LF pair astride the reader's 64 KiB chunks.
  std::string text(65535 - 6, 'x');
  text = "//" + text.substr(2) + "\n$a=1\r\n$b=2\r\n";
  std::istringstream stream(text);
  ConfFile from_stream;
  from_stream.Parse(stream);
  const ConfFile from_buffer = Parsed(text);
  EXPECT_EQ(from_stream.ints, from_buffer.ints);
  EXPECT_EQ(from_stream.GetInt("a"), 1);
  EXPECT_EQ(from_stream.GetInt("b"), 2);
}

TEST(ConfFileTest, GetStringCutsAndReportsTheWholeLength) {
  const ConfFile conf = Parsed("&s = \"abcdef\"\n");
  char buffer[5];
  EXPECT_EQ(conf.GetString("s", buffer, sizeof buffer), 8u);
  EXPECT_STREQ(buffer, "\"abc");
  std::strcpy(buffer, "old");
  EXPECT_EQ(conf.GetString("missing", buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "");
}

TEST(ConfFileTest, MissingFileKeepsMapsButEmptyFileClearsThem) {
  const std::string path = testing::TempDir() + "conf_file_test.dat";
  ConfFile conf = Parsed("$kept = 1\n");
  std::remove(path.c_str());
  EXPECT_FALSE(conf.Load(path.c_str()));
  EXPECT_EQ(conf.GetInt("kept"), 1);

  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fclose(f);
  EXPECT_TRUE(conf.Load(path.c_str()));
  EXPECT_TRUE(conf.ints.empty());
  std::remove(path.c_str());
}

TEST(ConfFileTest, HundredMegabyteLineLoads) {
  std::string text = "$viewscale = 3\n&huge = \"";
  text.append(100u << 20, 'x');
  text += "\"\n$sd = 2\n";
  const ConfFile conf = Parsed(text);
  EXPECT_EQ(conf.GetInt("viewscale"), 3);
  EXPECT_EQ(conf.GetInt("sd"), 2);
  EXPECT_EQ(conf.strings.at("huge").size(), (100u << 20) + 2);
}

}  // namespace

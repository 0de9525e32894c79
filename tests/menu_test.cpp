// The portable menu description and the Win32 menu resources are one menu:
// same structure, ids and labels in each language, read from the resource
// script itself.
#include "shell/menu.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadSource(const std::string& name) {
  std::ifstream in(std::string(KURIMARO_SOURCE_DIR) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// "#define NAME value" lines of the ids header.
std::map<std::string, int> ReadIds() {
  std::map<std::string, int> ids;
  std::istringstream lines(ReadSource("resources/resource_ids.h"));
  std::string define, name;
  int value = 0;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    if (words >> define >> name >> value && define == "#define") ids[name] = value;
  }
  return ids;
}

// The text between the first quote and its closing one; "" stands for ".
std::string QuotedLabel(const std::string& line, size_t& end) {
  std::string label;
  size_t i = line.find('"') + 1;
  for (; i < line.size(); ++i) {
    if (line[i] != '"') {
      label += line[i];
    } else if (i + 1 < line.size() && line[i + 1] == '"') {
      label += '"';
      ++i;
    } else {
      break;
    }
  }
  end = i + 1;
  return label;
}

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r");
  const size_t last = s.find_last_not_of(" \t\r");
  return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

// One entry per line, written the same way for both sides.
std::string Describe(int depth, MenuKind kind, int id, const std::string& label) {
  const char* kinds[] = {"item", "popup", "separator"};
  return std::string(static_cast<size_t>(depth) * 2, ' ') + kinds[static_cast<int>(kind)] + " " +
         std::to_string(id) + " " + label;
}

// The popup that the program shows: the menu bar's one popup in the "MENU"
// that follows the given LANGUAGE statement.
std::vector<std::string> ResourceMenu(const std::string& language_line) {
  const std::map<std::string, int> ids = ReadIds();
  std::istringstream lines(ReadSource("resources/kurimaro.rc"));
  std::vector<std::string> entries;
  bool in_language = false;
  bool in_menu = false;
  int depth = -2;  // the bar, then its popup, then the shown entries
  for (std::string raw; std::getline(lines, raw);) {
    const std::string line = Trim(raw);
    if (!in_menu) {
      if (line.rfind("LANGUAGE ", 0) == 0) in_language = line == language_line;
      in_menu = in_language && line == "\"MENU\" MENU";
      continue;
    }
    if (line == "BEGIN") {
      ++depth;
    } else if (line == "END") {
      if (--depth < -1) break;
    } else if (line.rfind("POPUP", 0) == 0) {
      size_t end = 0;
      const std::string label = QuotedLabel(line, end);
      if (depth >= 0) entries.push_back(Describe(depth, MenuKind::Popup, 0, label));
    } else if (line == "MENUITEM SEPARATOR") {
      entries.push_back(Describe(depth, MenuKind::Separator, 0, ""));
    } else if (line.rfind("MENUITEM", 0) == 0) {
      size_t end = 0;
      const std::string label = QuotedLabel(line, end);
      const std::string id = Trim(line.substr(line.find(',', end) + 1));
      const auto named = ids.find(id);
      entries.push_back(Describe(depth, MenuKind::Item,
                                 named != ids.end() ? named->second : std::stoi(id), label));
    }
  }
  return entries;
}

TEST(MenuTest, ResourceMenusAndPortableDescriptionAgree) {
  const std::pair<Language, std::string> menus[] = {
      {Language::Japanese, "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT"},
      {Language::English, "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US"},
  };
  for (const auto& [language, language_line] : menus) {
    SCOPED_TRACE(language_line);
    std::vector<std::string> described;
    for (const MenuEntry& e : ContextMenu()) {
      described.push_back(Describe(e.depth, e.kind, e.id, e.Label(language)));
    }
    const std::vector<std::string> resource = ResourceMenu(language_line);
    ASSERT_EQ(resource.size(), 39u);  // read at all
    EXPECT_EQ(resource, described);
  }
}

}  // namespace

// The filter texts of the file dialogs.
#include "bildkern3.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace {

std::vector<std::string> split(const std::string &s, char sep)
{
  std::vector<std::string> parts;
  std::stringstream in(s);
  for (std::string part; std::getline(in, part, sep);)
    parts.push_back(part);
  return parts;
}

} // namespace

TEST(Filters, SaveFilterListsTwelveFormatsInExtensionOrder)
{
  // The save dialog's filter index picks the extension appended to a bare name.
  const auto parts = split(GetDIBSaveFilter(), '|');
  const std::vector<std::string> masks = {"*.bmp", "*.dib", "*.gif", "*.iff", "*.jif", "*.jpg",
                                          "*.lbm", "*.pcx", "*.rle", "*.tga", "*.tif", "*.png"};
  ASSERT_EQ(parts.size(), 2 * masks.size());
  for (size_t i = 0; i < masks.size(); ++i) {
    EXPECT_EQ(parts[2 * i + 1], masks[i]);
    EXPECT_NE(parts[2 * i].find("(" + masks[i] + ")"), std::string::npos) << parts[2 * i];
  }
}

TEST(Filters, OpenFilterStartsWithAllPicturesCoveringEachEntryOnce)
{
  const auto parts = split(GetDIBOpenFilter(), '|');
  ASSERT_GE(parts.size(), 4u);
  ASSERT_EQ(parts.size() % 2, 0u);
  EXPECT_EQ(parts[0], "Alle Bilder");
  const std::set<std::string> readable = {"*.bmp", "*.dib", "*.rle", "*.gif", "*.iff", "*.lbm", "*.jpg", "*.jpeg",
                                          "*.jpe", "*.jif", "*.pcx", "*.tga", "*.tif", "*.tiff", "*.jp2", "*.j2k", "*.png"};
  const auto first = split(parts[1], ';');
  EXPECT_EQ(std::set<std::string>(first.begin(), first.end()), readable);
  std::multiset<std::string> listed;
  for (size_t i = 3; i < parts.size(); i += 2)
    for (const auto &m : split(parts[i], ';'))
      listed.insert(m);
  EXPECT_EQ(listed, std::multiset<std::string>(readable.begin(), readable.end()));
}

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "select/Gazetteer.h"
#include "tools/assets/Assets.h"

namespace tarvelon {
namespace {

TEST(FeaturePage, TheShippedPageIsTheOneTheGazetteerWrites) {
  std::ifstream in(TARVELON_SOURCE_DIR "/assets/help/features.html", std::ios::binary);
  ASSERT_TRUE(in) << "assets/help/features.html is missing: run tarvelon-assets features";
  std::ostringstream shipped;
  shipped << in.rdbuf();
  EXPECT_EQ(shipped.str(), assets::featurePageHtml()) << "run tarvelon-assets features";
}

TEST(FeaturePage, ListsEveryFeatureWithItsRectangle) {
  const std::string page = assets::featurePageHtml();
  // Arcadia runs across the meridian to 140 W; Gale is a 4 by 4 crater.
  EXPECT_NE(page.find("<tr><td>Arcadia</td><td>160&deg;E</td><td>140&deg;W</td><td>54&deg;N</td><td>20&deg;N</td>"
                      "<td>60&deg; x 34&deg;</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td>Gale</td><td>136&deg;E</td><td>140&deg;E</td><td>3&deg;S</td><td>7&deg;S</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<td>Cydonia 'Face'</td>"), std::string::npos);
  std::size_t rows = 0;
  for (std::size_t at = page.find("<tr><td>"); at != std::string::npos; at = page.find("<tr><td>", at + 1)) ++rows;
  EXPECT_EQ(rows, std::size_t(kFeatureCount));
}

}  // namespace
}  // namespace tarvelon

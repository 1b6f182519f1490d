// The built-in gazetteer: 212 named features of Mars, each with a fixed
// rectangle of whole degrees, in the six families and the eight Map Area
// submenus they are shown in. Plain constant data; no Qt.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelon {

enum class FeatureFamily { Planitiae, CrateredTerrain, Craters, Mountains, Valleys, Plateaus };
inline constexpr int kFeatureFamilyCount = 6;

// One family: the command that serves it, its items, where they are filed
// in the table of menu items, the suffix of its map titles, and the
// category item check-marked when one of its features is drawn.
struct FamilyInfo {
  FeatureFamily family;
  const char* command;       // "planitiae", "CrateredTerrain", ...
  int count;                 // items numbered 0 .. count - 1
  int menuItemBase;          // the item numbered k sits at base + k
  const char* titleSuffix;   // " (Planitiae)", ...
  const char* categoryItem;  // component name of the category item
};

// One feature: its family and item number, the menu item's component name
// and caption, and its rectangle (west < east, north > south; east may pass
// 180).
struct FeatureRow {
  FeatureFamily family;
  int number;
  const char* component;
  const char* caption;
  int west;
  int north;
  int east;
  int south;
};

// One submenu of the Map Area menu and its rows, top to bottom.
struct FeatureMenu {
  const char* component;  // "m_plan", "mensaeplateaus1", ...
  const char* caption;    // "Planitiae (plains)", ...
  std::span<const FeatureRow> rows;
  // Opening it closes the location map window ("Chaotic Terrain" and
  // "Valleys" do not).
  bool closesLocationMap;
};

inline constexpr int kFeatureCount = 212;
inline constexpr int kFeatureMenuCount = 8;

// The six families, in the order of their menu item bases.
const std::array<FamilyInfo, kFeatureFamilyCount>& featureFamilies();
const FamilyInfo& familyInfo(FeatureFamily family);

// All 212 rows in menu order: the first submenu's rows, then the next's.
std::span<const FeatureRow> featureRows();

// The eight submenus, top to bottom.
const std::array<FeatureMenu, kFeatureMenuCount>& featureMenus();
// The submenu that holds a row.
const FeatureMenu& menuOf(const FeatureRow& row);

// The row of a family's item number, or nullptr.
const FeatureRow* findFeature(FeatureFamily family, int number);

// The map title of a feature drawn under this caption: the caption and the
// family's title suffix ("Gale (Individual Craters)"); a caption ending in a note
// in brackets takes the family into it ("Olympia (N Pole; Planitiae)").
std::string featureTitle(FeatureFamily family, std::string_view caption);

// Rows whose caption or component name equals `name`, ignoring case and
// blanks at either end; several when a caption names more than one row.
std::vector<const FeatureRow*> featuresNamed(std::string_view name);

// Up to `count` captions closest to `name` (ignoring case): captions that
// start with it, then captions that contain it, then the smallest edit
// distances that are at most a third of the name's length (and at least
// 2), each caption once, in menu order within a rank.
std::vector<std::string> closestCaptions(std::string_view name, std::size_t count = 5);

}  // namespace tarvelon

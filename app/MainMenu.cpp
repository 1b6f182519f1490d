#include "app/MainMenu.h"

#include <QAction>

#include "app/MarsMain.h"
#include "app/ProjectionChoice.h"
#include "render/ColourFunction.h"
#include "select/Gazetteer.h"

namespace tarvelon {

namespace {

using Kind = MenuEntry::Kind;

// Tile items: menu number, north edge, west edge, region.
const char* const kTileCaptions[16] = {
    " 1  (088°N, -180°W) - Arcadia",
    " 2  (088°N, -090°W) - Acidalia",
    " 3  (088°N, -000°W) - Arabia/Utopia",
    " 4  (088°N,  090°W) - Utopia",
    " 5  (044°N, -180°W) - Amazonis",
    " 6  (044°N, -090°W) - Chryse",
    " 7  (044°N,  000°W) - Arabia/Syrtis",
    " 8  (044°N,  090°W) - Elysium",
    " 9  (000°N, -180°W) - Daedalia",
    "10  (000°N, -090°W) - Vallis Marineris",
    "11  (000°N,  000°W) - Syrtis/Hellas",
    "12  (000°N,  090°W) - Cimmeria (north)",
    "13  (044°S, -180°W) - Sirenum",
    "14  (044°S, -090°W) - Argyre",
    "15  (044°S,  000°W) - Hellas",
    "16  (044°S,  090°W) - Cimmeria (south)",
};

struct ResolutionItem {
  const char* caption;
  const char* shortcut;
};
const ResolutionItem kResolutionItems[8] = {
    {"Thumbnail (5%)", "F5"}, {"  7.5%", ""}, {" 10  %", "F6"}, {" 12.5%", ""},
    {" 25  %", "F7"},         {" 33  %", ""}, {" 50  %", "F8"}, {"100  %", "F9"},
};

const char* const kModeShortcuts[4] = {"F10", "F11", "", ""};

MenuEntry menuEntry(const char* parent, const char* name, const char* caption, const char* shortcut = "",
                    MenuCommand onOpen = nullptr) {
  return {Kind::Menu, QString::fromUtf8(parent), QString::fromUtf8(name), QString::fromUtf8(caption),
          QString::fromUtf8(shortcut), onOpen, false};
}

MenuEntry itemEntry(const char* parent, const QString& name, const char* caption, const char* shortcut,
                    MenuCommand command, bool checkable = false) {
  return {Kind::Item, QString::fromUtf8(parent), name, QString::fromUtf8(caption), QString::fromUtf8(shortcut),
          command, checkable};
}

// The command of each feature family, in the order of FeatureFamily.
constexpr MenuCommand kFamilyCommands[kFeatureFamilyCount] = {
    &TMainForm::planitiae, &TMainForm::CrateredTerrain, &TMainForm::Crater,
    &TMainForm::Mountains, &TMainForm::Valleys,         &TMainForm::Plateau,
};

// What opening each feature submenu runs; "Chaotic Terrain" and "Valleys"
// run nothing.
struct CategoryCommand {
  const char* submenu;
  MenuCommand onOpen;
};
constexpr CategoryCommand kCategoryCommands[] = {
    {"m_plan", &TMainForm::m_planClick},     {"mensaeplateaus1", &TMainForm::mensaeplateaus1Click},
    {"m_cter", &TMainForm::m_cterClick},     {"m_craters", &TMainForm::m_cratersClick},
    {"m_mountn", &TMainForm::m_mountnClick}, {"m_val", &TMainForm::m_valClick},
};

MenuCommand categoryCommand(const char* submenu) {
  for (const CategoryCommand& c : kCategoryCommands) {
    if (QString::fromLatin1(c.submenu) == QString::fromLatin1(submenu)) return c.onOpen;
  }
  return nullptr;
}

MenuEntry separatorEntry(const char* parent, const char* name) {
  return {Kind::Separator, QString::fromUtf8(parent), QString::fromUtf8(name), {}, {}, nullptr, false};
}

std::vector<MenuEntry> buildEntries() {
  std::vector<MenuEntry> e;

  // File
  e.push_back(menuEntry("", "m_file", "&File      "));
  e.push_back(menuEntry("m_file", "m_load", "Load a MEGDR128 File", "", &TMainForm::m_loadClick));
  for (int k = 0; k < 16; ++k) {
    e.push_back(itemEntry("m_load", menuItemName(kMenuItemGroups[0], k), kTileCaptions[k], "", &TMainForm::gettile,
                          true));
  }
  e.push_back(itemEntry("m_file", "m_SaveMap", "Save Map", "Ctrl+S", &TMainForm::m_SaveMapClick));
  e.push_back(itemEntry("m_file", "m_SaveLegend", "Save Map with Legend...", "", &TMainForm::m_SaveLegendClick));
  e.push_back(separatorEntry("m_file", "bar"));
  e.push_back(itemEntry("m_file", "Drawinbackground", "Draw in background (faster)", "Ctrl+B",
                        &TMainForm::DrawinbackgroundClick, true));
  e.push_back(itemEntry("m_file", "m_terminate", "Terminate Drawing Mode", "Ctrl+Q", &TMainForm::m_terminateClick));
  e.push_back(separatorEntry("m_file", "bar2"));
  e.push_back(itemEntry("m_file", "m_end", "E&xit", "Ctrl+X", &TMainForm::m_endClick));

  // Map Area: the eight feature submenus from the gazetteer, each item
  // running its family's command; the category items carry check marks.
  e.push_back(menuEntry("", "m_area", "Map &Area      ", "Ctrl+M", &TMainForm::m_areaClick));
  for (const FeatureMenu& submenu : featureMenus()) {
    MenuEntry category = menuEntry("m_area", submenu.component, submenu.caption, "", categoryCommand(submenu.component));
    category.checkable = true;
    e.push_back(category);
    for (const FeatureRow& row : submenu.rows) {
      e.push_back(itemEntry(submenu.component, QString::fromLatin1(row.component), row.caption, "",
                            kFamilyCommands[static_cast<int>(row.family)], true));
    }
  }
  e.push_back(separatorEntry("m_area", "bar4"));
  e.push_back(itemEntry("m_area", QStringLiteral("m_custom"), "Custom Area", "Ctrl+C", &TMainForm::m_customClick, true));
  e.push_back(separatorEntry("m_area", "bar5"));
  e.push_back(itemEntry("m_area", QStringLiteral("ShowLocation1"), "Map Location", "Ctrl+L",
                        &TMainForm::ShowLocation1Click, true));
  // Beyond the numbered items, so that none of them moves.
  e.push_back(separatorEntry("m_area", "bar6"));
  e.push_back(itemEntry("m_area", QStringLiteral("m_find"), "Find a Feature...", "Ctrl+F", &TMainForm::FindFeatureClick));
  e.push_back(itemEntry("m_area", QStringLiteral("m_profile"), "Elevation Profile", "Ctrl+P", &TMainForm::ProfileClick));
  e.push_back(itemEntry("m_area", QStringLiteral("m_explore"), "Explore Mars...", "Ctrl+E", &TMainForm::ExploreClick));

  // Resolution
  e.push_back(menuEntry("", "m_size", "&Resolution      ", "", &TMainForm::m_sizeClick));
  for (int k = 0; k < 8; ++k) {
    e.push_back(itemEntry("m_size", menuItemName(kMenuItemGroups[1], k), kResolutionItems[k].caption,
                          kResolutionItems[k].shortcut, &TMainForm::MsizeClick, true));
  }

  // Topography
  e.push_back(menuEntry("", "m_topo", "&Topography      "));
  e.push_back(menuEntry("m_topo", "m_scheme", "Scheme"));
  for (int k = 0; k < kSchemeCount; ++k) {
    e.push_back(itemEntry("m_scheme", menuItemName(kMenuItemGroups[2], k), kSchemeCaptions[k], "",
                          &TMainForm::SetColClick, true));
  }
  e.push_back(menuEntry("m_topo", "m_modes", "Mode"));
  for (int k = 0; k < kModeCount; ++k) {
    e.push_back(itemEntry("m_modes", menuItemName(kMenuItemGroups[3], k), kModeCaptions[k], kModeShortcuts[k],
                          &TMainForm::modeClick, true));
  }
  e.push_back(separatorEntry("m_topo", "bar3"));
  e.push_back(itemEntry("m_topo", "m_define", "Optimise Shading    ", "Ctrl+O", &TMainForm::m_defineClick));
  e.push_back(itemEntry("m_topo", "m_kk", "Show Colour Key      ", "Ctrl+K", &TMainForm::m_kkClick));
  e.push_back(separatorEntry("m_topo", "bar4"));
  e.push_back(itemEntry("m_topo", "m_relief", "Relief Shading", "", &TMainForm::m_reliefClick, true));
  e.push_back(itemEntry("m_topo", "m_names", "Feature Names", "", &TMainForm::m_namesClick, true));
  // Last, so that no numbered item moves.
  e.push_back(menuEntry("m_topo", "m_projection", "Projection"));
  for (const ProjectionItem& item : kProjectionItems) {
    e.push_back(itemEntry("m_projection", QString::fromLatin1(item.name), projectionCaption(item.kind), "",
                          &TMainForm::m_projectionClick, true));
  }

  // Help
  e.push_back(menuEntry("", "m_help", "&Help        "));
  e.push_back(itemEntry("m_help", "m_h000", "About", "Ctrl+A", &TMainForm::m_h000Click));
  e.push_back(itemEntry("m_help", "m_h001", "Program Help", "F1", &TMainForm::m_h001Click));
  e.push_back(separatorEntry("m_help", "m_h002"));
  e.push_back(itemEntry("m_help", "m_h003", "Annotated map of Mars showing the 16 tiles", "Ctrl+T",
                        &TMainForm::m_h003Click, true));
  e.push_back(separatorEntry("m_help", "m_h004"));
  e.push_back(itemEntry("m_help", "m_h005", "Sourcing the MEGDR128 MOLA DEM Tiles", "", &TMainForm::m_h005Click));

  // Status items
  e.push_back({Kind::Status, {}, QStringLiteral("legend"), {}, {}, nullptr, false});
  e.push_back({Kind::Status, {}, QStringLiteral("prcent"), {}, {}, nullptr, false});
  return e;
}

}  // namespace

const std::vector<MenuEntry>& mainMenuEntries() {
  static const std::vector<MenuEntry> entries = buildEntries();
  return entries;
}

QString menuItemName(const MenuItemGroup& group, int k) {
  const QString number = group.twoDigits ? QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0')) : QString::number(k);
  return QString::fromLatin1(group.prefix) + number;
}

int itemNumber(const QString& componentName) {
  if (componentName.size() < 2) return -1;
  const QString last = componentName.right(2);
  if (!last[0].isDigit() || !last[1].isDigit()) return -1;
  return last.toInt();
}

int itemNumber(const QObject* item) { return item == nullptr ? -1 : itemNumber(item->objectName()); }

QString captionOf(const QAction* action) {
  if (action == nullptr) return {};
  const QString text = action->text();
  const qsizetype tab = text.indexOf(QLatin1Char('\t'));
  return tab < 0 ? text : text.left(tab);
}

}  // namespace tarvelon

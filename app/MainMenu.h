// The main window's menu tree as data: every menu, item, separator and
// status item with its component name, caption, shortcut and command.
#pragma once

#include <QString>
#include <array>
#include <vector>

#include "render/Projection.h"

class QAction;
class QObject;

namespace tarvelon {

class TMainForm;

// A command of the main window. Items pass themselves; a menu's open
// command gets its menu's action.
using MenuCommand = void (TMainForm::*)(QAction* item);

struct MenuEntry {
  enum class Kind {
    Menu,       // a menu of the bar or a submenu
    Item,       // a command item
    Separator,
    Status,     // a caption-only item at the end of the bar
  };
  Kind kind = Kind::Item;
  QString parent;   // component name of the menu that holds it; empty: the menu bar
  QString name;     // component name = the action's object name
  QString caption;  // as shown, with "&" before an access key
  QString shortcut; // portable key text ("Ctrl+S", "F5"), or empty
  MenuCommand command = nullptr;  // item: its command; menu: run when it opens
  bool checkable = false;
};

// The whole tree, parents before their children, each menu's entries top
// to bottom.
const std::vector<MenuEntry>& mainMenuEntries();

// A run of numbered items in the table of menu items.
struct MenuItemGroup {
  int base;
  int count;
  const char* prefix;  // name = prefix + number
  bool twoDigits;      // the number with a leading "0" when it has one digit
};

inline constexpr int kMenuItemCount = 246;
inline constexpr int kTileItemBase = 0;
inline constexpr int kResolutionItemBase = 16;
inline constexpr int kSchemeItemBase = 24;
inline constexpr int kModeItemBase = 30;
inline constexpr int kFeatureItemBase = 34;

inline constexpr std::array<MenuItemGroup, 10> kMenuItemGroups = {{
    {0, 16, "m_tile", true},
    {16, 8, "m_siz0", false},
    {24, 6, "m_setcol00", false},
    {30, 4, "m_mode0", false},
    {34, 12, "m_p0", true},
    {46, 9, "m_ct00", false},
    {55, 55, "m_c0", true},
    {110, 34, "m_m0", true},
    {144, 87, "m_v0", true},
    {231, 15, "men0", true},
}};

// Topography > Projection, at the end of the menu after every numbered
// item: one check-marked item a projection, in this order.
struct ProjectionItem {
  const char* name;
  ProjectionKind kind;
};
inline constexpr std::array<ProjectionItem, 4> kProjectionItems = {{
    {"m_projcyl", ProjectionKind::Equirectangular},
    {"m_projnorth", ProjectionKind::NorthPolar},
    {"m_projsouth", ProjectionKind::SouthPolar},
    {"m_projglobe", ProjectionKind::Globe},
}};

// Component name of item k of a group.
QString menuItemName(const MenuItemGroup& group, int k);

// The number in the last two characters of a component name ("m_tile07"
// is 7, "men014" 14), or -1 when they are not digits.
int itemNumber(const QString& componentName);
int itemNumber(const QObject* item);

// The caption of an action without the shortcut text after a tab.
QString captionOf(const QAction* action);

}  // namespace tarvelon

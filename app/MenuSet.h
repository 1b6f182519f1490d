// The main window's menus built from the menu table: the actions and menus
// by component name, the numbered items, and the shortcut keys, which run
// their entries as the menus would.
#pragma once

#include <QHash>
#include <QKeySequence>
#include <QString>
#include <array>
#include <functional>

#include "app/MainMenu.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tarvelon {

class MenuSet {
 public:
  // Runs an entry's command for the action it was raised by.
  using Runner = std::function<void(const MenuEntry& entry, QAction* action)>;

  // Fills `bar` from mainMenuEntries(); the shortcut keys belong to
  // `window` and work from every window of the program.
  MenuSet(QMenuBar* bar, QWidget* window, Runner run);
  MenuSet(const MenuSet&) = delete;
  MenuSet& operator=(const MenuSet&) = delete;

  // An action or a menu by component name, or nullptr.
  QAction* action(const QString& name) const { return actions_.value(name); }
  QMenu* menu(const QString& name) const { return menus_.value(name); }
  const MenuEntry* entry(const QString& name) const { return entries_.value(name); }
  // menuItems[i]: the numbered items, nullptr where the item does not exist.
  QAction* item(int i) const { return i >= 0 && i < kMenuItemCount ? items_[i] : nullptr; }

  // Runs an entry that has a command.
  void run(const MenuEntry& entry, QAction* action) const;
  // What a shortcut key does: runs the open commands of the menus that
  // hold the entry, outermost first, then the item's command; nothing when
  // a menu on the way or the item is disabled. False for an unknown key.
  bool activateShortcut(const QKeySequence& key);
  // What opening a menu does: runs its open command.
  void openMenu(const QString& name);

  // Check-marks item `number` of the items base .. base + count - 1 and
  // clears the others (none, for a number outside them).
  void checkOnly(int base, int count, int number);
  // The number of the check-marked item among them, or -1.
  int checkedNumber(int base, int count) const;

 private:
  void build(QMenuBar* bar, QWidget* window);
  void runShortcut(const QString& name);

  Runner run_;
  std::array<QAction*, kMenuItemCount> items_{};
  QHash<QString, QAction*> actions_;
  QHash<QString, QMenu*> menus_;
  QHash<QString, const MenuEntry*> entries_;
  QHash<QString, QString> shortcutNames_;  // portable key text -> component name
};

}  // namespace tarvelon

#include "app/MenuSet.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <vector>

namespace tarvelon {

MenuSet::MenuSet(QMenuBar* bar, QWidget* window, Runner run) : run_(std::move(run)) {
  build(bar, window);
  for (const MenuItemGroup& group : kMenuItemGroups) {
    for (int k = 0; k < group.count; ++k) items_[group.base + k] = action(menuItemName(group, k));
  }
}

void MenuSet::build(QMenuBar* bar, QWidget* window) {
  for (const MenuEntry& entry : mainMenuEntries()) {
    entries_.insert(entry.name, &entry);
    QMenu* holder = entry.parent.isEmpty() ? nullptr : menus_.value(entry.parent);
    QAction* made = nullptr;
    switch (entry.kind) {
      case MenuEntry::Kind::Menu: {
        auto* m = holder != nullptr ? holder->addMenu(entry.caption) : bar->addMenu(entry.caption);
        m->setObjectName(entry.name);
        menus_.insert(entry.name, m);
        made = m->menuAction();
        // A category submenu shows a check mark when one of its features is drawn.
        made->setCheckable(entry.checkable);
        if (entry.command != nullptr) {
          QObject::connect(m, &QMenu::aboutToShow, window, [this, &entry, made] { run(entry, made); });
        }
        break;
      }
      case MenuEntry::Kind::Item: {
        QString text = entry.caption;
        if (!entry.shortcut.isEmpty()) {
          text += QLatin1Char('\t') + QKeySequence(entry.shortcut).toString(QKeySequence::NativeText);
        }
        made = holder != nullptr ? holder->addAction(text) : bar->addAction(text);
        made->setCheckable(entry.checkable);
        QObject::connect(made, &QAction::triggered, window, [this, &entry, made] {
          // A checkable action turns its own check mark over when chosen; the
          // commands set the check marks themselves.
          if (made->isCheckable()) {
            const QSignalBlocker block(made);
            made->setChecked(!made->isChecked());
          }
          run(entry, made);
        });
        break;
      }
      case MenuEntry::Kind::Separator:
        made = holder != nullptr ? holder->addSeparator() : bar->addSeparator();
        break;
      case MenuEntry::Kind::Status:
        made = bar->addAction(QString());
        break;
    }
    made->setObjectName(entry.name);
    actions_.insert(entry.name, made);

    if (!entry.shortcut.isEmpty()) {
      const QKeySequence key(entry.shortcut);
      shortcutNames_.insert(key.toString(QKeySequence::PortableText), entry.name);
      auto* shortcut = new QShortcut(key, window);
      // The keys work from the side windows too (modal dialogs still block them).
      shortcut->setContext(Qt::ApplicationShortcut);
      shortcut->setAutoRepeat(false);
      const QString name = entry.name;
      QObject::connect(shortcut, &QShortcut::activated, window, [this, name] { runShortcut(name); });
    }
  }
}

void MenuSet::run(const MenuEntry& entry, QAction* action) const {
  if (entry.command != nullptr) run_(entry, action);
}

void MenuSet::runShortcut(const QString& name) {
  const MenuEntry* found = entry(name);
  if (found == nullptr) return;
  // The menus that hold the entry, outermost first (a menu's own shortcut
  // counts as opening it).
  std::vector<const MenuEntry*> menus;
  if (found->kind == MenuEntry::Kind::Menu) menus.push_back(found);
  for (const MenuEntry* up = entry(found->parent); up != nullptr; up = entry(up->parent)) {
    menus.insert(menus.begin(), up);
  }
  for (const MenuEntry* m : menus) {
    if (!action(m->name)->isEnabled()) return;
  }
  for (const MenuEntry* m : menus) run(*m, action(m->name));
  if (found->kind != MenuEntry::Kind::Item) return;
  QAction* item = action(found->name);
  if (item->isEnabled()) run(*found, item);
}

bool MenuSet::activateShortcut(const QKeySequence& key) {
  const QString name = shortcutNames_.value(key.toString(QKeySequence::PortableText));
  if (name.isEmpty()) return false;
  runShortcut(name);
  return true;
}

void MenuSet::openMenu(const QString& name) {
  const MenuEntry* found = entry(name);
  if (found != nullptr && found->kind == MenuEntry::Kind::Menu) run(*found, action(name));
}

void MenuSet::checkOnly(int base, int count, int number) {
  for (int k = 0; k < count; ++k) {
    if (QAction* it = item(base + k)) it->setChecked(k == number);
  }
}

int MenuSet::checkedNumber(int base, int count) const {
  for (int k = 0; k < count; ++k) {
    if (QAction* it = item(base + k); it != nullptr && it->isChecked()) return k;
  }
  return -1;
}

}  // namespace tarvelon

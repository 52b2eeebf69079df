#pragma once
// The menu bar as data. Each item is one row: its name, its caption, the
// frame's handler that runs when it is chosen, and the rule that decides
// whether it is offered. The rule sets the item's enabled state whenever the
// frame's state changes and guards the command however it is reached. Adding
// a command is one row in its menu's table plus its handler.

#include <span>

class Form1;
class MDIForm1;

struct MenuItemRow {
  const char* name;             // the action's objectName: "mnuOverWrite"
  const char16_t* caption;      // "上書き保存(&W)"; nullptr for a separator
  void (MDIForm1::*handler)();  // nullptr for a separator
  // Whether the item is offered; nullptr for an item that is always offered
  // and that its menu never changes. Items with a rule start disabled: no
  // editor window is open yet.
  bool (*offered)(const MDIForm1& frame);
};

struct MenuRow {
  const char* name;            // "mnuFile"
  const char16_t* caption;     // "ﾌｧｲﾙ(&F)"
  void (MDIForm1::*click)();   // runs as the menu opens; nullptr for none
  std::span<const MenuItemRow> items;
};

// Each menu's items, kept with the subsystem whose commands they are.
std::span<const MenuItemRow> FileMenuItems();    // frame/FileMenu.cpp
std::span<const MenuItemRow> EditMenuItems();    // frame/EditMenu.cpp
std::span<const MenuItemRow> ViewMenuItems();    // frame/ViewMenu.cpp
std::span<const MenuItemRow> WindowMenuItems();  // frame/Arrangement.cpp

// The active editor window when one is open and it is browsing with nothing
// selected: where the file and window commands act (frame/MDIForm1.cpp).
const Form1* BrowsingForm(const MDIForm1& frame);

// The menu bar, left to right (frame/Menus.cpp).
std::span<const MenuRow> MenuBar();

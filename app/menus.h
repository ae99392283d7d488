#pragma once
// The popup menus of the main window, built from plain inputs so that their items can be
// inspected without opening them. Every item that sends a command carries its CommandId number
// as the action's data; menuCommand reads it back.

#include <QMenu>
#include <memory>
#include <vector>

#include "gui/column_layout.h"

class QAction;
class QWidget;

namespace corvane {

// The command number an item sends, or 0 for a separator, a submenu or no item.
[[nodiscard]] int menuCommand(const QAction* action);

// The View popup: "ID3v1" (2001), "ID3v2" (2002), a separator, "Select Columns" (2003), with the
// check mark on the item of view; then a separator and the two ways of writing, "Durable Writes"
// (2004) and "Unsafe In-Place Writes" (2005), checked as the settings say (showWriteModesInMenu).
// parent (may be null) only lends the popup its style and screen; the caller owns the menu.
[[nodiscard]] std::unique_ptr<QMenu> buildViewMenu(TagView view, QWidget* parent = nullptr);

// Puts the check marks of the two ways of writing as the settings have them.
void showWriteModesInMenu(QMenu& viewMenu, bool durable, bool unsafeInPlace);

// Puts the check mark on the item of view and takes it off the other. Needed after every
// choice from the popup, because choosing a checked item clears its mark by itself.
void showViewInMenu(QMenu& viewMenu, TagView view);

// The Action popup for the present list: the "Set Data" submenu (only when it has an item)
// with one item per non-"Filename" column in display order, each sending setDataCommand(its
// physical index); "Synchronise Tags"; "Auto Track No"; "Compact ID3v2 Tag" for exactly one
// selected row, else "Compact ID3v2 Tags"; and "Properties" as the default item. layout is in
// physical order; displayOrder holds, for each display position, the physical index shown there
// (an order that does not fit the layout falls back to the physical order). The submenu belongs
// to the returned menu. undoText, when not empty, comes first ("Undo Set Data", Ctrl+Z, 3190);
// empty, a disabled "Undo" stands there.
[[nodiscard]] std::unique_ptr<QMenu> buildActionMenu(const ColumnLayout& layout,
                                                     const std::vector<int>& displayOrder,
                                                     int selectedCount, QWidget* parent = nullptr,
                                                     const QString& undoText = {});

}  // namespace corvane

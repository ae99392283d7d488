#include "app/menus.h"

#include <QAction>
#include <algorithm>

#include "gui/command_ids.h"
#include "gui/display_text.h"

namespace corvane {

namespace {

QAction* addCommand(QMenu& menu, const QString& text, CommandId id)
{
    QAction* action = menu.addAction(text);
    action->setData(commandNumber(id));
    return action;
}

QAction* viewItem(const QMenu& viewMenu, CommandId id)
{
    for (QAction* action : viewMenu.actions()) {
        if (menuCommand(action) == commandNumber(id)) return action;
    }
    return nullptr;
}

// A display order is usable only when it names every physical column exactly once; anything
// else (a header out of step with the layout) would hide or repeat a Set Data item.
bool isPermutation(std::vector<int> order, std::size_t count)
{
    if (order.size() != count) return false;
    std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i < count; ++i) {
        if (order[i] != static_cast<int>(i)) return false;
    }
    return true;
}

void addSetDataItems(QMenu& setData, const ColumnLayout& layout,
                     const std::vector<int>& displayOrder)
{
    std::vector<int> order = displayOrder;
    if (!isPermutation(order, layout.size())) {
        order.resize(layout.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    }
    for (const int physical : order) {
        const tags::Column field = layout[static_cast<std::size_t>(physical)].field;
        const auto& column = tags::ColumnTable[static_cast<std::size_t>(field)];
        if (column.frameId.empty()) continue;  // a file name or a cover is not a text to set
        const std::string_view name = column.name;
        QAction* action =
            setData.addAction(fromUtf8(name));
        action->setData(setDataCommand(physical));
    }
}

}  // namespace

int menuCommand(const QAction* action)
{
    if (action == nullptr || action->isSeparator() || action->menu() != nullptr) return 0;
    bool ok = false;
    const int id = action->data().toInt(&ok);
    return ok ? id : 0;
}

std::unique_ptr<QMenu> buildViewMenu(TagView view, QWidget* parent)
{
    auto menu = std::make_unique<QMenu>(parent);
    // Two independent check marks rather than an exclusive group: a group would be drawn with
    // radio marks, and the switch itself decides which item is marked.
    addCommand(*menu, QStringLiteral("ID3v1"), CommandId::ViewId3v1)->setCheckable(true);
    addCommand(*menu, QStringLiteral("ID3v2"), CommandId::ViewId3v2)->setCheckable(true);
    menu->addSeparator();
    addCommand(*menu, QStringLiteral("Select Columns"), CommandId::SelectColumns);
    menu->addSeparator();
    addCommand(*menu, QStringLiteral("Durable Writes"), CommandId::DurableWrites)
        ->setToolTip(QStringLiteral("Flush every write to the disk, so that it survives a power cut"));
    addCommand(*menu, QStringLiteral("Unsafe In-Place Writes"), CommandId::UnsafeInPlace)
        ->setToolTip(QStringLiteral("Write without a journal beside the file, for folders where "
                                    "none can be written; a crash during a write can ruin the file"));
    for (QAction* action : menu->actions()) {
        const int id = menuCommand(action);
        if (id == commandNumber(CommandId::DurableWrites) || id == commandNumber(CommandId::UnsafeInPlace))
            action->setCheckable(true);
    }
    menu->setToolTipsVisible(true);
    showViewInMenu(*menu, view);
    return menu;
}

void showWriteModesInMenu(QMenu& viewMenu, bool durable, bool unsafeInPlace)
{
    if (QAction* item = viewItem(viewMenu, CommandId::DurableWrites))
        item->setChecked(durable);
    if (QAction* item = viewItem(viewMenu, CommandId::UnsafeInPlace))
        item->setChecked(unsafeInPlace);
}

void showViewInMenu(QMenu& viewMenu, TagView view)
{
    if (QAction* v1 = viewItem(viewMenu, CommandId::ViewId3v1))
        v1->setChecked(view == TagView::Id3v1);
    if (QAction* v2 = viewItem(viewMenu, CommandId::ViewId3v2))
        v2->setChecked(view == TagView::Id3v2);
}

std::unique_ptr<QMenu> buildActionMenu(const ColumnLayout& layout,
                                       const std::vector<int>& displayOrder, int selectedCount,
                                       QWidget* parent, const QString& undoText)
{
    auto menu = std::make_unique<QMenu>(parent);
    QAction* undo = addCommand(*menu, undoText.isEmpty() ? QStringLiteral("Undo") : undoText,
                               CommandId::UndoLastChange);
    undo->setEnabled(!undoText.isEmpty());
    undo->setShortcut(QKeySequence::Undo);  // shown in the popup; the window's key does the work
    menu->addSeparator();
    // The submenu is a child of the popup, so it goes whenever the popup is rebuilt.
    auto* setData = new QMenu(QStringLiteral("Set Data"), menu.get());
    addSetDataItems(*setData, layout, displayOrder);
    if (!setData->isEmpty()) {
        menu->addMenu(setData);
        menu->addSeparator();
    }
    addCommand(*menu, QStringLiteral("Synchronise Tags"), CommandId::SynchroniseTags);
    addCommand(*menu, QStringLiteral("Auto Track No"), CommandId::AutoTrackNumbering);
    menu->addSeparator();
    addCommand(*menu, QStringLiteral("Tag from File Name..."), CommandId::TagFromFileName);
    addCommand(*menu, QStringLiteral("Rename from Tags..."), CommandId::RenameFromTags);
    addCommand(*menu, QStringLiteral("Case and Replace..."), CommandId::CaseAndReplace);
    menu->addSeparator();
    addCommand(*menu, QStringLiteral("Convert ID3v2 Version..."), CommandId::ConvertId3v2);
    addCommand(*menu,
               selectedCount == 1 ? QStringLiteral("Compact ID3v2 Tag")
                                  : QStringLiteral("Compact ID3v2 Tags"),
               CommandId::CompactId3v2);
    menu->addSeparator();
    addCommand(*menu, QStringLiteral("Set Cover..."), CommandId::SetCover);
    addCommand(*menu, QStringLiteral("Remove Pictures..."), CommandId::RemovePictures);
    addCommand(*menu, QStringLiteral("Extract Covers..."), CommandId::ExtractCovers);
    menu->addSeparator();
    menu->setDefaultAction(addCommand(*menu, QStringLiteral("Properties"), CommandId::Properties));
    return menu;
}

}  // namespace corvane

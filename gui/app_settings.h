#pragma once
// The values that survive a restart. They are read once before the main window exists and
// written once when it goes away; nothing is written in between.

#include "gui/column_layout.h"
#include "batch/field_selection.h"

#include <QByteArray>
#include <QPoint>
#include <cstdint>
#include <optional>
#include <string>

class QSettings;

namespace corvane {

struct AppSettings {
    int width = 800;   // window size in pixels (the size it comes back to when maximised)
    int height = 640;
    // Where that window was on the desktop (its top-left corner), and the scale factor of its
    // screen in percent; both absent in a store written before they were kept.
    std::optional<QPoint> position;
    int scalePercent = 0;  // 0: not known
    bool maximized = false;
    // Tree pane width for the first layout only; 0 keeps the tree's own width (180 pixels).
    std::uint32_t divider = 0;
    bool expanded = true;  // the tag editor's expanded layout
    bool compact = true;   // whether ID3v2 writes compact the tag
    // How writes treat the journal beside the file: flushed at every step (survives a power
    // cut), or left out (the old way, for folders where no journal can be written).
    bool durableWrites = false;
    bool unsafeInPlace = false;
    TagView view = TagView::Id3v2;  // most files carry only an ID3v2 tag
    std::string currentFolder;  // bytes of the folder path, ending with "/", or empty
    ColumnLayout columns = defaultColumnLayout();  // in display order as stored
    int sortColumn = 0;                            // index into columns
    bool sortAscending = true;
    batch::FieldSelection fieldSelection = batch::FieldSelection::all();

    // Reads every value with its read rule; a missing or unreadable value keeps its default and
    // an out-of-range one is limited, so a damaged store never stops the program from starting.
    [[nodiscard]] static AppSettings load(QSettings& store);
    // Writes every value; the caller decides when (once, at exit).
    void save(QSettings& store) const;
};

// The longest folder path that is kept; a longer stored value counts as unreadable.
inline constexpr int kMaxStoredPathBytes = 4096;
// The widest a column may come back from the store.
inline constexpr int kMaxStoredColumnWidth = 2000;

// The stored form of a layout entry: field byte, then the width as 32-bit little-endian.
[[nodiscard]] QByteArray encodeColumnSpec(const ColumnSpec& entry);

}  // namespace corvane

#pragma once
// The file list's column layout, shared by the list, the settings, the menus, the column chooser
// and the batch operations.

#include "tags/field_catalogue.h"

#include <vector>

namespace corvane {

// One list column: the field it shows and its width in pixels.
struct ColumnSpec {
    tags::Column field = tags::Column::Filename;
    int width = 150;

    friend bool operator==(const ColumnSpec&, const ColumnSpec&) = default;
};

// The columns in physical order (the header's logical index is the position in this vector).
using ColumnLayout = std::vector<ColumnSpec>;

// The default layout: Filename, Title, Artist, Album, 150 pixels each.
[[nodiscard]] ColumnLayout defaultColumnLayout();

// Which tag the list shows. The values are the command IDs of the View popup.
enum class TagView : int { Id3v1 = 2001, Id3v2 = 2002 };

}  // namespace corvane

#include "app/file_row.h"

#include "gui/display_text.h"
#include "tags/list_row_reader.h"
#include "tags/text_rules.h"

#include <algorithm>
#include <climits>

namespace corvane {

int leadingInteger(std::string_view text)
{
    return static_cast<int>(std::clamp<std::int64_t>(tags::leadingInteger(text), INT_MIN, INT_MAX));
}

bool isNumericColumn(tags::Column field)
{
    // A cover sorts by its width ("600x600").
    return field == tags::Column::Year || field == tags::Column::Track || field == tags::Column::Cover;
}

void setSortKey(FileRow& row, tags::Column sortField, std::string_view text)
{
    row.numeric = isNumericColumn(sortField);
    if (row.numeric) {
        row.numericKey = leadingInteger(text);
        row.textKey.clear();
    } else {
        row.numericKey = 0;
        row.textKey.assign(text);
    }
}

int compareRows(const FileRow& a, const FileRow& b)
{
    if (a.numeric)
        return a.numericKey < b.numericKey ? -1 : (a.numericKey > b.numericKey ? 1 : 0);
    // std::string compares through char_traits<char>, which orders as unsigned char.
    const int c = a.textKey.compare(b.textKey);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString genreDisplayText(std::string_view tcon)
{
    const std::string text = tags::genreDisplayText(tcon);
    return fromUtf8(text);
}

FileRow readFileRow(const std::string& folder, const std::string& name, const ColumnLayout& layout,
                    TagView view, int sortColumn)
{
    std::vector<tags::Column> fields;
    fields.reserve(layout.size());
    for (const ColumnSpec& entry : layout)
        fields.push_back(entry.field);

    const std::string path = folder + name;
    tags::ListRow read = view == TagView::Id3v2 ? tags::readListRowV2(path, name, fields)
                                                : tags::readListRowV1(path, name, fields);
    read.cells.resize(layout.size());

    FileRow row;
    row.name = name;
    row.presence = read.presence & kPresenceBits;
    row.cells.reserve(layout.size());
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const tags::Column field = layout[i].field;
        std::string& text = read.cells[i];
        if (field == tags::Column::Filename) {
            text = name;  // the key orders by the name's own bytes
            row.cells.push_back(displayName(name));
        } else if (field == tags::Column::Genre && view == TagView::Id3v2) {
            row.cells.push_back(genreDisplayText(text));
        } else {
            row.cells.push_back(QString::fromStdString(text));
        }
    }
    if (sortColumn >= 0 && static_cast<std::size_t>(sortColumn) < layout.size())
        setSortKey(row, layout[static_cast<std::size_t>(sortColumn)].field,
                   read.cells[static_cast<std::size_t>(sortColumn)]);
    return row;
}

}  // namespace corvane

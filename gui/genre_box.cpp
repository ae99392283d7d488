#include "gui/genre_box.h"

#include "gui/display_text.h"
#include "tags/field_catalogue.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <vector>

namespace corvane {

namespace {

QString genreQString(int index)
{
    const std::string_view name = tags::GenreTable[static_cast<std::size_t>(index)];
    return fromUtf8(name);
}

}  // namespace

void fillGenreBox(QComboBox& box)
{
    std::vector<int> order(tags::kGenreCount);
    for (int i = 0; i < tags::kGenreCount; ++i)
        order[static_cast<std::size_t>(i)] = i;
    // Case-insensitive, as a sorted list box orders its items; stable so that equal names keep
    // table order and both boxes come out identical.
    std::stable_sort(order.begin(), order.end(), [](int a, int b) {
        return genreQString(a).compare(genreQString(b), Qt::CaseInsensitive) < 0;
    });
    const QSignalBlocker block(&box);
    box.clear();
    box.addItem(QString(), int{tags::kNoGenre});
    for (int index : order)
        box.addItem(genreQString(index), index);
    box.setCurrentIndex(0);
}

void selectGenreIndex(QComboBox& box, std::optional<int> index)
{
    const int position = index ? box.findData(*index) : -1;
    box.setCurrentIndex(position >= 0 ? position : 0);
}

void showGenreByte(QComboBox& box, std::optional<std::uint8_t> genreByte)
{
    if (!genreByte) {
        box.setCurrentIndex(0);
        return;
    }
    // The empty item carries 255, so the byte 255 finds it like any genre does.
    for (int position = 0; position < box.count(); ++position) {
        if (static_cast<std::uint8_t>(box.itemData(position).toInt()) == *genreByte) {
            box.setCurrentIndex(position);
            return;
        }
    }
    box.setCurrentIndex(0);
}

void showGenreText(QComboBox& box, const std::optional<std::string>& tcon)
{
    if (!tcon) {
        box.setCurrentIndex(0);
        return;
    }
    // A reference to a known genre, bare or followed by that genre's name, selects its item;
    // anything else shows as the list shows it, as typed text.
    const tags::GenreRef ref = tags::parseGenreRef(*tcon);
    const std::string_view rest = std::string_view(*tcon).substr(std::min(ref.consumed, tcon->size()));
    if (ref.number >= 0 && ref.number < tags::kGenreCount &&
        (rest.empty() || rest == tags::genreName(ref.number))) {
        const int position = box.findData(ref.number);
        if (position >= 0) {
            box.setCurrentIndex(position);
            return;
        }
    }
    const std::string shown = tags::genreDisplayText(*tcon);
    // No item stays current, so that the box's text is exactly the text shown.
    box.setCurrentIndex(-1);
    box.setEditText(QString::fromStdString(shown));
}

}  // namespace corvane

// The settings store: value forms, read rules for damaged or out-of-range values, round trip.
#include "gui/app_settings.h"

#include "tests/app/app_fixtures.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::SettingsStore;
using tags::Column;

QByteArray columnBytes(int field, std::uint32_t width)
{
    QByteArray b(1, static_cast<char>(field));
    for (int i = 0; i < 4; ++i)
        b += static_cast<char>((width >> (8 * i)) & 0xFF);
    return b;
}

QByteArray int32Bytes(std::int32_t v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return b;
}

TEST(AppSettings, EmptyStoreGivesDefaults)
{
    SettingsStore s;
    const AppSettings a = AppSettings::load(s.store());
    EXPECT_EQ(a.width, 800);
    EXPECT_EQ(a.height, 640);
    EXPECT_EQ(a.divider, 0u);
    EXPECT_FALSE(a.position.has_value());
    EXPECT_FALSE(a.maximized);
    EXPECT_TRUE(a.expanded);
    EXPECT_TRUE(a.compact);
    EXPECT_EQ(a.view, TagView::Id3v2);  // most files carry only an ID3v2 tag
    EXPECT_TRUE(a.currentFolder.empty());
    EXPECT_EQ(a.columns, defaultColumnLayout());
    EXPECT_EQ(a.sortColumn, 0);
    EXPECT_TRUE(a.sortAscending);
    EXPECT_EQ(a.fieldSelection, batch::FieldSelection::all());
}

TEST(AppSettings, OutOfRangeValuesAreLimited)
{
    SettingsStore s;
    s.store().setValue("CurrentView", 7);
    s.store().setValue("NoOfColumns", 20);
    s.store().setValue("Column0", columnBytes(40, 5000));  // field past the table, width too wide
    s.store().setValue("Column1", columnBytes(3, 90));
    s.store().setValue("SortColumn", int32Bytes(99));
    const AppSettings a = AppSettings::load(s.store());
    EXPECT_EQ(a.view, TagView::Id3v1);
    ASSERT_EQ(a.columns.size(), static_cast<std::size_t>(tags::kColumnCount));
    EXPECT_EQ(a.columns[0], (ColumnSpec{Column::Filename, 2000}));
    EXPECT_EQ(a.columns[1], (ColumnSpec{Column::Album, 90}));
    EXPECT_EQ(a.columns[12], (ColumnSpec{Column::EncodedBy, 150}));
    EXPECT_EQ(a.sortColumn, tags::kColumnCount - 1);

    s.store().setValue("SortColumn", int32Bytes(-3));
    EXPECT_EQ(AppSettings::load(s.store()).sortColumn, 0);
}

TEST(AppSettings, MissingOrShortColumnValueKeepsItsPositionsDefault)
{
    SettingsStore s;
    s.store().setValue("NoOfColumns", 8);
    for (int i = 0; i < 8; ++i)
        s.store().setValue(QStringLiteral("Column%1").arg(i), columnBytes(7 - i, 120));
    s.store().remove("Column5");
    s.store().setValue("Column6", QByteArray("\x02\x10", 2));
    const AppSettings a = AppSettings::load(s.store());
    ASSERT_EQ(a.columns.size(), 8u);
    EXPECT_EQ(a.columns[0], (ColumnSpec{Column::Track, 120}));
    EXPECT_EQ(a.columns[5], (ColumnSpec{Column::Comment, 150}));
    EXPECT_EQ(a.columns[6], (ColumnSpec{Column::Genre, 150}));
}

TEST(AppSettings, ZeroOrUnreadableColumnCountGivesTheDefaultLayout)
{
    SettingsStore s;
    s.store().setValue("NoOfColumns", -4);
    s.store().setValue("SortColumn", int32Bytes(3));
    EXPECT_EQ(AppSettings::load(s.store()).columns, defaultColumnLayout());
    EXPECT_EQ(AppSettings::load(s.store()).sortColumn, 0);
    s.store().setValue("NoOfColumns", "many");
    EXPECT_EQ(AppSettings::load(s.store()).columns, defaultColumnLayout());
}

TEST(AppSettings, FlagsAreTrueOnlyWhenTheLowestByteIsFF)
{
    SettingsStore s;
    s.store().setValue("Expanded", 0x1FF);
    s.store().setValue("Compact", 254);
    s.store().setValue("SortAssending", 1);
    s.store().setValue("UpdateAll", (1u << 0) | (1u << 26) | (1u << 31));
    const AppSettings a = AppSettings::load(s.store());
    EXPECT_TRUE(a.expanded);
    EXPECT_FALSE(a.compact);
    EXPECT_FALSE(a.sortAscending);
    // Bit n is the field of value n; bits past the fields are ignored.
    tags::forEachField([&](tags::EditorField field) {
        EXPECT_EQ(a.fieldSelection[field],
                  field == tags::EditorField::V1Track || field == tags::EditorField::V2Genre)
            << tags::indexOf(field);
    });
}

TEST(AppSettings, RoundTripKeepsEveryValueInItsStoredForm)
{
    SettingsStore s;
    AppSettings a;
    a.width = 1024;
    a.height = 700;
    a.position = QPoint(-1200, 40);  // on a screen left of the primary one
    a.scalePercent = 150;
    a.maximized = true;
    a.divider = 250;
    a.expanded = false;
    a.unsafeInPlace = true;
    a.view = TagView::Id3v2;
    a.currentFolder = "/home/user/M\xc3\xbasica \xff/";
    a.columns = {{Column::Artist, 90}, {Column::Filename, 200}, {Column::Year, 60}};
    a.sortColumn = 2;
    a.sortAscending = false;
    a.fieldSelection.set(tags::EditorField::V1Album, false);
    a.save(s.store());

    QSettings& reopened = s.reopen();
    EXPECT_EQ(reopened.value("Column0").toByteArray(), columnBytes(2, 90));
    EXPECT_EQ(reopened.value("SortColumn").toByteArray(), int32Bytes(2));
    EXPECT_EQ(reopened.value("Expanded").toInt(), 0);
    EXPECT_EQ(reopened.value("Compact").toInt(), 255);
    EXPECT_EQ(reopened.value("CurrentView").toInt(), 2002);
    EXPECT_EQ(reopened.value("UpdateAll").toUInt(), 0x7FFFFFFu & ~(1u << 3));  // 3: ID3v1 album

    const AppSettings b = AppSettings::load(reopened);
    EXPECT_EQ(b.width, 1024);
    EXPECT_EQ(b.height, 700);
    EXPECT_EQ(b.position, QPoint(-1200, 40));
    EXPECT_EQ(b.scalePercent, 150);
    EXPECT_TRUE(b.maximized);
    EXPECT_EQ(b.divider, 250u);
    EXPECT_FALSE(b.expanded);
    EXPECT_TRUE(b.unsafeInPlace);
    EXPECT_FALSE(b.durableWrites);
    EXPECT_EQ(b.view, TagView::Id3v2);
    EXPECT_EQ(b.currentFolder, a.currentFolder);  // bytes that are not UTF-8 survive too
    EXPECT_EQ(b.columns, a.columns);
    EXPECT_EQ(b.sortColumn, 2);
    EXPECT_FALSE(b.sortAscending);
    EXPECT_EQ(b.fieldSelection, a.fieldSelection);
}

TEST(AppSettings, OverlongOrNonNumericValuesKeepDefaults)
{
    SettingsStore s;
    s.store().setValue("CurPath", QByteArray(kMaxStoredPathBytes + 1, 'a'));
    s.store().setValue("Width", "wide");
    s.store().setValue("Height", 0);
    const AppSettings a = AppSettings::load(s.store());
    EXPECT_TRUE(a.currentFolder.empty());
    EXPECT_EQ(a.width, 800);
    EXPECT_EQ(a.height, 640);
}

}  // namespace
}  // namespace corvane

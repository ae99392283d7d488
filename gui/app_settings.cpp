#include "gui/app_settings.h"

#include <QSettings>
#include <QString>

#include <algorithm>
#include <optional>

namespace corvane {

namespace {

const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
const QString kDivider = QStringLiteral("Divider");
const QString kExpanded = QStringLiteral("Expanded");
const QString kCompact = QStringLiteral("Compact");
const QString kCurrentView = QStringLiteral("CurrentView");
const QString kCurPath = QStringLiteral("CurPath");
const QString kNoOfColumns = QStringLiteral("NoOfColumns");
const QString kSortColumn = QStringLiteral("SortColumn");
// The historical spelling of the value name is kept so existing stores keep working.
const QString kSortAscending = QStringLiteral("SortAssending");
const QString kUpdateAll = QStringLiteral("UpdateAll");
const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kScale = QStringLiteral("Scale");
const QString kMaximized = QStringLiteral("Maximized");
const QString kDurableWrites = QStringLiteral("DurableWrites");
const QString kUnsafeInPlace = QStringLiteral("UnsafeInPlace");

constexpr std::uint32_t kTrue = 255;

QString columnKey(int position)
{
    return QStringLiteral("Column") + QString::number(position);
}

// A 32-bit value as the store holds it. Numbers outside 32 bits keep their low 32 bits, as a
// DWORD would; anything that is not a number is unreadable.
std::optional<std::uint32_t> readDword(QSettings& store, const QString& key)
{
    const QVariant value = store.value(key);
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<qulonglong>(number) & 0xFFFFFFFFu);
}

// Raw bytes of a value; a value longer than the read buffer of the store is unreadable.
std::optional<QByteArray> readBytes(QSettings& store, const QString& key, int maxBytes)
{
    const QVariant value = store.value(key);
    if (!value.isValid())
        return std::nullopt;
    QByteArray bytes = value.toByteArray();
    if (bytes.size() > maxBytes)
        return std::nullopt;
    return bytes;
}

std::uint32_t littleEndian32(const QByteArray& bytes, int offset)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    return v;
}

QByteArray littleEndianBytes(std::uint32_t v)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return bytes;
}

bool lowByteIsTrue(std::uint32_t v)
{
    return (v & 0xFF) == 0xFF;
}

void readFlag(QSettings& store, const QString& key, bool& flag)
{
    if (const auto v = readDword(store, key))
        flag = lowByteIsTrue(*v);
}

// A window size that does not fit a positive int would give an unusable window; it keeps the
// default instead.
void readSize(QSettings& store, const QString& key, int& size)
{
    if (const auto v = readDword(store, key); v && *v > 0 && *v <= 0x7FFFFFFFu)
        size = static_cast<int>(*v);
}

// The corner is kept only when both coordinates are there; they are signed, since a screen
// left of or above the primary one has negative coordinates.
void readPosition(QSettings& store, AppSettings& s)
{
    const auto left = readDword(store, kLeft);
    const auto top = readDword(store, kTop);
    if (left && top)
        s.position = QPoint(static_cast<std::int32_t>(*left), static_cast<std::int32_t>(*top));
    if (const auto scale = readDword(store, kScale); scale && *scale <= 10000)
        s.scalePercent = static_cast<int>(*scale);
    readFlag(store, kMaximized, s.maximized);
}

ColumnSpec readColumn(QSettings& store, int position)
{
    ColumnSpec entry{static_cast<tags::Column>(position), 150};
    const auto bytes = readBytes(store, columnKey(position), 260);
    if (!bytes || bytes->size() < 5)
        return entry;  // missing or cut short: this position keeps its default entry
    const int field = static_cast<std::uint8_t>((*bytes)[0]);
    if (field < tags::kColumnCount)
        entry.field = static_cast<tags::Column>(field);
    const std::uint32_t width = littleEndian32(*bytes, 1);
    entry.width = static_cast<int>(std::min<std::uint32_t>(width, kMaxStoredColumnWidth));
    return entry;
}

void readLayout(QSettings& store, AppSettings& s)
{
    int count = 0;
    if (const auto v = readDword(store, kNoOfColumns))
        count = std::clamp(static_cast<int>(*v), 0, tags::kColumnCount);
    if (count == 0) {
        s.columns = defaultColumnLayout();
        s.sortColumn = 0;
        return;
    }
    s.columns.clear();
    for (int i = 0; i < count; ++i)
        s.columns.push_back(readColumn(store, i));
    s.sortColumn = 0;
    if (const auto bytes = readBytes(store, kSortColumn, 260); bytes && bytes->size() >= 4) {
        const auto stored = static_cast<std::int32_t>(littleEndian32(*bytes, 0));
        s.sortColumn = std::clamp<std::int32_t>(stored, 0, count - 1);
    }
}

void readFolder(QSettings& store, AppSettings& s)
{
    const auto bytes = readBytes(store, kCurPath, kMaxStoredPathBytes);
    if (!bytes)
        return;
    // The path ends at a zero byte, should the store hold one.
    const qsizetype end = bytes->indexOf('\0');
    s.currentFolder = (end < 0 ? *bytes : bytes->left(end)).toStdString();
}

}  // namespace

QByteArray encodeColumnSpec(const ColumnSpec& entry)
{
    QByteArray bytes(1, static_cast<char>(static_cast<std::uint8_t>(entry.field)));
    bytes += littleEndianBytes(static_cast<std::uint32_t>(std::max(entry.width, 0)));
    return bytes;
}

AppSettings AppSettings::load(QSettings& store)
{
    AppSettings s;
    readSize(store, kWidth, s.width);
    readSize(store, kHeight, s.height);
    readPosition(store, s);
    if (const auto v = readDword(store, kDivider))
        s.divider = *v;
    readFlag(store, kExpanded, s.expanded);
    readFlag(store, kCompact, s.compact);
    readFlag(store, kDurableWrites, s.durableWrites);
    readFlag(store, kUnsafeInPlace, s.unsafeInPlace);
    if (const auto v = readDword(store, kCurrentView))
        s.view = *v == static_cast<std::uint32_t>(TagView::Id3v2) ? TagView::Id3v2 : TagView::Id3v1;
    readFolder(store, s);
    readLayout(store, s);
    readFlag(store, kSortAscending, s.sortAscending);
    if (const auto v = readDword(store, kUpdateAll))
        s.fieldSelection = batch::FieldSelection::fromBits(*v);
    return s;
}

void AppSettings::save(QSettings& store) const
{
    const int count = static_cast<int>(columns.size());
    store.setValue(kNoOfColumns, count);
    for (int i = 0; i < count; ++i)
        store.setValue(columnKey(i), encodeColumnSpec(columns[static_cast<std::size_t>(i)]));
    store.setValue(kSortColumn, littleEndianBytes(static_cast<std::uint32_t>(sortColumn)));
    store.setValue(kSortAscending, sortAscending ? kTrue : 0u);
    store.setValue(kCurPath, QByteArray::fromStdString(currentFolder));
    store.setValue(kWidth, width);
    store.setValue(kHeight, height);
    if (position) {
        store.setValue(kLeft, position->x());
        store.setValue(kTop, position->y());
    }
    store.setValue(kScale, scalePercent);
    store.setValue(kMaximized, maximized ? kTrue : 0u);
    store.setValue(kDivider, divider);
    store.setValue(kExpanded, expanded ? kTrue : 0u);
    store.setValue(kCompact, compact ? kTrue : 0u);
    store.setValue(kDurableWrites, durableWrites ? kTrue : 0u);
    store.setValue(kUnsafeInPlace, unsafeInPlace ? kTrue : 0u);
    store.setValue(kCurrentView, static_cast<int>(view));
    store.setValue(kUpdateAll, fieldSelection.bits());
    store.sync();
}

}  // namespace corvane

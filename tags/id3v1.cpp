#include "tags/id3v1.h"

#include "tags/field_catalogue.h"
#include "tags/id3v2_header.h"
#include "tags/tag_write.h"
#include "tags/text_encoding.h"
#include "tags/text_rules.h"

#include <algorithm>
#include <cstring>

namespace corvane::tags {

namespace {

constexpr std::string_view kMagic = "TAG";

bool hasMagic(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= kMagic.size() &&
           std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) == 0;
}

// A field's text ends at its first zero byte; the bytes are ISO-8859-1.
std::string fieldText(const Id3v1Trailer& trailer, std::size_t offset, std::size_t width)
{
    const auto* begin = trailer.data() + offset;
    const auto* end = std::find(begin, begin + width, std::uint8_t{0});
    return latin1ToUtf8(std::span<const std::uint8_t>(begin, end));
}

std::string fieldText(const Id3v1Trailer& trailer, Id3v1Field field)
{
    return fieldText(trailer, field.offset, field.width);
}

bool hasTrack(const Id3v1Trailer& trailer)
{
    return trailer[kId3v1TrackMarker] == 0 && trailer[kId3v1TrackOffset] != 0;
}

Id3v1Field textField(V1FieldNo field)
{
    switch (field) {
        case V1FieldNo::Title: return kId3v1Title;
        case V1FieldNo::Artist: return kId3v1Artist;
        case V1FieldNo::Album: return kId3v1Album;
        case V1FieldNo::Year: return kId3v1Year;
        default: return kId3v1Comment;
    }
}

const FieldSlot* findEntry(const SlotList& writeList, V1FieldNo field)
{
    const auto it = std::find_if(writeList.begin(), writeList.end(), [field](const FieldSlot& s) {
        return s.key.empty() && s.v1Field == field;
    });
    return it == writeList.end() ? nullptr : &*it;
}

void putText(Id3v1Trailer& trailer, std::size_t offset, std::size_t width, std::string_view latin1)
{
    auto* field = trailer.data() + offset;
    std::fill(field, field + width, std::uint8_t{0});
    std::copy_n(latin1.begin(), std::min(latin1.size(), width), field);
}

void emptyTextSlots(SlotList& list)
{
    for (std::size_t i = 0; i < 6 && i < list.size(); ++i) list[i].value = std::string();
}

}  // namespace

std::size_t id3v1Width(V1FieldNo field, bool withTrack)
{
    switch (field) {
        case V1FieldNo::Comment: return withTrack ? kId3v1CommentWithTrackWidth : kId3v1Comment.width;
        case V1FieldNo::Genre:
        case V1FieldNo::Track: return 0;
        default: return textField(field).width;
    }
}

Id3v1Values parseId3v1(const Id3v1Trailer& trailer)
{
    Id3v1Values values;
    values.title = fieldText(trailer, kId3v1Title);
    values.artist = fieldText(trailer, kId3v1Artist);
    values.album = fieldText(trailer, kId3v1Album);
    values.year = fieldText(trailer, kId3v1Year);
    if (hasTrack(trailer)) {
        values.comment = fieldText(trailer, kId3v1Comment.offset, kId3v1CommentWithTrackWidth);
        values.track = trailer[kId3v1TrackOffset];
    } else {
        values.comment = fieldText(trailer, kId3v1Comment);
    }
    values.genre = trailer[kId3v1GenreOffset];
    return values;
}

std::string id3v1StoredText(std::string_view text, std::size_t width)
{
    std::string latin1 = utf8ToLatin1(text);
    // A zero byte ends a field's text when it is read back.
    latin1 = latin1.substr(0, std::min({latin1.size(), width, latin1.find('\0')}));
    return latin1ToUtf8(latin1);
}

std::uint8_t id3v1TrackByte(std::string_view text)
{
    const std::int64_t n = leadingInteger(text);
    if (n > 255) return 255;
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) & 0xFF);
}

std::uint8_t id3v1GenreByte(std::string_view name)
{
    const auto index = findGenre(name);
    return index ? static_cast<std::uint8_t>(*index) : kNoGenre;
}

Id3v1Trailer emptyId3v1Trailer()
{
    Id3v1Trailer trailer{};
    std::memcpy(trailer.data(), kMagic.data(), kMagic.size());
    // A new trailer names no genre unless asked to; a zero byte would read as "Blues".
    trailer[kId3v1GenreOffset] = kNoGenre;
    return trailer;
}

Id3v1Trailer applyId3v1Entries(const Id3v1Trailer& old, const SlotList& entries)
{
    Id3v1Trailer trailer = old;
    for (const auto field : {V1FieldNo::Title, V1FieldNo::Artist, V1FieldNo::Album, V1FieldNo::Year}) {
        if (const auto* entry = findEntry(entries, field)) {
            const auto at = textField(field);
            putText(trailer, at.offset, at.width, utf8ToLatin1(entry->text()));
        }
    }
    // Comment and track share the last bytes: decide both, then lay them out together.
    const auto oldValues = parseId3v1(old);
    const auto* commentEntry = findEntry(entries, V1FieldNo::Comment);
    const auto* trackEntry = findEntry(entries, V1FieldNo::Track);
    if (commentEntry != nullptr || trackEntry != nullptr) {
        const std::uint8_t track = trackEntry ? id3v1TrackByte(trackEntry->text())
                                              : static_cast<std::uint8_t>(oldValues.track);
        const std::string comment =
            utf8ToLatin1(commentEntry ? commentEntry->text() : oldValues.comment);
        putText(trailer, kId3v1Comment.offset, kId3v1Comment.width, {});
        putText(trailer, kId3v1Comment.offset, id3v1Width(V1FieldNo::Comment, track != 0), comment);
        if (track != 0) trailer[kId3v1TrackOffset] = track;
    }
    if (const auto* entry = findEntry(entries, V1FieldNo::Genre))
        trailer[kId3v1GenreOffset] = entry->hasValue() ? id3v1GenreByte(*entry->value) : kNoGenre;
    return trailer;
}

TrailerProbe probeId3v1(FileIo& file, std::uint64_t id3v2End)
{
    TrailerProbe probe;
    const auto length = file.length();
    if (!length) return probe;
    probe.length = *length;
    probe.ok = true;
    if (*length < kId3v1Size || *length - kId3v1Size < id3v2End) return probe;
    Id3v1Trailer trailer{};
    if (!file.readExactAt(*length - kId3v1Size, trailer)) {
        probe.ok = false;
        return probe;
    }
    if (hasMagic(trailer)) probe.trailer = trailer;
    return probe;
}

TrailerProbe probeId3v1(FileIo& file)
{
    std::array<std::uint8_t, kId3v2HeaderSize> head{};
    const auto got = file.readAt(0, head);
    if (!got) return {};
    const auto header = parseId3v2Header(std::span(head).first(*got));
    return probeId3v1(file, header ? header->totalSize() : 0);
}

TagRead readId3v1(FileIo& file, SlotList& list, bool genreIntoSlot6)
{
    const auto probe = probeId3v1(file);
    if (!probe.ok || !probe.trailer) {
        emptyTextSlots(list);
        return probe.ok ? TagRead::Absent : TagRead::Failed;
    }
    const auto values = parseId3v1(*probe.trailer);
    const std::string* texts[] = {&values.title, &values.artist, &values.album, &values.year,
                                  &values.comment};
    for (std::size_t f = 0; f < 5 && f + 1 < list.size(); ++f) list[f + 1].value = *texts[f];
    if (!list.empty()) list[0].value = values.track == 0 ? std::string() : std::to_string(values.track);
    const auto genreSlot =
        genreIntoSlot6 ? std::size_t{6} : static_cast<std::size_t>(RecordSlot::V1GenreByte);
    if (genreSlot < list.size()) list[genreSlot].value = std::string(1, static_cast<char>(values.genre));
    return TagRead::Present;
}

WriteResult writeId3v1(FileIo& file, const SlotList& writeList)
{
    TagChanges changes;
    changes.id3v1 = V1Change::Write;
    changes.id3v1Entries = writeList;
    return writeTags(file, changes);
}

WriteResult removeId3v1(FileIo& file)
{
    TagChanges changes;
    changes.id3v1 = V1Change::Remove;
    return writeTags(file, changes);
}

bool hasId3v1(FileIo& file)
{
    const auto probe = probeId3v1(file);
    return probe.ok && probe.trailer.has_value();
}

}  // namespace corvane::tags

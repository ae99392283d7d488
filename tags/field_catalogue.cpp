#include "tags/field_catalogue.h"

#include <algorithm>

#include "tags/text_rules.h"

namespace corvane::tags {

const std::array<ColumnDef, kColumnCount> ColumnTable{{
    {"Filename", ""},
    {"Title", "TIT2"},
    {"Artist", "TPE1"},
    {"Album", "TALB"},
    {"Year", "TYER"},
    {"Comment", "COMM"},
    {"Genre", "TCON"},
    {"Track", "TRCK"},
    {"Composer", "TCOM"},
    {"Orig. Artist", "TOPE"},
    {"Copyright", "TCOP"},
    {"URL", "WXXX"},
    {"Encoded By", "TENC"},
}};

const std::array<std::string_view, kTagRecordSize> FrameIdTable{
    "",     "",     "",     "",     "",     "",     "TRCK", "TIT2", "TPE1", "TALB",
    "TYER", "COMM", "TCOM", "TEXT", "TCOP", "WXXX", "TENC", "TIT3", "TOPE", "TOAL",
    "TORY", "TOLY", "TPUB", "TPE2", "TPE3", "PCNT", "IDV1", "IDV2", "GEN1", "TCON",
};

const std::array<std::string_view, kGenreCount> GenreTable{
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical",
    "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock",
    "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance",
    "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap",
    "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave",
    "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro",
    "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing",
    "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde",
    "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock",
    "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire",
    "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul",
    "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A capella", "Euro-House", "Dance Hall",
};

const std::array<int, 15> BitRatesV1Layer2{0,   32,  48,  56,  64,  80,  96, 112,
                                           128, 160, 192, 224, 256, 320, 384};
const std::array<int, 15> BitRatesV1Layer3{0,   32,  40,  48,  56,  64,  80, 96,
                                           112, 128, 160, 192, 224, 256, 320};
const std::array<int, 15> BitRatesV2Layer1{0,   32,  48,  56,  64,  80,  96, 112,
                                           128, 144, 160, 176, 192, 224, 256};

GenreRef parseGenreRef(std::string_view text)
{
    if (text.empty() || text[0] != '(')
        return {};
    if (text.size() > 1 && text[1] == '(')
        return {-1, 1};  // "((" escapes a literal parenthesis
    const auto close = text.find(')', 1);
    if (close == std::string_view::npos)
        return {};
    // Any number outside 0..125 means "no genre number" to every caller, so the clamp to int
    // cannot change a result.
    const auto number = std::clamp<std::int64_t>(leadingInteger(text.substr(1, close - 1)),
                                                 -1'000'000'000, 1'000'000'000);
    return {static_cast<int>(number), close + 1};
}

std::optional<int> findGenre(std::string_view text)
{
    for (int i = 0; i < kGenreCount; ++i) {
        if (equalsIgnoringAsciiCase(GenreTable[static_cast<std::size_t>(i)], text))
            return i;
    }
    return std::nullopt;
}

std::string_view genreName(int genreByte)
{
    if (genreByte < 0 || genreByte >= kGenreCount)
        return {};
    return GenreTable[static_cast<std::size_t>(genreByte)];
}

std::string_view genreNameOfTcon(std::string_view tcon)
{
    const auto ref = parseGenreRef(tcon);
    if (ref.number >= 0 && ref.number < kGenreCount)
        return genreName(ref.number);
    if (const auto index = findGenre(tcon.substr(ref.consumed)))
        return genreName(*index);
    return {};
}

std::string_view genreDisplayText(std::string_view tcon)
{
    const auto ref = parseGenreRef(tcon);
    const auto rest = tcon.substr(std::min(ref.consumed, tcon.size()));
    if (rest.empty() && ref.number >= 0 && ref.number < kGenreCount)
        return genreName(ref.number);
    return rest;
}

std::optional<Column> columnOfFrame(std::string_view frameId)
{
    if (frameId.empty())
        return std::nullopt;
    for (int i = 0; i < kColumnCount; ++i) {
        if (ColumnTable[static_cast<std::size_t>(i)].frameId == frameId)
            return static_cast<Column>(i);
    }
    return std::nullopt;
}

}  // namespace corvane::tags

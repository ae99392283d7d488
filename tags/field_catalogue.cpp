#include "tags/field_catalogue.h"

#include <algorithm>
#include <vector>

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
    {"Cover", ""},
}};

const std::array<PictureTypeDef, kPictureTypeCount> PictureTypeTable{{
    {"Other", "other"},
    {"File icon", "icon"},
    {"Other file icon", "other-icon"},
    {"Front cover", "front"},
    {"Back cover", "back"},
    {"Leaflet page", "leaflet"},
    {"Media", "media"},
    {"Lead artist", "lead-artist"},
    {"Artist", "artist"},
    {"Conductor", "conductor"},
    {"Band", "band"},
    {"Composer", "composer"},
    {"Lyricist", "lyricist"},
    {"Recording location", "recording-location"},
    {"During recording", "during-recording"},
    {"During performance", "during-performance"},
    {"Screen capture", "screen-capture"},
    {"A bright coloured fish", "fish"},
    {"Illustration", "illustration"},
    {"Band logo", "band-logo"},
    {"Publisher logo", "publisher-logo"},
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
    "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie", "BritPop", "Afro-Punk",
    "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover",
    "Contemporary Christian", "Christian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime",
    "JPop", "Synthpop", "Abstract", "Art Rock", "Baroque", "Bhangra", "Big Beat", "Breakbeat",
    "Chillout", "Downtempo", "Dub", "EBM", "Eclectic", "Electro", "Electroclash", "Emo",
    "Experimental", "Garage", "Global", "IDM", "Illbient", "Industro-Goth", "Jam Band",
    "Krautrock", "Leftfield", "Lounge", "Math Rock", "New Romantic", "Nu-Breakz", "Post-Punk",
    "Post-Rock", "Psytrance", "Shoegaze", "Space Rock", "Trop Rock", "World Music",
    "Neoclassical", "Audiobook", "Audio Theatre", "Neue Deutsche Welle", "Podcast", "Indie Rock",
    "G-Funk", "Dubstep", "Garage Rock", "Psybient",
};

const std::array<int, 15> BitRatesV1Layer2{0,   32,  48,  56,  64,  80,  96, 112,
                                           128, 160, 192, 224, 256, 320, 384};
const std::array<int, 15> BitRatesV1Layer3{0,   32,  40,  48,  56,  64,  80, 96,
                                           112, 128, 160, 192, 224, 256, 320};
const std::array<int, 15> BitRatesV2Layer1{0,   32,  48,  56,  64,  80,  96, 112,
                                           128, 144, 160, 176, 192, 224, 256};

namespace {

bool isAllDigits(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number that names a table genre, from its digits.
std::optional<int> genreNumber(std::string_view digits)
{
    if (!isAllDigits(digits) || digits.size() > 3) return std::nullopt;
    const auto number = static_cast<int>(leadingInteger(digits));
    if (number >= kGenreCount) return std::nullopt;
    return number;
}

std::vector<std::string_view> splitValues(std::string_view text)
{
    std::vector<std::string_view> values;
    for (std::size_t at = 0;;) {
        const auto next = text.find(kValueSeparator, at);
        values.push_back(text.substr(at, next == std::string_view::npos ? next : next - at));
        if (next == std::string_view::npos) return values;
        at = next + kValueSeparator.size();
    }
}

// The genres one value names, in order.
std::vector<std::string> genresOfValue(std::string_view value)
{
    std::vector<std::string> names;
    std::string_view rest = value;
    bool referenced = false;
    while (true) {
        const auto ref = parseGenreRef(rest);
        if (ref.consumed == 0) break;
        rest.remove_prefix(ref.consumed);
        if (ref.consumed == 1) break;  // "((" escapes a parenthesis: the rest is text
        referenced = true;
        if (!ref.name.empty())
            names.emplace_back(ref.name);
        else if (ref.number >= 0 && ref.number < kGenreCount)
            names.emplace_back(genreName(ref.number));
    }
    if (rest.empty()) return names;
    if (!referenced) {
        if (const auto number = genreNumber(rest)) return {std::string(genreName(*number))};
    }
    // A text after a reference refines it, and is shown in its place.
    if (!names.empty()) names.pop_back();
    names.emplace_back(rest);
    return names;
}

}  // namespace

GenreRef parseGenreRef(std::string_view text)
{
    if (text.empty() || text[0] != '(') return {};
    if (text.size() > 1 && text[1] == '(') return {-1, 1, {}};  // "((" escapes a parenthesis
    const auto close = text.find(')', 1);
    if (close == std::string_view::npos) return {};
    const auto inside = text.substr(1, close - 1);
    if (inside == "RX") return {-1, close + 1, "Remix"};
    if (inside == "CR") return {-1, close + 1, "Cover"};
    // The number is read by the leading-digits rule, but there must be digits: "()" and "(abc)"
    // are text, not a reference to the first genre.
    const auto digits = inside.find_first_not_of(" \t+-");
    if (digits == std::string_view::npos || inside[digits] < '0' || inside[digits] > '9') return {};
    // Any number outside the table means "no genre number" to every caller, so the clamp to int
    // cannot change a result.
    const auto number =
        std::clamp<std::int64_t>(leadingInteger(inside), -1'000'000'000, 1'000'000'000);
    return {static_cast<int>(number), close + 1, {}};
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

std::optional<int> genreNumberOfTcon(std::string_view tcon)
{
    const auto first = splitValues(tcon).front();
    const auto ref = parseGenreRef(first);
    if (ref.number >= 0 && ref.number < kGenreCount) return ref.number;
    const auto names = genresOfValue(first);
    if (names.empty()) return std::nullopt;
    return findGenre(names.front());
}

std::string_view genreNameOfTcon(std::string_view tcon)
{
    const auto number = genreNumberOfTcon(tcon);
    return number ? genreName(*number) : std::string_view{};
}

std::string genreDisplayText(std::string_view tcon)
{
    std::string shown;
    for (const auto value : splitValues(tcon)) {
        for (const auto& name : genresOfValue(value)) {
            if (!shown.empty()) shown += kValueSeparator;
            shown += name;
        }
    }
    return shown;
}

std::string pictureTypeName(std::uint8_t type)
{
    if (type < kPictureTypeCount) return std::string(PictureTypeTable[type].name);
    return "Type " + std::to_string(type);
}

std::optional<std::uint8_t> pictureTypeOfKeyword(std::string_view keyword)
{
    for (std::size_t i = 0; i < PictureTypeTable.size(); ++i) {
        if (equalsIgnoringAsciiCase(PictureTypeTable[i].keyword, keyword))
            return static_cast<std::uint8_t>(i);
    }
    if (keyword.empty() || keyword.size() > 3 ||
        !std::all_of(keyword.begin(), keyword.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto number = leadingInteger(keyword);
    if (number > 255) return std::nullopt;
    return static_cast<std::uint8_t>(number);
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

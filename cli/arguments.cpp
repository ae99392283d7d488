#include "cli/arguments.h"

#include <array>
#include <cstdio>

namespace corvane::cli {

bool ParsedArguments::has(std::string_view name) const
{
    for (const auto& option : options) {
        if (option.first == name) return true;
    }
    return false;
}

std::optional<std::string> ParsedArguments::value(std::string_view name) const
{
    std::optional<std::string> found;
    for (const auto& option : options) {
        if (option.first == name) found = option.second;
    }
    return found;
}

namespace {

const OptionSpec* findOption(std::string_view name, std::span<const OptionSpec> options)
{
    for (const auto& option : options) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

}  // namespace

std::optional<ParsedArguments> parseArguments(std::span<const std::string> args,
                                              std::span<const OptionSpec> options, std::string& error)
{
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionSpec* option = findOption(name, options);
        if (option == nullptr) {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (!option->takesValue) {
            if (equals != std::string::npos) {
                error = "option " + name + " takes no value";
                return std::nullopt;
            }
            parsed.options.emplace_back(name, std::string());
        } else if (equals != std::string::npos) {
            parsed.options.emplace_back(name, arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            parsed.options.emplace_back(name, args[++i]);
        } else {
            error = "option " + name + " needs a value";
            return std::nullopt;
        }
    }
    return parsed;
}

int usageError(std::string_view command, std::string_view message)
{
    std::fprintf(stderr,
                 "corvane-tag: %.*s\nTry 'corvane-tag %.*s%s--help' for more information.\n",
                 static_cast<int>(message.size()), message.data(), static_cast<int>(command.size()),
                 command.data(), command.empty() ? "" : " ");
    return kExitUsage;
}

namespace {

constexpr std::string_view kProgramUsage =
    "Usage: corvane-tag COMMAND [OPTIONS] ARGUMENTS...\n"
    "Reads and writes the ID3v1 trailer and the ID3v2 tag of MP3 files.\n"
    "\n"
    "Commands:\n"
    "  show [--json] FILE...                 show both tags and the audio properties\n"
    "  list [--view v1|v2] [--columns NAME,...] DIR\n"
    "                                        one line per MP3 file of a folder\n"
    "  set [--v1] [--v2] [--compact] FIELD=VALUE... FILE...\n"
    "                                        write fields\n"
    "  remove [--v1] [--v2] FILE...          remove the ID3v1 trailer, the ID3v2 tag, or both\n"
    "  compact FILE...                       drop the padding of the ID3v2 tag\n"
    "  sync (--to-v2|--to-v1) [--keep] [--no-intelligent] [--compact] FILE...\n"
    "                                        copy the common fields from one tag to the other\n"
    "  number [--start N] [--zeros none|auto|N] [--v1] [--v2] [--compact] FILE...\n"
    "                                        consecutive track numbers in the order given\n"
    "  convert --to 2.3|2.4 FILE...          rewrite the ID3v2 tag in another version\n"
    "  picture list|add|extract|remove ...   the pictures of the ID3v2 tag\n"
    "  recover DIR|FILE...                   finish writes that were cut short (a folder with\n"
    "                                        everything below it)\n"
    "  undo [--list]                         put back the tags the last change replaced\n"
    "  from-name --format F [--v1] [--v2] FILE...\n"
    "                                        fill fields from the file names\n"
    "  rename --format F [--portable|--no-portable] [--v1] FILE...\n"
    "                                        name the files from their tags\n"
    "  case --field NAME --mode title|sentence|upper|lower FILE...\n"
    "                                        change the case of fields\n"
    "  replace --field NAME --find X --replace Y [--regex] [--ignore-case] FILE...\n"
    "                                        find and replace text in fields\n"
    "  (these four take --dry-run to print what they would do, --json with it)\n"
    "\n"
    "set, sync and number create new ID3v2 tags as version 2.3; --id3v2-version 2.4 makes\n"
    "them 2.4. Existing tags keep their version; only convert changes it.\n"
    "Every write keeps a journal beside the file until it is complete, so that a write cut\n"
    "short by a crash is finished by the next corvane-tag (or Corvane) that meets the file.\n"
    "The writing commands take --durable (flush at every step, for power cuts) and\n"
    "--unsafe-in-place (no journal, as in a folder where none can be written).\n"
    "\n"
    "'corvane-tag COMMAND --help' describes one command.\n"
    "Exit status: 0 when every file was handled, 1 when a file could not be read or written\n"
    "(named on stderr; the other files are still handled), 2 for a usage error.\n";

struct CommandHelp {
    std::string_view command;
    std::string_view text;
};

constexpr std::array<CommandHelp, 15> kCommandUsage{{
    {"show",
     "Usage: corvane-tag show [--json] FILE...\n"
     "Shows the ID3v1 trailer, the ID3v2 frames and the MP3 specifics of each file, as the tag\n"
     "editor shows them. --json prints one JSON array with one object per file.\n"},
    {"list",
     "Usage: corvane-tag list [--view v1|v2] [--columns NAME,NAME,...] DIR\n"
     "One line per file of DIR whose name ends in .mp3 (any case), sorted by name: the tag\n"
     "presence (0 none, 1 ID3v1, 2 ID3v2, 3 both), then one TAB-separated cell per column.\n"
     "  --view v1|v2     which tag fills the cells (default v1)\n"
     "  --columns LIST   Filename, Title, Artist, Album, Year, Comment, Genre, Track, Composer,\n"
     "                   Orig. Artist, Copyright, URL, Encoded By (default\n"
     "                   Filename,Title,Artist,Album; any case; orig-artist and encoded-by too)\n"
     "TABs and line breaks inside a value are shown as spaces.\n"},
    {"set",
     "Usage: corvane-tag set [--v1] [--v2] [--compact] FIELD=VALUE... FILE...\n"
     "Writes each FIELD=VALUE into every FILE. FIELD is title, artist, album, year, comment,\n"
     "genre, track, composer, orig-artist, copyright, url, encoded-by, or the frame id of a\n"
     "field of the tag editor (TIT3, TPE2, TEXT, PCNT, ...). An empty VALUE clears the field.\n"
     "  --v1, --v2   write only that tag (default: both; fields without an ID3v1 form go to\n"
     "               the ID3v2 tag only)\n"
     "  --compact    give the ID3v2 tag's padding back (default: keep it)\n"
     "  --id3v2-version 2.3|2.4   the version of a tag created in a file without one\n"
     "                            (default 2.3); an existing tag keeps its version\n"
     "The assignments come before the files; write a file whose name looks like one as\n"
     "./NAME.\n"},
    {"remove",
     "Usage: corvane-tag remove [--v1] [--v2] FILE...\n"
     "Removes the ID3v1 trailer (--v1), the ID3v2 tag (--v2), or both (no option).\n"},
    {"compact",
     "Usage: corvane-tag compact FILE...\n"
     "Rewrites the ID3v2 tag without its padding; the frames stay as they are.\n"},
    {"sync",
     "Usage: corvane-tag sync (--to-v2|--to-v1) [--keep] [--no-intelligent] [--compact] FILE...\n"
     "Copies track, title, artist, album, year, comment and genre from one tag to the other.\n"
     "  --to-v2, --to-v1    the direction\n"
     "  --keep              leave fields that already hold a value (default: overwrite)\n"
     "  --no-intelligent    do not copy from the only tag a file has when it is the other one\n"
     "  --compact           give the ID3v2 tag's padding back\n"
     "  --id3v2-version 2.3|2.4   the version of a tag created from a trailer (default 2.3)\n"},
    {"number",
     "Usage: corvane-tag number [--start N] [--zeros none|auto|N] [--v1] [--v2] [--compact]"
     " FILE...\n"
     "Gives the files consecutive track numbers in the order given, from N (default 1).\n"
     "  --zeros none   no padding (default)\n"
     "  --zeros auto   pad to the digit count of the number of files\n"
     "  --zeros N      pad to N extra zeros before the starting number's digits (0..99)\n"
     "  --v1, --v2     write only that tag (default: both)\n"
     "  --id3v2-version 2.3|2.4   the version of a tag created in a file without one\n"
     "A file that cannot be written still uses up its number.\n"},
    {"convert",
     "Usage: corvane-tag convert --to 2.3|2.4 FILE...\n"
     "Rewrites the ID3v2 tag of each FILE in version 2.3 or 2.4 (a 2.2 tag included), mapping\n"
     "its frames as the common readers do: TYER, TDAT and TIME become TDRC and back, TORY\n"
     "TDOR, 2.2's frames and PIC their later forms. Frames the target version does not have\n"
     "are dropped and named on stderr. A tag with an encrypted frame is left as it is.\n"},
    {"picture",
     "Usage: corvane-tag picture list [--json] FILE...\n"
     "       corvane-tag picture add [--type T] [--desc TEXT] [--compact] IMAGE FILE...\n"
     "       corvane-tag picture extract [--type T] --out DIR|FILE [--name FORMAT] FILE...\n"
     "       corvane-tag picture remove [--type T] [--larger-than BYTES] [--compact] FILE...\n"
     "list    each picture: type, description, MIME type, size in bytes, pixel size (--json:\n"
     "        one array of {\"file\", \"pictures\": [{\"type\", \"type_name\", \"description\",\n"
     "        \"mime\", \"size\", \"width\", \"height\"}]}); the image data is not read.\n"
     "add     IMAGE (a JPEG or PNG file, told by its bytes) as a picture of type T (default\n"
     "        front) described by TEXT, in place of a picture of the same type and description.\n"
     "        --id3v2-version 2.3|2.4 is the version of a tag created in a file without one.\n"
     "extract each file's picture of type T, without --type its cover (the front cover, else\n"
     "        the first picture), byte for byte: into DIR named by FORMAT (default %filename%;\n"
     "        %artist%, %album%, %title%, %track:2%, ... any field of the tag editor) and the\n"
     "        image's extension, or as FILE (the first file with a picture; the others are\n"
     "        skipped, as for one cover of an album). An existing file is never overwritten.\n"
     "remove  the pictures of type T, larger than BYTES, or all of them.\n"
     "Types: other, icon, other-icon, front, back, leaflet, media, lead-artist, artist,\n"
     "conductor, band, composer, lyricist, recording-location, during-recording,\n"
     "during-performance, screen-capture, fish, illustration, band-logo, publisher-logo, or\n"
     "a number. A 2.2 tag fails with \"ID3v2.2 tag: convert it first\".\n"},
    {"undo",
     "Usage: corvane-tag undo [--list]\n"
     "Puts back the tags (and names) of every file of the last change, by corvane-tag or\n"
     "Corvane, that still is as the change left it; a file changed since is named and left.\n"
     "The undo is a change itself, so a second undo takes it back. The last 20 changes are kept\n"
     "(within 500 MB) in $XDG_STATE_HOME/corvane (~/.local/state/corvane by default).\n"
     "  --list   show the changes kept, newest first: number, time, files, what it did\n"},
    {"from-name",
     "Usage: corvane-tag from-name --format FORMAT [--v1] [--v2] [--compact] FILE...\n"
     "Reads fields from each file's name (without .mp3) and writes them into both tags, or the\n"
     "one --v1 or --v2 picks. FORMAT is text with placeholders: %title%, %artist%, %album%,\n"
     "%year%, %track%, %genre%, %comment%, %composer%, %lyricist%, %copyright%, %url%,\n"
     "%encoded-by%, %subtitle%, %orig-artist%, %orig-album%, %orig-year%, %orig-lyricist%,\n"
     "%publisher%, %band%, %conductor%; %ignore% for any text, %% for a percent sign; a /\n"
     "reads the folder names above the file (%artist%/%album%/%track% - %title%). Track and\n"
     "year take digits only. A name that does not match is named on stderr and left alone.\n"
     "  --dry-run    print what would change (one line per file) and write nothing\n"
     "  --json       with --dry-run: one JSON array\n"
     "  --id3v2-version 2.3|2.4   the version of a tag created in a file without one\n"},
    {"rename",
     "Usage: corvane-tag rename --format FORMAT [--portable|--no-portable] [--v1] FILE...\n"
     "Names each file from its ID3v2 tag (--v1: its ID3v1 tag) by FORMAT, the placeholders of\n"
     "from-name; %track:2% pads the number to two digits. The .mp3 ending is kept; / becomes\n"
     "_, and leading and trailing spaces and dots go. No file is renamed over another: names\n"
     "two files would get, or another file has, are named on stderr and left alone.\n"
     "  --portable      also replace \\ : * ? \" < > | and control characters (the default), so\n"
     "                  that the names survive a copy to a USB stick\n"
     "  --no-portable   replace only / \n"
     "  --dry-run       print old and new names and rename nothing; --json with it\n"},
    {"case",
     "Usage: corvane-tag case --field NAME[,NAME...] --mode MODE [--v1] [--v2] FILE...\n"
     "Changes the case of the fields in both tags (or the one --v1 or --v2 picks): title\n"
     "(Title Case, small words such as \"of\" and \"the\" lower inside), sentence, upper,\n"
     "lower. Fields are named as in from-name. Empty fields stay empty.\n"
     "  --dry-run    print what would change and write nothing; --json with it\n"},
    {"replace",
     "Usage: corvane-tag replace --field NAME[,NAME...] --find TEXT --replace TEXT [--regex]\n"
     "                           [--ignore-case] [--v1] [--v2] FILE...\n"
     "Replaces every TEXT found in the fields. --regex: TEXT is an ECMAScript regular\n"
     "expression and the replacement may hold $1..$99 (groups), $& (the match) and $$.\n"
     "  --ignore-case   find without regard to case\n"
     "  --dry-run       print what would change and write nothing; --json with it\n"},
    {"recover",
     "Usage: corvane-tag recover DIR|FILE...\n"
     "Finishes every write that was cut short (by a crash, a kill, a power cut with --durable)\n"
     "and left its journal beside the file: of each FILE, or of every file in DIR and the\n"
     "folders below it. A journal that does not match its file is left alone and named.\n"},
}};

}  // namespace

std::string_view programUsage() { return kProgramUsage; }

std::string_view commandUsage(std::string_view command)
{
    for (const auto& help : kCommandUsage) {
        if (help.command == command) return help.text;
    }
    return {};
}

}  // namespace corvane::cli

#!/usr/bin/env bash
# Times corvane-tag against the same jobs done by mutagen, by a small TagLib program and by
# exiftool, in one run:
#   list:    the ID3v2 view of seven fields (title, artist, album, year, comment, genre, track)
#            over a folder of 10,000 tagged files, warm page cache, best of three runs;
#   set:     one field (the title, fitting in the padding) written into 1,000 files, each tool on
#            its own fresh copy of the files;
#   picture: a 500 KB JPEG added as the front cover of 1,000 files (the tag grows, the audio
#            moves), best of three runs, each on a fresh copy.
# It prints each time and its ratio to corvane-tag's.
#
# Usage: bench/cli_bench.sh [build-dir] [work-folder]
#   build-dir    holds cli/corvane-tag (default: build)
#   work-folder  where the fixtures go (default: a new folder under /tmp, removed at the end)
# Set CLI_BENCH_SKIP_EXIFTOOL=1 to leave exiftool out (it takes minutes on the list job), and
# CLI_BENCH_JOBS to the jobs wanted (default "list set picture").
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build}
corvane="$build_dir/cli/corvane-tag"
[[ -x "$corvane" ]] || { echo "cli_bench: $corvane is not built" >&2; exit 1; }

# The peers are Debian packages; they are installed here, not by the test setup.
need=()
for pkg in libtag1-dev libimage-exiftool-perl python3-mutagen g++ pkg-config; do
    [[ $(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null) == "install ok installed" ]] || need+=("$pkg")
done
if [[ ${#need[@]} -gt 0 ]]; then
    sudo=(); [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    echo "cli_bench: installing ${need[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq >/dev/null
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

if [[ -n ${2:-} ]]; then
    work=$2; mkdir -p "$work"
else
    work=$(mktemp -d /tmp/corvane-cli-bench.XXXXXX)
    trap 'rm -rf "$work"' EXIT
fi

# The runs' undo records go to the work folder, not into the user's own list of changes.
export XDG_STATE_HOME="$work/state"

# ---- The TagLib program ---------------------------------------------------------------------
cat > "$work/taglib_job.cpp" <<'CPP'
// list DIR: the seven fields of every *.mp3 of DIR; set TITLE FILE...: writes the title;
// picture IMAGE FILE...: adds the JPEG IMAGE as the front cover.
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
int main(int argc, char** argv)
{
    if (argc < 3) return 2;
    const std::string job = argv[1];
    if (job == "list") {
        std::vector<std::string> names;
        if (DIR* d = opendir(argv[2])) {
            while (dirent* e = readdir(d)) {
                std::string n = e->d_name;
                if (n.size() > 4 && n.compare(n.size() - 4, 4, ".mp3") == 0) names.push_back(n);
            }
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        for (const auto& n : names) {
            const std::string path = std::string(argv[2]) + "/" + n;
            TagLib::MPEG::File f(path.c_str(), false);
            TagLib::ID3v2::Tag* t = f.ID3v2Tag();
            if (!t) { std::printf("%s\n", n.c_str()); continue; }
            std::printf("%s\t%s\t%s\t%s\t%u\t%s\t%s\t%u\n", n.c_str(), t->title().toCString(true),
                        t->artist().toCString(true), t->album().toCString(true), t->year(),
                        t->comment().toCString(true), t->genre().toCString(true), t->track());
        }
        return 0;
    }
    if (job == "picture") {
        std::ifstream in(argv[2], std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const TagLib::ByteVector image(bytes.data(), static_cast<unsigned int>(bytes.size()));
        int status = 0;
        for (int i = 3; i < argc; ++i) {
            TagLib::MPEG::File f(argv[i], false);
            auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
            frame->setMimeType("image/jpeg");
            frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
            frame->setPicture(image);
            f.ID3v2Tag(true)->addFrame(frame);
            if (!f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
                        TagLib::ID3v2::v3, TagLib::File::DoNotDuplicate))
                status = 1;
        }
        return status;
    }
    if (job == "set") {
        int status = 0;
        for (int i = 3; i < argc; ++i) {
            TagLib::MPEG::File f(argv[i], false);
            f.ID3v2Tag(true)->setTitle(TagLib::String(argv[2], TagLib::String::UTF8));
            if (!f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
                        TagLib::ID3v2::v3, TagLib::File::DoNotDuplicate))
                status = 1;
        }
        return status;
    }
    return 2;
}
CPP
g++ -O2 -std=c++17 -o "$work/taglib_job" "$work/taglib_job.cpp" $(pkg-config --cflags --libs taglib) 2>/dev/null ||
    g++ -O2 -std=c++17 -DTAGLIB_1 -o "$work/taglib_job" "$work/taglib_job.cpp" $(pkg-config --cflags --libs taglib)

# ---- Fixtures -------------------------------------------------------------------------------
/usr/bin/python3 - "$work" <<'PY'
import os, struct, sys
work = sys.argv[1]
def syncsafe(n): return bytes([(n >> 21) & 127, (n >> 14) & 127, (n >> 7) & 127, n & 127])
def frame(fid, body): return fid.encode() + struct.pack('>I', len(body)) + b'\0\0' + body
def text(fid, s): return frame(fid, b'\0' + s.encode('latin-1'))
audio = b'\xff\xfb\x90\xc0' + bytes((i * 37) % 251 + 1 for i in range(8188))
for folder, count in (('list', 10000), ('set', 1000)):
    os.makedirs(os.path.join(work, folder), exist_ok=True)
    for i in range(count):
        frames = (text('TIT2', 'Title number %d' % i) + text('TPE1', 'Artist %d' % (i % 97)) +
                  text('TALB', 'Album %d' % (i % 31)) + text('TYER', '19%02d' % (i % 100)) +
                  frame('COMM', b'\0eng\0' + ('Comment %d' % i).encode()) +
                  text('TCON', '(17)Rock') + text('TRCK', str(i % 20 + 1)) +
                  text('TENC', 'Encoder') + text('TCOP', 'Copyright'))
        tag = b'ID3\3\0\0' + syncsafe(len(frames) + 1024) + frames + b'\0' * 1024
        trailer = b'TAG' + ('Title number %d' % i).encode().ljust(30, b'\0') + b'\0' * 93 + bytes([1, 17])
        with open(os.path.join(work, folder, 'track%05d.mp3' % i), 'wb') as f:
            f.write(tag + audio + trailer)
# A grey 600x600 baseline JPEG (every block its DC value alone), padded to 500 KB with comment
# segments before the frame header, as EXIF blocks would be.
def segment(marker, data): return b'\xff' + bytes([marker]) + struct.pack('>H', len(data) + 2) + data
jpeg = b'\xff\xd8' + segment(0xE0, b'JFIF\0\1\1\0\0\1\0\1\0\0') + segment(0xDB, b'\0' + b'\1' * 64)
while len(jpeg) < 500 * 1024 - 70000:
    jpeg += segment(0xFE, bytes((i * 7) % 200 + 32 for i in range(65000)))
jpeg += segment(0xFE, b'c' * (500 * 1024 - len(jpeg) - 200))
table = lambda cls: bytes([cls, 1]) + b'\0' * 15 + b'\0'
jpeg += segment(0xC0, b'\x08\x02\x58\x02\x58\x01\x01\x11\x00') + segment(0xC4, table(0x00))
jpeg += segment(0xC4, table(0x10)) + segment(0xDA, b'\x01\x01\x00\x00\x3f\x00')
jpeg += b'\0' * (75 * 75 * 2 // 8) + b'\x3f\xff\xd9'  # two zero bits a block, ones to the byte's end
with open(os.path.join(work, 'cover.jpg'), 'wb') as f:
    f.write(jpeg)
PY

mutagen_list='
import os, sys
from mutagen.id3 import ID3, ID3NoHeaderError
d = sys.argv[1]
out = []
for n in sorted(x for x in os.listdir(d) if x.lower().endswith(".mp3")):
    try:
        t = ID3(os.path.join(d, n), load_v1=False)
    except ID3NoHeaderError:
        out.append(n); continue
    g = lambda k: str(t[k].text[0]) if k in t else ""
    c = t.getall("COMM")
    out.append("\t".join([n, g("TIT2"), g("TPE1"), g("TALB"), g("TYER"),
                          str(c[0].text[0]) if c else "", g("TCON"), g("TRCK")]))
sys.stdout.write("\n".join(out) + "\n")
'
mutagen_set='
import sys
from mutagen.id3 import ID3, TIT2, ID3NoHeaderError
for p in sys.argv[2:]:
    try:
        t = ID3(p)
    except ID3NoHeaderError:
        t = ID3()
    t.add(TIT2(encoding=0, text=sys.argv[1]))
    t.save(p, v2_version=3)
'

now() { date +%s.%N; }
# Best of three runs of a command, in seconds.
best_of_three() {
    local best="" t0 t1 t
    for _ in 1 2 3; do
        t0=$(now); "$@" >/dev/null; t1=$(now)
        t=$(echo "$t1 - $t0" | bc -l)
        if [[ -z $best ]] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
    done
    echo "$best"
}
mutagen_picture='
import sys
from mutagen.id3 import ID3, APIC, ID3NoHeaderError
data = open(sys.argv[1], "rb").read()
for p in sys.argv[2:]:
    try:
        t = ID3(p)
    except ID3NoHeaderError:
        t = ID3()
    t.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=data))
    t.save(p, v2_version=3)
'

# One timed run of a command over a fresh copy of the set folder, in seconds.
set_run() {
    local copy="$work/set-copy"
    rm -rf "$copy"; cp -r "$work/set" "$copy"; sync
    local files=("$copy"/*.mp3)
    local t0 t1
    t0=$(now); "$@" "${files[@]}" >/dev/null; t1=$(now)
    echo "$t1 - $t0" | bc -l
}
# The best of three timed runs, each on a fresh copy, in seconds.
best_set_run() {
    local best="" t
    for _ in 1 2 3; do
        t=$(set_run "$@")
        if [[ -z $best ]] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
    done
    rm -rf "$work/set-copy"
    echo "$best"
}
ratio() { echo "scale=1; $1 / $2" | bc -l; }
row() { printf '  %-12s %8.3f s   %6sx corvane-tag\n' "$1" "$2" "$(ratio "$2" "$3")"; }

command -v bc >/dev/null || { echo "cli_bench: needs bc" >&2; exit 1; }
jobs=" ${CLI_BENCH_JOBS:-list set picture} "
wants() { [[ $jobs == *" $1 "* ]]; }

cols="Title,Artist,Album,Year,Comment,Genre,Track"
list_dir="$work/list"
if wants list; then
"$corvane" list --view v2 --columns "$cols" "$list_dir" >/dev/null  # warm the page cache

echo "list: ID3v2 view of 7 fields over 10,000 files (best of 3, warm cache)"
c_list=$(best_of_three "$corvane" list --view v2 --columns "$cols" "$list_dir")
t_list=$(best_of_three "$work/taglib_job" list "$list_dir")
m_list=$(best_of_three /usr/bin/python3 -c "$mutagen_list" "$list_dir")
row corvane-tag "$c_list" "$c_list"
row TagLib "$t_list" "$c_list"
row mutagen "$m_list" "$c_list"
if [[ -z ${CLI_BENCH_SKIP_EXIFTOOL:-} ]]; then
    e_list=$(best_of_three exiftool -q -m -fast -T -Title -Artist -Album -Year -Comment -Genre \
             -Track -ext mp3 "$list_dir")
    row exiftool "$e_list" "$c_list"
fi

fi

if wants set; then
echo "set: the title of 1,000 files (fits in the padding; fresh copies)"
c_set=$(set_run "$corvane" set title=Bench)
t_set=$(set_run "$work/taglib_job" set Bench)
m_set=$(set_run /usr/bin/python3 -c "$mutagen_set" Bench)
row corvane-tag "$c_set" "$c_set"
row TagLib "$t_set" "$c_set"
row mutagen "$m_set" "$c_set"
# exiftool reads ID3 tags but does not write MP3 files, so it has no part in this job.
echo "  exiftool     (does not write MP3 files)"
fi

if wants picture; then
echo "picture: a 500 KB JPEG added as the front cover of 1,000 files (best of 3, fresh copies)"
c_pic=$(best_set_run "$corvane" picture add "$work/cover.jpg")
u_pic=$(best_set_run "$corvane" picture add --unsafe-in-place "$work/cover.jpg")
t_pic=$(best_set_run "$work/taglib_job" picture "$work/cover.jpg")
m_pic=$(best_set_run /usr/bin/python3 -c "$mutagen_picture" "$work/cover.jpg")
row corvane-tag "$c_pic" "$c_pic"
# Without the journal beside each file, as the peers write; still with the undo record.
row "  in place" "$u_pic" "$c_pic"
row TagLib "$t_pic" "$c_pic"
row mutagen "$m_pic" "$c_pic"
echo "  TagLib / corvane-tag: $(ratio "$t_pic" "$c_pic")x journaled, $(ratio "$t_pic" "$u_pic")x in place"
fi

#pragma once
// What the command line asks of the desktop program: `corvane [FOLDER | FILE...]`, `--help`,
// `--version`. The desktop entry passes the files a file manager hands it ("Open With").

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace corvane {

struct CommandLine {
    bool help = false;
    bool version = false;
    QString error;      // a usage error (an unknown option), empty when there is none
    QStringList paths;  // folders and files, as given
};

// Reads the arguments that follow the program name. "--" ends the options.
[[nodiscard]] CommandLine parseCommandLine(const QStringList& arguments);
// The arguments without the toolkit's own options (-style fusion, --platform offscreen, -reverse,
// ...), which the application object takes itself: what is left is ours to judge before there
// is a display.
[[nodiscard]] QStringList withoutToolkitOptions(const QStringList& arguments);
[[nodiscard]] QString usageText();
[[nodiscard]] QString versionText();

// Where the window opens: a folder, the files in it to select, and a note for the status bar.
struct StartTarget {
    std::string folder;              // bytes ending with "/"; empty: the folder stored last time
    std::vector<std::string> files;  // names in folder to select
    QString note;                    // what could not be shown, empty when all was
};

// The folder of the first path (the path itself when it is a folder, else the folder the file
// is in) and, of the paths that follow, the files in that folder. Paths in other folders are
// counted in the note, and so is a first path that does not exist. Relative paths are taken
// from workingFolder. No paths: an empty target.
[[nodiscard]] StartTarget startTarget(const QStringList& paths, const QString& workingFolder);

}  // namespace corvane

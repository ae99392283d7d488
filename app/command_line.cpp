#include "app/command_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvane {

namespace {

std::string folderBytes(const QString& folder)
{
    std::string bytes = QFile::encodeName(folder).toStdString();
    if (bytes.empty() || bytes.back() != '/')
        bytes += '/';
    return bytes;
}

QString elsewhereNote(int count)
{
    return count == 1 ? QStringLiteral("1 file given is in another folder and not shown")
                      : QString::number(count) +
                            QStringLiteral(" files given are in other folders and not shown");
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool options = true;
    for (const QString& argument : arguments) {
        if (options && argument == QLatin1String("--")) {
            options = false;
        } else if (options && (argument == QLatin1String("--help") ||
                               argument == QLatin1String("-h"))) {
            line.help = true;
        } else if (options && argument == QLatin1String("--version")) {
            line.version = true;
        } else if (options && argument.startsWith(u'-') && argument.size() > 1) {
            if (line.error.isEmpty())
                line.error = QStringLiteral("unknown option \"") + argument + u'"';
        } else {
            line.paths << argument;
        }
    }
    return line;
}

QStringList withoutToolkitOptions(const QStringList& arguments)
{
    // The toolkit takes these with one dash or two; the first group takes a value.
    static const QStringList withValue{
        "platform", "platformpluginpath", "platformtheme", "plugin",      "qwindowgeometry",
        "qwindowicon", "qwindowtitle",    "session",       "display",     "geometry",
        "style",       "stylesheet",      "name",          "title",       "visual",
        "ncols",       "cmap",            "fn",            "font",        "bg",
        "background",  "fg",              "foreground",    "btn",         "button",
        "im",          "inputstyle"};
    static const QStringList flags{"reverse", "widgetcount", "nograb", "dograb", "sync",
                                   "testability"};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) {
            kept << arguments.mid(i);
            break;
        }
        QString name = argument;
        if (name.startsWith(QLatin1String("--")))
            name.remove(0, 2);
        else if (name.startsWith(u'-'))
            name.remove(0, 1);
        else {
            kept << argument;
            continue;
        }
        if (name.startsWith(QLatin1String("qmljsdebugger=")) || flags.contains(name) ||
            (name.contains(u'=') && withValue.contains(name.section(u'=', 0, 0))))
            continue;
        if (withValue.contains(name)) {
            ++i;  // its value
            continue;
        }
        kept << argument;
    }
    return kept;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: corvane [FOLDER | FILE...]\n"
        "Edits the ID3v1 and ID3v2 tags of MP3 files.\n"
        "\n"
        "With a folder, opens it; with files, opens the folder of the first one and selects the\n"
        "files given in it. Without arguments, opens the folder shown last time.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the version and exit\n");
}

QString versionText()
{
    return QStringLiteral("corvane " CORVANE_VERSION "\n");
}

StartTarget startTarget(const QStringList& paths, const QString& workingFolder)
{
    StartTarget target;
    if (paths.isEmpty())
        return target;
    const QDir base(workingFolder);
    QString folder;
    int elsewhere = 0;
    for (const QString& given : paths) {
        const QFileInfo info(QDir::cleanPath(base.absoluteFilePath(given)));
        const bool first = folder.isNull();
        if (first) {
            folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
            if (!info.exists())
                target.note = QStringLiteral("Not found: ") + given;
        }
        if (info.isDir()) {
            if (!first && info.absoluteFilePath() != folder)
                ++elsewhere;
        } else if (info.absolutePath() != folder) {
            ++elsewhere;
        } else if (info.exists()) {
            target.files.push_back(QFile::encodeName(info.fileName()).toStdString());
        }
    }
    target.folder = folderBytes(folder);
    if (elsewhere > 0) {
        if (!target.note.isEmpty())
            target.note += QStringLiteral("; ");
        target.note += elsewhereNote(elsewhere);
    }
    return target;
}

}  // namespace corvane

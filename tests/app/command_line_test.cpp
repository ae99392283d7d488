// Opening Corvane from outside: the command line, the folder and files it names, and the window
// that opens on them.
#include "app/command_line.h"

#include "app/main_window.h"
#include "tests/app/app_fixtures.h"
#include "tests/gui_support/scripted_prompter.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <filesystem>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace corvane::test;

TEST(CommandLine, OptionsAndPaths)
{
    struct Case {
        QStringList arguments;
        bool help, version;
        QString error;
        QStringList paths;
    };
    const Case cases[] = {
        {{}, false, false, {}, {}},
        {{"--help"}, true, false, {}, {}},
        {{"a.mp3", "-h"}, true, false, {}, {"a.mp3"}},
        {{"--version"}, false, true, {}, {}},
        {{"-x", "--y"}, false, false, "unknown option \"-x\"", {}},
        {{"--", "--help", "-"}, false, false, {}, {"--help", "-"}},
        // The toolkit's options are its own, with their values.
        {{"-style", "fusion", "--platform=offscreen", "-reverse", "a"}, false, false, {}, {"a"}},
        {{"-stylish", "a"}, false, false, "unknown option \"-stylish\"", {"a"}},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLine(withoutToolkitOptions(c.arguments));
        const std::string which = c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.help, c.help) << which;
        EXPECT_EQ(line.version, c.version) << which;
        EXPECT_EQ(line.error, c.error) << which;
        EXPECT_EQ(line.paths, c.paths) << which;
    }
}

TEST(CommandLine, HelpVersionAndUsageErrorsNeedNoDisplay)
{
    for (const QString& option :
         {QStringLiteral("--version"), QStringLiteral("--help"), QStringLiteral("--bogus")}) {
        QProcess corvane;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        corvane.setProcessEnvironment(env);
        corvane.start(QStringLiteral(CORVANE_BINARY), {option});
        ASSERT_TRUE(corvane.waitForFinished(10000));
        if (option == "--bogus") {
            EXPECT_EQ(corvane.exitCode(), 2);
            EXPECT_EQ(QString::fromLocal8Bit(corvane.readAllStandardError()),
                      "corvane: unknown option \"--bogus\"\nTry \"corvane --help\".\n");
            continue;
        }
        EXPECT_EQ(corvane.exitCode(), 0) << option.toStdString();
        const QString out = QString::fromLocal8Bit(corvane.readAllStandardOutput());
        if (option == "--version")
            EXPECT_EQ(out, "corvane " CORVANE_VERSION "\n");
        else
            EXPECT_TRUE(out.startsWith("Usage: corvane [FOLDER | FILE...]\n")) << out.toStdString();
    }
}

TEST(CommandLine, StartTargetIsTheFirstPathsFolderWithTheFilesGivenInIt)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Album");
    std::filesystem::create_directories(dir.path() / "Other");
    for (const char* name : {"Album/a.mp3", "Album/b.mp3", "Other/c.mp3"})
        writeFile(dir.file(name), bytesOf("x"));
    const QString base = QString::fromStdString(dir.folder());
    const std::string album = dir.folder() + "Album/";

    const StartTarget folder = startTarget({base + "Album"}, "/");
    EXPECT_EQ(folder.folder, album);
    EXPECT_TRUE(folder.files.empty());
    EXPECT_TRUE(folder.note.isEmpty());

    // Relative paths, a file in another folder, a folder given after the first.
    const StartTarget files =
        startTarget({"Album/b.mp3", "Other/c.mp3", "Album/a.mp3", "Other"}, base);
    EXPECT_EQ(files.folder, album);
    EXPECT_EQ(files.files, (std::vector<std::string>{"b.mp3", "a.mp3"}));
    EXPECT_EQ(files.note, "2 files given are in other folders and not shown");

    const StartTarget missing = startTarget({base + "Album/gone.mp3", base + "Other/c.mp3"}, "/");
    EXPECT_EQ(missing.folder, album);
    EXPECT_TRUE(missing.files.empty());
    EXPECT_EQ(missing.note, "Not found: " + base +
                                "Album/gone.mp3; 1 file given is in another folder and not shown");

    EXPECT_EQ(startTarget({"/"}, base).folder, "/");
    EXPECT_TRUE(startTarget({}, base).folder.empty());
}

TEST(CommandLine, WindowOpensOnTheFolderGivenAndSelectsTheFilesGiven)
{
    TempDir stored;
    TempDir music;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        writeSong(music, name, {});
    SettingsStore settings;
    settings.store().setValue("CurPath", QByteArray::fromStdString(stored.folder()));
    ScriptedPrompter prompter;
    {
        MainWindow window(settings.store(), prompter, StartTarget{music.folder(), {}, {}});
        ASSERT_TRUE(finishScan(window.fileList()));
        EXPECT_EQ(window.currentFolder(), music.folder());
        EXPECT_EQ(window.countText(), "3 files");
    }
    MainWindow window(settings.store(), prompter,
                      StartTarget{music.folder(), {"c.mp3", "a.mp3"}, "a note"});
    ASSERT_TRUE(finishScan(window.fileList()));
    EXPECT_EQ(window.fileList().selectedFileNames(), (std::vector<std::string>{"a.mp3", "c.mp3"}));
    EXPECT_EQ(window.fileList().row(window.fileList().currentIndex().row()).name, "c.mp3");
    EXPECT_EQ(window.countText(), "2 files selected");
    EXPECT_EQ(window.progressText(), "a note");
}

}  // namespace
}  // namespace corvane

#pragma once
// Every message and question of the program goes through this interface, the choice of a file
// or folder included. The Qt implementation shows a QMessageBox captioned "Corvane" (a file
// dialog for a path); tests substitute a scripted one that records the texts and gives the
// answers the test wants.

#include <QString>

class QWidget;

namespace corvane {

enum class PromptIcon { Stop, Information, Question, Warning };
enum class PromptButtons { Ok, YesNo };
enum class PromptAnswer { Ok, Yes, No };
// Which path a question asks for: an image file to read, an image file to write, a folder.
enum class PathQuestion { OpenImage, SaveImage, Folder };

class Prompter {
public:
    virtual ~Prompter() = default;

    // Shows text and waits for the user's answer.
    virtual PromptAnswer ask(QWidget* parent, const QString& text, PromptIcon icon,
                             PromptButtons buttons) = 0;
    // Asks for a path under a caption, offering start (a folder, or for SaveImage a file name in
    // one); empty when the user cancels. Saving over a file is asked about by the caller.
    virtual QString askPath(QWidget* parent, PathQuestion question, const QString& caption,
                            const QString& start) = 0;

    // A refusal inside a dialog, which stays open (stop icon, OK).
    void stop(QWidget* parent, const QString& text);
    // A notice (information icon, OK).
    void information(QWidget* parent, const QString& text);
    // A yes/no question (question icon); true for Yes.
    [[nodiscard]] bool yesNo(QWidget* parent, const QString& text);
};

class MessageBoxPrompter final : public Prompter {
public:
    PromptAnswer ask(QWidget* parent, const QString& text, PromptIcon icon,
                     PromptButtons buttons) override;
    QString askPath(QWidget* parent, PathQuestion question, const QString& caption,
                    const QString& start) override;
};

}  // namespace corvane

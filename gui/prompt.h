#pragma once
// Every message and question of the program goes through this interface. The Qt implementation
// shows a QMessageBox captioned "Corvane"; tests substitute a scripted one that records the texts
// and gives the answers the test wants.

#include <QString>

class QWidget;

namespace corvane {

enum class PromptIcon { Stop, Information, Question, Warning };
enum class PromptButtons { Ok, YesNo };
enum class PromptAnswer { Ok, Yes, No };

class Prompter {
public:
    virtual ~Prompter() = default;

    // Shows text and waits for the user's answer.
    virtual PromptAnswer ask(QWidget* parent, const QString& text, PromptIcon icon,
                             PromptButtons buttons) = 0;

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
};

}  // namespace corvane

#include "gui/prompt.h"

#include <QFileDialog>
#include <QMessageBox>

namespace corvane {

void Prompter::stop(QWidget* parent, const QString& text)
{
    ask(parent, text, PromptIcon::Stop, PromptButtons::Ok);
}

void Prompter::information(QWidget* parent, const QString& text)
{
    ask(parent, text, PromptIcon::Information, PromptButtons::Ok);
}

bool Prompter::yesNo(QWidget* parent, const QString& text)
{
    return ask(parent, text, PromptIcon::Question, PromptButtons::YesNo) == PromptAnswer::Yes;
}

PromptAnswer MessageBoxPrompter::ask(QWidget* parent, const QString& text, PromptIcon icon,
                                     PromptButtons buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("Corvane"));
    box.setText(text);
    switch (icon) {
    case PromptIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
    case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
    case PromptIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    }
    if (buttons == PromptButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return PromptAnswer::Ok;
}

QString MessageBoxPrompter::askPath(QWidget* parent, PathQuestion question, const QString& caption,
                                   const QString& start)
{
    const QString images = QStringLiteral("Images (*.jpg *.jpeg *.png *.JPG *.JPEG *.PNG);;All files (*)");
    switch (question) {
    case PathQuestion::OpenImage: return QFileDialog::getOpenFileName(parent, caption, start, images);
    case PathQuestion::SaveImage:
        return QFileDialog::getSaveFileName(parent, caption, start, images, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    case PathQuestion::Folder: return QFileDialog::getExistingDirectory(parent, caption, start);
    }
    return {};
}

}  // namespace corvane

#pragma once
// "Auto Track Numbering": the starting number, the zero padding and the tags that the
// numbering run writes.

#include <QAbstractSpinBox>
#include <QDialog>
#include <cstdint>
#include <memory>

#include "batch/tag_choice.h"
#include "batch/track_numbering.h"

namespace Ui {
class AutoTrackDialog;
}

namespace corvane {

class Prompter;

// What the dialog hands to the numbering run.
struct AutoTrackOptions {
    std::int64_t start = 1;            // the first track number, 1 or more
    int zeroMode = batch::kZerosNone;  // kZerosNone, kZerosAutomatic or n > 0 extra zeros
    batch::TagChoice choice = 0;
};

// The starting number: a free text edit of up to six characters with up/down arrows, so the
// user may type any number (also above the arrows' range) and the dialog reads it the forgiving
// way on OK, instead of a spin box that silently rejects or clamps what is typed.
class TrackNumberEdit final : public QAbstractSpinBox {
    Q_OBJECT

public:
    static constexpr int kMinimum = 1;
    static constexpr int kMaximum = 32767;
    static constexpr int kMaxLength = 6;

    explicit TrackNumberEdit(QWidget* parent = nullptr);

    void setText(const QString& text);
    // The text as typed (QAbstractSpinBox::text() would be the same; named for clarity).
    [[nodiscard]] QString numberText() const;

    // Steps from the number the text starts with, kept inside kMinimum..kMaximum.
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QSize sizeHint() const override;

protected:
    StepEnabled stepEnabled() const override;

private:
    [[nodiscard]] int currentNumber() const;
};

class AutoTrackDialog final : public QDialog {
    Q_OBJECT

public:
    // choice: the starting TagChoice for the selected rows (the Track field has an ID3v1 form, so
    // the ID3v1 box is never disabled here). prompter must outlive the dialog.
    AutoTrackDialog(batch::TagChoice choice, Prompter& prompter, QWidget* parent = nullptr);
    ~AutoTrackDialog() override;

    // After the dialog was accepted: S, Z and the chosen tags.
    [[nodiscard]] AutoTrackOptions options() const;

    // Refuses to close while neither tag is chosen.
    void accept() override;

private:
    void updateZeroCountEdit();

    std::unique_ptr<Ui::AutoTrackDialog> m_ui;
    Prompter& m_prompter;
    AutoTrackOptions m_options;
};

}  // namespace corvane

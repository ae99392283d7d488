#pragma once
// The dialog of a batch run in progress: the file being written, how many of the run's files are
// done, and Cancel, which ends the run before its next file. The run itself goes through
// runInBackground (batchui/background_run.h); the dialog only shows it. The main window keeps one
// for all its runs.

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <cstddef>

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvane {

class RunProgressDialog final : public QDialog {
    Q_OBJECT

public:
    explicit RunProgressDialog(QWidget* parent = nullptr);

    // A run of `count` files begins: nothing done, not cancelled.
    void beginRun(std::size_t count);
    // The file at index (from 0) is being written; name as the user sees it.
    void showFile(std::size_t index, const QString& name);
    // The file at index has its outcome.
    void finishFile(std::size_t index);
    void endRun();

    [[nodiscard]] bool isCancelled() const { return m_cancelled; }
    [[nodiscard]] std::size_t filesDone() const { return m_done; }

public slots:
    // The Cancel button, Esc and the window's close button: the file being written is finished,
    // no other is begun.
    void cancel();

signals:
    // After each file; filesDone counts the files of the run that have their outcome.
    void fileFinished(int filesDone);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    QLabel* m_fileLabel;
    QLabel* m_countLabel;
    QProgressBar* m_bar;
    QPushButton* m_cancelButton;
    QTimer m_refreshTimer;  // the texts follow the run a few times a second, not per file
    std::size_t m_count = 0;
    std::size_t m_current = 0;
    std::size_t m_done = 0;
    QString m_name;
    bool m_cancelled = false;
};

}  // namespace corvane

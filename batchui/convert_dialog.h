#pragma once
// "Convert ID3v2 Version": the version the selected files' ID3v2 tags are rewritten in.

#include <QDialog>
#include <cstdint>

class QRadioButton;

namespace corvane {

class ConvertDialog final : public QDialog {
    Q_OBJECT

public:
    // Starts on ID3v2.3, the version Corvane gives new tags.
    explicit ConvertDialog(QWidget* parent = nullptr);

    // 3 or 4.
    [[nodiscard]] std::uint8_t targetMajor() const;

private:
    QRadioButton* m_v23 = nullptr;
    QRadioButton* m_v24 = nullptr;
};

}  // namespace corvane

#pragma once
// Keeps typed non-digits out of the editor's number fields. Unlike a validator it judges only
// what is typed, so a value read from a file that holds other characters (a track "3/12") can
// still be edited.

#include <QObject>

namespace corvane {

class DigitsOnlyFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace corvane

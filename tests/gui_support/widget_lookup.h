#pragma once
// Finding widgets the way a user does, by what they show, and checking that a test left no
// window open behind it.

#include <QApplication>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace corvane::test {

// The first child of type T whose text() is text, or nullptr.
template <class T>
T* withText(QWidget& parent, const QString& text)
{
    for (T* child : parent.findChildren<T*>()) {
        if (child->text() == text)
            return child;
    }
    return nullptr;
}

// Fails the test for every top-level window still visible.
inline void expectNoWindowLeftOpen()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << "left open: " << w->windowTitle().toStdString();
}

}  // namespace corvane::test

// GUI tests drive real widgets, so a QApplication must exist before the first test runs.
#include <QApplication>
#include <QTemporaryDir>
#include <QDir>
#include <gtest/gtest.h>

namespace {

// Every test starts with an undo record of its own, empty, never the user's: what one test
// wrote is not what the next one's Undo takes back.
class FreshStateFolder final : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override
    {
        const QString folder = m_root.path() + QStringLiteral("/") + QString::number(++m_count);
        QDir().mkpath(folder);
        qputenv("XDG_STATE_HOME", folder.toUtf8());
    }

private:
    QTemporaryDir m_root;
    int m_count = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns about every window hint it cannot honour; those lines would
    // bury a real failure in the output.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStateFolder);
    return RUN_ALL_TESTS();
}

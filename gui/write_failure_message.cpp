#include "gui/write_failure_message.h"

#include "gui/display_text.h"

namespace corvane {

QString readOnlyMessage(const QString& name)
{
    return QStringLiteral("The file ") + name +
           QStringLiteral(
               " could not be written to. Please ensure it is not set to Read-Only and "
               "try again.");
}

QString writeFailureMessage(const QString& name, const std::string& reason)
{
    QString message =
        QStringLiteral("The file ") + name + QStringLiteral(" could not be written to.");
    QString sentence = fromUtf8(reason).trimmed();
    if (sentence.isEmpty()) return message;
    sentence[0] = sentence.at(0).toUpper();
    if (!sentence.endsWith(QLatin1Char('.'))) sentence += QLatin1Char('.');
    return message + QLatin1Char('\n') + sentence;
}

}  // namespace corvane

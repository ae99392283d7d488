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

namespace {

// A message and, on a line of its own, the core's reason as a sentence.
QString withReason(const QString& message, const std::string& reason)
{
    QString sentence = fromUtf8(reason).trimmed();
    if (sentence.isEmpty()) return message;
    sentence[0] = sentence.at(0).toUpper();
    if (!sentence.endsWith(QLatin1Char('.'))) sentence += QLatin1Char('.');
    return message + QLatin1Char('\n') + sentence;
}

}  // namespace

QString writeFailureMessage(const QString& name, const std::string& reason)
{
    return withReason(QStringLiteral("The file ") + name + QStringLiteral(" could not be written to."),
                      reason);
}

QString extractFailureMessage(const QString& name, const std::string& reason)
{
    return withReason(QStringLiteral("The picture of ") + name + QStringLiteral(" could not be extracted."),
                      reason);
}

}  // namespace corvane

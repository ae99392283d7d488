#include "editor/write_failure_message.h"

#include <QFile>

namespace corvane {

QString displayFileName(const std::string& name)
{
    return QFile::decodeName(QByteArray::fromStdString(name));
}

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
    QString sentence =
        QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size())).trimmed();
    if (sentence.isEmpty()) return message;
    sentence[0] = sentence.at(0).toUpper();
    if (!sentence.endsWith(QLatin1Char('.'))) sentence += QLatin1Char('.');
    return message + QLatin1Char('\n') + sentence;
}

}  // namespace corvane
